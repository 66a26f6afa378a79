// The main menu's shortcuts act while a text field has the focus, as they would with a menu that sees
// every key first; the field keeps the keys no enabled item claims.

#include "app/TFrmMain.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchTab.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "settings/IniFile.h"
#include "stamps/ui/AttrTab.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace rinoza;
using test::q;

class MenuShortcutsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_work;
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

    // A window with two listed files and a history file, the focus in the given field.
    std::unique_ptr<TFrmMain> openWithFocusIn(const QString& field) {
        test::writeFile(*m_work / "a.txt", "a");
        test::writeFile(*m_work / "b.txt", "b");
        test::writeFile(historyFilePath(systemFileSystem()), "");
        auto w = std::make_unique<TFrmMain>(systemFileSystem(),
                                            std::vector<std::string>{*m_work / "a.txt", *m_work / "b.txt"}, &m_clock);
        if (!test::showExposed(*w))
            return nullptr;
        QLineEdit* edit = field == QLatin1String("name") ? w->tbsFnd->cmbFndName->lineEdit() : w->tbsSet->edtReiBefore;
        w->pgcMain->setCurrentWidget(field == QLatin1String("name") ? static_cast<QWidget*>(w->tbsFnd) : w->tbsSet);
        w->activateWindow();
        edit->setFocus();
        QApplication::processEvents();
        return w;
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<test::TempDir>();
    }

    void menuKeysReachTheirItemsFromATextField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        for (const char* field : {"name", "example"})
            for (const char* key : {"Ctrl+E", "Ctrl+Z", "Ctrl+O", "Ctrl+K", "Ctrl+A", "Ctrl+B", "Ctrl+L"})
                QTest::newRow((std::string(field) + " " + key).c_str())
                    << QString::fromLatin1(field) << QString::fromLatin1(key);
    }

    void menuKeysReachTheirItemsFromATextField() {
        QFETCH(QString, field);
        QFETCH(QString, key);
        test::ScriptedPrompts prompts;
        prompts.answer(mrCancel); // the undo question
        auto w = openWithFocusIn(field);
        QVERIFY(w);
        // The name field is an editable drop-down: it holds the focus and hands keys to its line edit.
        QWidget* focused = QApplication::focusWidget();
        const auto fieldText = [&] {
            return field == QLatin1String("name") ? w->tbsFnd->cmbFndName->currentText()
                                                  : w->tbsSet->edtReiBefore->text();
        };
        QVERIFY(focused == w->tbsFnd->cmbFndName || focused == w->tbsSet->edtReiBefore);
        const QString textBefore = fieldText();

        QAction* item = nullptr;
        for (QAction* a : {w->X1, w->N6, w->N5, w->N20, w->SelectAll1, w->N11, w->N8})
            if (a->shortcut() == QKeySequence(key))
                item = a;
        QVERIFY(item);
        QSignalSpy fired(item, &QAction::triggered);
        const QKeyCombination combo = QKeySequence(key)[0];
        QTest::keyClick(focused, combo.key(), combo.keyboardModifiers());

        QCOMPARE(fired.count(), 1);
        if (item == w->X1)
            QVERIFY(!w->isVisible());
        if (item == w->N6) {
            QCOMPARE(prompts.asked.size(), std::size_t(1)); // the undo asks first
            QCOMPARE(prompts.asked[0].buttons, MsgButtons::OkCancel);
        }
        if (item == w->SelectAll1 || item == w->N11)
            QCOMPARE(w->lvFile->selectionModel()->selectedRows().size(), 2);
        if (item == w->N8)
            QCOMPARE(prompts.opened.size(), 1);
        // The field did not act on the key itself (Ctrl+K would have cut the text, Ctrl+A selected it).
        if (item != w->X1)
            QCOMPARE(fieldText(), textBefore);
    }

    // A key shared by a menu title and a control of the shown tab presses the control; on a tab where
    // no control has it, the menu opens.
    void accessKeysSharedWithAMenuTitlePressTheControl_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QChar>("key");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("rename tab Alt+K: result preview") << 1 << QChar(u'K') << "remarks";
        QTest::newRow("attribute tab Alt+H: hidden") << 3 << QChar(u'H') << "cbAttrH";
        QTest::newRow("search tab Alt+K: rule menu") << 0 << QChar(u'K') << q("変名設定(&K)");
        QTest::newRow("search tab Alt+H: help menu") << 0 << QChar(u'H') << q("ヘルプ(&H)");
        QTest::newRow("date tab Alt+F: file menu") << 2 << QChar(u'F') << q("ファイル(&F)");
    }

    void accessKeysSharedWithAMenuTitlePressTheControl() {
        QFETCH(int, tab);
        QFETCH(QChar, key);
        QFETCH(QString, outcome);
        test::ScriptedPrompts prompts;
        auto w = openWithFocusIn(QStringLiteral("example"));
        QVERIFY(w);
        w->pgcMain->setCurrentIndex(tab);
        w->tbsAttr->cbAttrHS->setChecked(true); // the hidden attribute's box follows its change box
        w->lvFile->setFocus();
        QApplication::processEvents();
        const bool hiddenBefore = w->tbsAttr->cbAttrH->isChecked();

        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key.unicode()), Qt::AltModifier);

        if (outcome == QLatin1String("remarks")) {
            QTRY_VERIFY(
                !w->fileList->data(w->fileList->index(0, FileListModel::ColRemarks)).toString().trimmed().isEmpty());
            QVERIFY(!QApplication::activePopupWidget());
        } else if (outcome == QLatin1String("cbAttrH")) {
            QTRY_COMPARE(w->tbsAttr->cbAttrH->isChecked(), !hiddenBefore);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->tbsAttr->cbAttrH));
            QVERIFY(!QApplication::activePopupWidget());
        } else {
            QTRY_VERIFY(QApplication::activePopupWidget());
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(menu->title(), outcome);
            menu->close();
        }
        QVERIFY(prompts.asked.empty());
    }

    // The access keys of the rule's options reach their controls, and no other control of the rename
    // tab nor a menu title has them.
    void ruleOptionKeysReachTheirControls_data() {
        QTest::addColumn<QChar>("key");
        QTest::addColumn<QString>("control");
        QTest::newRow("Alt+R regular expression") << QChar(u'R') << "cbChgRegex";
        QTest::newRow("Alt+D serial numbers per folder") << QChar(u'D') << "cbRenFolder";
        QTest::newRow("Alt+W width") << QChar(u'W') << "cbWidth";
        QTest::newRow("Alt+J kana") << QChar(u'J') << "cbKana";
        QTest::newRow("Alt+U NFC") << QChar(u'U') << "cbNfc";
    }

    void ruleOptionKeysReachTheirControls() {
        QFETCH(QChar, key);
        QFETCH(QString, control);
        test::ScriptedPrompts prompts;
        auto w = openWithFocusIn(QStringLiteral("example"));
        QVERIFY(w);
        QStringList captions;
        for (QAbstractButton* b : w->tbsSet->findChildren<QAbstractButton*>())
            captions << b->text();
        for (QLabel* l : w->tbsSet->findChildren<QLabel*>())
            captions << l->text();
        for (QAction* a : w->menuBar()->actions())
            captions << a->text();
        const QString mnemonic = QLatin1Char('&') + key;
        QCOMPARE(captions.filter(mnemonic, Qt::CaseInsensitive).size(), 1);

        for (int i = 0; i < w->tbsSet->lvChg->count(); ++i) // elements 4 and 9 enable their boxes
            w->tbsSet->lvChg->item(i)->setCheckState(Qt::Checked);
        QWidget* target = w->tbsSet->findChild<QWidget*>(control);
        QVERIFY(target);
        auto* box = qobject_cast<QCheckBox*>(target);
        const bool before = box && box->isChecked();
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key.unicode()), Qt::AltModifier);
        QTRY_COMPARE(QApplication::focusWidget(), target);
        if (box)
            QTRY_COMPARE(box->isChecked(), !before);
        QVERIFY(!QApplication::activePopupWidget());
    }

    void aKeyOfADisabledItemStaysWithTheField() {
        test::ScriptedPrompts prompts;
        auto w = openWithFocusIn(QStringLiteral("example"));
        QVERIFY(w);
        QLineEdit* edit = w->tbsSet->edtReiBefore;
        w->N6->setEnabled(false);
        QSignalSpy fired(w->N6, &QAction::triggered);
        QTest::keyClicks(edit, QStringLiteral("xy"));
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier); // the field's own undo of the typing
        QCOMPARE(fired.count(), 0);
        QCOMPARE(edit->text(), QStringLiteral("abcde.xyz"));
        QVERIFY(prompts.asked.empty());
    }
};

QTEST_MAIN(MenuShortcutsTest)
#include "MenuShortcutsTest.moc"
