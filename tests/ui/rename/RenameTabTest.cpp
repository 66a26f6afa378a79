// The rename tab: which fields each element's tick enables, the example under the rule the controls
// hold, the start field that is not a number, moving elements, and selecting list entries by text.

#include "rename/ui/RenameTab.h"
#include "common/ui/ComboUtil.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/NumberSpinBox.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <functional>

using namespace rinoza;

namespace {

using test::q;

void tick(RenameTab& t, int element, bool on = true) {
    for (int i = 0; i < t.lvChg->count(); ++i)
        if (t.lvChg->item(i)->text().startsWith(QString::number(element)))
            t.lvChg->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

} // namespace

class RenameTabTest : public QObject {
    Q_OBJECT
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

private slots:
    void tickEnablesExactlyTheElementsFields_data() {
        QTest::addColumn<int>("element");
        QTest::addColumn<QStringList>("fields");
        const QStringList all1 = {QStringLiteral("lblKotei1"), QStringLiteral("edtKotei1")};
        QTest::newRow("1") << 1 << all1;
        QTest::newRow("2") << 2 << QStringList{QStringLiteral("lblMotoF"),  QStringLiteral("lblMotoFH"),
                                               QStringLiteral("udMotoFS"),  QStringLiteral("udMotoFE"),
                                               QStringLiteral("edtMotoFS"), QStringLiteral("edtMotoFE")};
        QTest::newRow("3") << 3 << QStringList{QStringLiteral("lblKotei2"), QStringLiteral("edtKotei2")};
        QTest::newRow("4") << 4 << QStringList{QStringLiteral("lblRenKeta"),  QStringLiteral("lblRenStart"),
                                               QStringLiteral("lblRenAdd"),   QStringLiteral("cbRenKeta"),
                                               QStringLiteral("edtRenStart"), QStringLiteral("edtRenAdd"),
                                               QStringLiteral("udRenStart"),  QStringLiteral("udRenAdd"),
                                               QStringLiteral("cbRenFolder")};
        QTest::newRow("5") << 5 << QStringList{};
        QTest::newRow("7") << 7 << QStringList{QStringLiteral("lblKoteiK"), QStringLiteral("edtKoteiK")};
        QTest::newRow("8") << 8 << QStringList{QStringLiteral("lblDateTime"), QStringLiteral("lblDateK"),
                                               QStringLiteral("lblTimeK"),    QStringLiteral("cbDateTime"),
                                               QStringLiteral("edtDateK"),    QStringLiteral("edtTimeK")};
        QTest::newRow("9") << 9
                           << QStringList{QStringLiteral("lblChgB"), QStringLiteral("lblChg"),
                                          QStringLiteral("edtChgB"), QStringLiteral("edtChgA"),
                                          QStringLiteral("cbChgRegex")};
    }

    void tickEnablesExactlyTheElementsFields() {
        QFETCH(int, element);
        QFETCH(QStringList, fields);
        RenameTab t(systemFileSystem(), m_clock);
        for (int n = 1; n <= 9; ++n)
            tick(t, n, false);
        const QStringList every = {
            QStringLiteral("edtKotei1"), QStringLiteral("udMotoFS"),   QStringLiteral("edtMotoFE"),
            QStringLiteral("edtKotei2"), QStringLiteral("cbRenKeta"),  QStringLiteral("edtRenAdd"),
            QStringLiteral("edtKoteiK"), QStringLiteral("cbDateTime"), QStringLiteral("edtTimeK"),
            QStringLiteral("edtChgA"),   QStringLiteral("lblChgB"),    QStringLiteral("cbRenFolder"),
            QStringLiteral("cbChgRegex")};
        for (const QString& name : every)
            QVERIFY2(!t.findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
        tick(t, element);
        for (const QString& name : fields) {
            QWidget* w = t.findChild<QWidget*>(name);
            QVERIFY2(w, qPrintable(name));
            QVERIFY2(w->isEnabled(), qPrintable(name));
        }
        for (const QString& name : every)
            if (!fields.contains(name))
                QVERIFY2(!t.findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
        for (QWidget* w : std::initializer_list<QWidget*>{t.cbCase, t.cbWidth, t.cbKana, t.cbNfc})
            QVERIFY(w->isEnabled());
    }

    void exampleFollowsTheControls_data() {
        QTest::addColumn<std::function<void(RenameTab&)>>("edit");
        QTest::addColumn<QString>("expected");
        using F = std::function<void(RenameTab&)>;
        QTest::newRow("defaults") << F([](RenameTab&) {}) << QStringLiteral("abcde.xyz");
        QTest::newRow("nothing ticked") << F([](RenameTab& t) {
            tick(t, 2, false);
            tick(t, 6, false);
        }) << QStringLiteral("xyz");
        QTest::newRow("fixed text 1") << F([](RenameTab& t) {
            tick(t, 1);
            t.edtKotei1->setText(QStringLiteral("new_"));
        }) << QStringLiteral("new_abcde.xyz");
        QTest::newRow("slice 2..4") << F([](RenameTab& t) {
            t.udMotoFS->setValue(2);
            t.udMotoFE->setValue(4);
        }) << QStringLiteral("bcd.xyz");
        QTest::newRow("serial, 1 digit from 9") << F([](RenameTab& t) {
            tick(t, 4);
            t.cbRenKeta->setCurrentIndex(0);
            t.udRenStart->setValue(9);
        }) << QStringLiteral("abcde9.xyz");
        QTest::newRow("folder name") << F([](RenameTab& t) { tick(t, 5); }) << q("abcde[フォルダ名].xyz");
        QTest::newRow("new extension") << F([](RenameTab& t) {
            tick(t, 7);
            t.edtKoteiK->setText(QStringLiteral("txt"));
        }) << QStringLiteral("abcde.txt");
        QTest::newRow("date and time, no separators") << F([](RenameTab& t) {
            tick(t, 8);
            t.cbDateTime->setCurrentIndex(2);
            t.edtDateK->clear();
            t.edtTimeK->clear();
        }) << QStringLiteral("abcde.xyz20261206134509");
        QTest::newRow("file date in the example uses now") << F([](RenameTab& t) {
            tick(t, 8);
            t.cbDateTime->setCurrentIndex(7);
        }) << QStringLiteral("abcde.xyz13_45_09");
        QTest::newRow("date taken in the example uses now") << F([](RenameTab& t) {
            tick(t, 8);
            t.cbDateTime->setCurrentIndex(t.cbDateTime->findText(q("撮影日時")));
        }) << QStringLiteral("abcde.xyz2026_12_0613_45_09");
        QTest::newRow("day taken in the example uses today") << F([](RenameTab& t) {
            tick(t, 8);
            t.cbDateTime->setCurrentIndex(t.cbDateTime->findText(q("撮影日")));
        }) << QStringLiteral("abcde.xyz2026_12_06");
        QTest::newRow("date moved after the old name") << F([](RenameTab& t) {
            tick(t, 8);
            t.MoveElement(7, 2);
        }) << QStringLiteral("abcde2026_12_06.xyz");
        QTest::newRow("replacement") << F([](RenameTab& t) {
            tick(t, 9);
            t.edtChgB->setText(QStringLiteral("C"));
            t.edtChgA->setText(QStringLiteral("-"));
        }) << QStringLiteral("ab-de.xyz");
        QTest::newRow("upper case") << F([](RenameTab& t) { t.cbCase->setCurrentIndex(1); })
                                    << QStringLiteral("ABCDE.XYZ");
        QTest::newRow("first letter upper")
            << F([](RenameTab& t) { t.cbCase->setCurrentIndex(3); }) << QStringLiteral("Abcde.xyz");
        QTest::newRow("example name edited")
            << F([](RenameTab& t) { t.edtReiBefore->setText(q("写真.jpg")); }) << q("写真.jpg");
        QTest::newRow("to full-width") << F([](RenameTab& t) { t.cbWidth->setCurrentIndex(2); }) << q("ａｂｃｄｅ.xyz");
        QTest::newRow("half-width kana to full-width") << F([](RenameTab& t) {
            t.edtReiBefore->setText(q("ｶﾞｲﾄﾞ.txt"));
            t.cbWidth->setCurrentIndex(3);
        }) << q("ガイド.txt");
        QTest::newRow("to katakana") << F([](RenameTab& t) {
            t.edtReiBefore->setText(q("がいど.txt"));
            t.cbKana->setCurrentIndex(2);
        }) << q("ガイド.txt");
        QTest::newRow("decomposed kana to NFC") << F([](RenameTab& t) {
            t.edtReiBefore->setText(q("か\xE3\x82\x99.txt"));
            t.cbNfc->setChecked(true);
        }) << q("が.txt");
    }

    void exampleFollowsTheControls() {
        QFETCH(std::function<void(RenameTab&)>, edit);
        QFETCH(QString, expected);
        RenameTab t(systemFileSystem(), m_clock);
        edit(t);
        QCOMPARE(t.edtReiAfter->text(), expected);
    }

    void startThatIsNoNumberKeepsThePreviousExample() {
        test::ScriptedPrompts prompts;
        RenameTab t(systemFileSystem(), m_clock);
        tick(t, 4);
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("abcde001.xyz"));
        t.udRenStart->edit()->setText(QStringLiteral("#5"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].type, MsgType::Error);
        QCOMPARE(prompts.asked[0].text, q("'#5' は整数ではありません"));
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("abcde001.xyz"));
        // A start the conversion accepts in its hexadecimal form.
        t.udRenStart->edit()->setText(QStringLiteral("$10"));
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("abcde016.xyz"));
        QCOMPARE(t.SerialCounter, 17);
    }

    // While typing, a number field may be empty or unfinished: the number in force stays until the
    // text is valid again, and leaving the field shows the number in force.
    void numberFieldsKeepTheirValueWhileTyped_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("typed"); // after emptying the field; "" types nothing
        QTest::addColumn<int>("value");     // in force after the typing
        QTest::addColumn<QString>("shown"); // once the focus has left
        QTest::newRow("increment emptied, 4 typed") << "udRenAdd" << 5 << "4" << 4 << "4";
        QTest::newRow("increment emptied and left") << "udRenAdd" << 5 << "" << 5 << "5";
        QTest::newRow("start emptied, 12 typed") << "udRenStart" << 1 << "12" << 12 << "12";
        QTest::newRow("start emptied and left") << "udRenStart" << 7 << "" << 7 << "7";
        QTest::newRow("slice start emptied, 4 typed") << "udMotoFS" << 2 << "4" << 4 << "4";
        QTest::newRow("slice end emptied, 40 typed") << "udMotoFE" << 999 << "40" << 40 << "40";
        QTest::newRow("slice end emptied and left") << "udMotoFE" << 999 << "" << 999 << "999";
    }

    void numberFieldsKeepTheirValueWhileTyped() {
        QFETCH(QString, field);
        QFETCH(int, before);
        QFETCH(QString, typed);
        QFETCH(int, value);
        QFETCH(QString, shown);
        test::ScriptedPrompts prompts;
        QWidget window;
        auto* t = new RenameTab(systemFileSystem(), m_clock, &window);
        auto* other = new QLineEdit(&window);
        tick(*t, 2);
        tick(*t, 4);
        auto* spin = t->findChild<NumberSpinBox*>(field);
        QVERIFY(spin);
        spin->setValue(before);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        spin->edit()->setFocus();
        QTest::keyClick(spin->edit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(spin->edit(), Qt::Key_Backspace);
        QCOMPARE(spin->edit()->text(), QString());
        QCOMPARE(spin->value(), before);
        QTest::keyClicks(spin->edit(), typed);
        QCOMPARE(spin->value(), value);
        other->setFocus();
        QApplication::processEvents();
        QCOMPARE(spin->edit()->text(), shown);
        QVERIFY(prompts.asked.empty()); // an emptied start is no error
    }

    void reversedSliceIsMarked() {
        RenameTab t(systemFileSystem(), m_clock);
        t.udMotoFS->setValue(5);
        t.udMotoFE->setValue(3);
        QVERIFY(t.udMotoFS->property("rejected").toBool());
        QVERIFY(t.udMotoFE->property("rejected").toBool());
        // The mark is the palette's base tinted red, so the field's text stays readable.
        const QColor base = QApplication::palette().color(QPalette::Base);
        const QColor marked = t.udMotoFS->palette().color(QPalette::Base);
        QVERIFY(marked != base);
        QVERIFY(marked.red() - marked.green() > base.red() - base.green());
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral(".xyz"));
        t.udMotoFE->setValue(5);
        QVERIFY(!t.udMotoFS->property("rejected").toBool());
        QCOMPARE(t.udMotoFS->palette().color(QPalette::Base), base);
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("e.xyz"));
    }

    // Each pass removes the first of each forbidden character, with one message while the field is red.
    void forbiddenCharactersLeaveTheNameFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("messages");
        QTest::addColumn<QString>("left");
        QTest::newRow("colon typed") << "edtKotei1"
                                     << "ab:" << 1 << "ab";
        QTest::newRow("pasted twice") << "edtKotei1"
                                      << "a//b" << 2 << "ab";
        QTest::newRow("each once") << "edtKotei2"
                                   << "\\/:,;*?\"<>|x" << 1 << "x";
        QTest::newRow("extension") << "edtKoteiK"
                                   << "t?t" << 1 << "tt";
        QTest::newRow("date separator") << "edtDateK"
                                        << "*" << 1 << "";
        QTest::newRow("time separator") << "edtTimeK"
                                        << "-|" << 1 << "-";
        QTest::newRow("replace before") << "edtChgB"
                                        << "<<<" << 3 << "";
        QTest::newRow("replace after") << "edtChgA" << q("日本\"語") << 1 << q("日本語");
        QTest::newRow("allowed") << "edtKotei1" << q("a b-(1)[2]_日本.txt") << 0 << q("a b-(1)[2]_日本.txt");
    }

    void forbiddenCharactersLeaveTheNameFields() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(int, messages);
        QFETCH(QString, left);
        struct Watching : test::ScriptedPrompts {
            QLineEdit* edit = nullptr;
            QList<bool> marks;
            int message(const QString& text, MsgType type, MsgButtons buttons) override {
                marks << edit->property("rejected").toBool();
                return ScriptedPrompts::message(text, type, buttons);
            }
        } prompts;
        RenameTab t(systemFileSystem(), m_clock);
        for (int n = 1; n <= 9; ++n)
            tick(t, n);
        prompts.edit = t.findChild<QLineEdit*>(field);
        QVERIFY(prompts.edit);
        prompts.edit->setText(typed);
        QCOMPARE(prompts.edit->text(), left);
        QCOMPARE(int(prompts.asked.size()), messages);
        for (const auto& a : prompts.asked) {
            QCOMPARE(a.text, q("ファイル名には次の文字は使用できません。\n \\ / : , ; * ? \" < > | "));
            QCOMPARE(a.type, MsgType::Information);
            QCOMPARE(a.buttons, MsgButtons::Ok);
        }
        for (bool marked : prompts.marks)
            QVERIFY(marked);
        QVERIFY(!prompts.edit->property("rejected").toBool());
    }

    void typedColonIsDroppedAndTheExampleFollows() {
        test::ScriptedPrompts prompts;
        RenameTab t(systemFileSystem(), m_clock);
        tick(t, 1);
        t.edtKotei1->setFocus();
        QTest::keyClicks(t.edtKotei1, QStringLiteral("x:y"));
        QCOMPARE(t.edtKotei1->text(), QStringLiteral("xy"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QVERIFY(t.edtReiAfter->text().startsWith(QStringLiteral("xy")));
        // The example's old name is exempt.
        t.edtReiBefore->setText(QStringLiteral("a:b.txt"));
        QCOMPARE(t.edtReiBefore->text(), QStringLiteral("a:b.txt"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
    }

    // The box turns the search text into a regular expression: typed as a user types, the example follows.
    void regularExpressionBoxChangesTheExample() {
        test::ScriptedPrompts prompts;
        RenameTab t(systemFileSystem(), m_clock);
        QVERIFY(test::showExposed(t));
        tick(t, 9);
        t.edtReiBefore->clear();
        QTest::keyClicks(t.edtReiBefore, QStringLiteral("IMG_0012.jpg"));
        // Ticked first: without the box the search text loses the backslash as a character no name holds.
        QTest::mouseClick(t.cbChgRegex, Qt::LeftButton);
        QVERIFY(t.cbChgRegex->isChecked());
        QTest::keyClicks(t.edtChgB, QStringLiteral("img_(\\d+)"));
        QTest::keyClicks(t.edtChgA, QStringLiteral("photo-$1"));
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("photo-0012.jpg"));
        QTest::mouseClick(t.cbChgRegex, Qt::LeftButton);
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("IMG_0012.jpg")); // no such text in the name
        QTest::mouseClick(t.cbChgRegex, Qt::LeftButton);
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("photo-0012.jpg"));
        // The replacement keeps the backslash that makes "$" a character of its own.
        t.edtChgA->clear();
        QTest::keyClicks(t.edtChgA, QStringLiteral("\\$"));
        QCOMPARE(t.edtChgA->text(), QStringLiteral("\\$"));
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("$.jpg"));
        QVERIFY(prompts.asked.empty());
        QTest::mouseClick(t.cbChgRegex, Qt::LeftButton);
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("IMG_0012.jpg"));
        // Without the box the backslash is a character a name cannot hold.
        t.edtChgA->clear();
        QTest::keyClicks(t.edtChgA, QStringLiteral("a\\"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(t.edtChgA->text(), QStringLiteral("a"));
    }

    // An invalid pattern shows its error and position in place of the name, until it is mended.
    void anInvalidPatternShowsItsErrorInPlaceOfTheName() {
        test::ScriptedPrompts prompts;
        RenameTab t(systemFileSystem(), m_clock);
        QVERIFY(test::showExposed(t));
        tick(t, 9);
        QTest::mouseClick(t.cbChgRegex, Qt::LeftButton);
        QTest::keyClicks(t.edtChgB, QStringLiteral("c(d"));
        QCOMPARE(t.edtReiAfter->text(), q("正規表現の誤り (3 文字目): 括弧 ( ) の対応がとれていません"));
        QTest::keyClicks(t.edtChgB, QStringLiteral(")"));
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("abe.xyz"));
        QTest::keyClicks(t.edtChgA, QStringLiteral("[$2]"));
        QCOMPARE(t.edtReiAfter->text(), q("置換後の文字列の誤り (2 文字目): $2 に当たるグループがありません"));
        QTest::keyClick(t.edtChgA, Qt::Key_Backspace);
        QTest::keyClick(t.edtChgA, Qt::Key_Backspace);
        QTest::keyClicks(t.edtChgA, QStringLiteral("1]"));
        QCOMPARE(t.edtReiAfter->text(), QStringLiteral("ab[d]e.xyz"));
        // The pattern's characters ("(" and "|" among them) are never taken for forbidden ones.
        QTest::keyClicks(t.edtChgB, QStringLiteral("|x"));
        QCOMPARE(t.edtChgB->text(), QStringLiteral("c(d)|x"));
        QVERIFY(prompts.asked.empty());
    }

    void movingKeepsTickAndSelection() {
        RenameTab t(systemFileSystem(), m_clock);
        tick(t, 1);
        t.lvChg->setCurrentRow(0);
        t.bbtnDown->click();
        t.bbtnDown->click();
        QCOMPARE(t.lvChg->item(2)->text(), q("1) 固定文字１"));
        QCOMPARE(t.lvChg->item(2)->checkState(), Qt::Checked);
        QCOMPARE(t.lvChg->currentRow(), 2);
        QVERIFY(t.edtKotei1->isEnabled());
        // The top entry cannot go further up.
        t.lvChg->setCurrentRow(0);
        t.bbtnUp->click();
        QCOMPARE(t.lvChg->item(0)->text(), q("2) 元ファイル名"));
    }

    // Enter in any field of the tab presses the start button, once.
    void enterInAnyFieldPressesStart() {
        RenameTab t(systemFileSystem(), m_clock);
        for (int n = 1; n <= 9; ++n)
            tick(t, n);
        QSignalSpy clicks(t.btnCnvStart, &QPushButton::clicked);
        const QList<QWidget*> fields = {t.edtReiBefore, t.edtKotei1, t.udMotoFS, t.udMotoFE, t.edtKotei2, t.udRenStart,
                                        t.udRenAdd,     t.edtKoteiK, t.edtDateK, t.edtTimeK, t.edtChgB,   t.edtChgA};
        int expected = 0;
        for (QWidget* field : fields) {
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
                QTest::keyClick(field, key);
                QVERIFY2(clicks.count() == ++expected, qPrintable(field->objectName()));
            }
        }
        // Keys for a number field reach its spin box first (the line edit hands its focus to it).
        QCOMPARE(t.udRenAdd->edit()->focusProxy(), static_cast<QWidget*>(t.udRenAdd));
    }

    // Dragging the selected entry onto another: positions are the old ones, taken before the move.
    void dropOnAnEntryMovesTheSelectedOneThere_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("0 onto 3") << 0 << 3 << QList<int>{1, 2, 3, 0, 4, 5, 6, 7, 8};
        QTest::newRow("5 onto 2") << 5 << 2 << QList<int>{0, 1, 5, 2, 3, 4, 6, 7, 8};
        QTest::newRow("onto itself") << 4 << 4 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("last onto first") << 8 << 0 << QList<int>{8, 0, 1, 2, 3, 4, 5, 6, 7};
    }

    void dropOnAnEntryMovesTheSelectedOneThere() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QList<int>, order);
        RenameTab t(systemFileSystem(), m_clock);
        t.resize(700, 600);
        QVERIFY(test::showExposed(t));
        tick(t, 1);
        QStringList before;
        QList<bool> ticked;
        for (int i = 0; i < t.lvChg->count(); ++i) {
            before << t.lvChg->item(i)->text();
            ticked << (t.lvChg->item(i)->checkState() == Qt::Checked);
        }
        for (int i = 0; i < t.lvChg->count(); ++i)
            QVERIFY(t.lvChg->item(i)->flags() & Qt::ItemIsDragEnabled);
        QVERIFY(t.lvChg->dragEnabled());
        t.lvChg->setCurrentRow(from);
        t.lvChgDragDrop(t.lvChg->visualItemRect(t.lvChg->item(to)).center());
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(t.lvChg->item(i)->text(), before[order[i]]);
            QCOMPARE(t.lvChg->item(i)->checkState() == Qt::Checked, ticked[order[i]]);
        }
        QCOMPARE(t.lvChg->count(), before.size());
        QCOMPARE(t.lvChg->currentRow(), to);
        QVERIFY(t.edtKotei1->isEnabled());
    }

    void dropBesideTheEntriesOrFromElsewhereChangesNothing() {
        RenameTab t(systemFileSystem(), m_clock);
        t.resize(700, 600);
        QVERIFY(test::showExposed(t));
        QStringList before;
        for (int i = 0; i < t.lvChg->count(); ++i)
            before << t.lvChg->item(i)->text();
        auto order = [&t] {
            QStringList now;
            for (int i = 0; i < t.lvChg->count(); ++i)
                now << t.lvChg->item(i)->text();
            return now;
        };
        const QRect last = t.lvChg->visualItemRect(t.lvChg->item(t.lvChg->count() - 1));
        t.lvChg->setCurrentRow(2);
        t.lvChgDragDrop(QPoint(last.center().x(), last.bottom() + 40));
        QCOMPARE(order(), before);
        // No entry selected.
        t.lvChg->clearSelection();
        t.lvChgDragDrop(t.lvChg->visualItemRect(t.lvChg->item(5)).center());
        QCOMPARE(order(), before);
        // Something dragged in from outside the list is refused, and its drop changes nothing.
        t.lvChg->setCurrentRow(2);
        QMimeData data;
        data.setText(QStringLiteral("x"));
        const QPointF at = t.lvChg->visualItemRect(t.lvChg->item(5)).center();
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(t.lvChg->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(t.lvChg->viewport(), &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(order(), before);
    }

    void ruleSetRoundTripsThroughTheControls() {
        RenameTab t(systemFileSystem(), m_clock);
        RenameRuleSet r = RenameRuleSet::defaults();
        std::swap(r.elements[0], r.elements[8]);
        r.elements[0].checked = true;
        r.fixF1 = "a";
        r.fixF2 = "b";
        r.fixK = "c";
        r.motoStart = 3;
        r.motoEnd = 40;
        r.renKeta = "2";
        r.renAdd = 9;
        r.dateTime = 5;
        r.dateK = "-";
        r.timeK = "";
        r.strChgBefore = "(\\d+)|[<>]";
        r.strChgAfter = "\\$1";
        r.strChgRegex = true;
        r.caseMode = 3;
        r.renFolder = true;
        r.width = 4;
        r.kana = 1;
        r.nfc = true;
        test::ScriptedPrompts prompts;
        t.applyRuleSet(r);
        QVERIFY(prompts.asked.empty()); // a stored pattern keeps every character
        const RenameRuleSet back = t.currentRuleSet();
        for (std::size_t i = 0; i < 9; ++i) {
            QCOMPARE(back.elements[i].caption, r.elements[i].caption);
            QCOMPARE(back.elements[i].checked, r.elements[i].checked);
        }
        QCOMPARE(back.fixF1, r.fixF1);
        QCOMPARE(back.fixF2, r.fixF2);
        QCOMPARE(back.fixK, r.fixK);
        QCOMPARE(back.motoStart, 3);
        QCOMPARE(back.motoEnd, 40);
        QCOMPARE(back.renKeta, std::string("2"));
        QCOMPARE(back.renAdd, 9);
        QCOMPARE(back.dateTime, 5);
        QCOMPARE(back.dateK, std::string("-"));
        QCOMPARE(back.timeK, std::string());
        QCOMPARE(back.strChgBefore, r.strChgBefore);
        QCOMPARE(back.strChgAfter, r.strChgAfter);
        QVERIFY(back.strChgRegex);
        QCOMPARE(back.caseMode, 3);
        QVERIFY(back.renFolder);
        QCOMPARE(back.width, 4);
        QCOMPARE(back.kana, 1);
        QVERIFY(back.nfc);
        // Values outside the lists leave them without a selection, and read back as they are shown.
        r.width = 9;
        r.kana = -2;
        t.applyRuleSet(r);
        QCOMPARE(t.currentRuleSet().width, -1);
        QCOMPARE(t.currentRuleSet().kana, -1);
    }

    void selectComboItemMatchesExactly() {
        QComboBox c;
        SelectComboItem(&c, QStringLiteral("x"));
        QCOMPARE(c.currentIndex(), -1); // nothing to select
        c.addItems({QStringLiteral("--"), QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("A")});
        const struct {
            const char* text;
            int index;
        } rows[] = {{"A", 2}, {"a", 1}, {"--", 0}, {"b", 0}, {"", 0}, {" A", 0}};
        for (const auto& row : rows) {
            c.setCurrentIndex(3);
            SelectComboItem(&c, QString::fromUtf8(row.text));
            QCOMPARE(c.currentIndex(), row.index);
        }
    }
};

QTEST_MAIN(RenameTabTest)
#include "RenameTabTest.moc"
