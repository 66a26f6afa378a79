// The main window's view menu on the list: the display settings dialog behind Ctrl+O (its OK reloads
// the settings and takes the icons off the listed rows when they are turned off), and the selection
// commands pressed on the focused list.

#include "app/TFrmMain.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "settings/IniFile.h"
#include "settings/ui/TFrmSetup.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <memory>

using namespace rinoza;
using namespace rinoza::test;

namespace {

int rowsWithIcons(const FileListModel& m) {
    int n = 0;
    for (int r = 0; r < m.rowCount(); ++r)
        if (!m.data(m.index(r, FileListModel::ColName), Qt::DecorationRole).value<QIcon>().isNull())
            ++n;
    return n;
}

// Answers the dialog as a user: shown, the given access key pressed (none when 0), then Enter or Esc.
std::function<int(QDialog&)> pressInDialog(Qt::Key accessKey, bool ok) {
    return [=](QDialog& d) {
        d.show();
        d.activateWindow();
        // A dialog over the window counts as active with its window; wait until it has the keys itself.
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &d; }))
            return int(QDialog::Rejected);
        if (accessKey != Qt::Key_unknown) {
            auto* box = d.findChild<QCheckBox*>(QStringLiteral("cbLVVisible"));
            const bool was = box->isChecked();
            QTest::keyClick(QApplication::focusWidget(), accessKey, Qt::AltModifier);
            if (!QTest::qWaitFor([&] { return box->isChecked() != was; }))
                return int(QDialog::Rejected);
        }
        QTest::keyClick(QApplication::focusWidget(), ok ? Qt::Key_Return : Qt::Key_Escape);
        return d.result();
    };
}

} // namespace

class DisplaySettingsMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_home;
    std::unique_ptr<TempDir> m_work;
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

    std::unique_ptr<TFrmMain> openWithFiles() {
        std::vector<std::string> files;
        for (const char* n : {"a.txt", "b.png", "c.dat"}) {
            writeFile(*m_work / n, n);
            files.push_back(*m_work / n);
        }
        auto w = std::make_unique<TFrmMain>(systemFileSystem(), files, &m_clock);
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get()))
            return nullptr;
        w->lvFile->setFocus();
        QApplication::processEvents();
        return w;
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<TempDir>();
    }

    void theDialogIsMadeHiddenAtStart() {
        ScriptedPrompts prompts;
        auto w = openWithFiles();
        QVERIFY(w);
        auto* dlg = w->findChild<TFrmSetup*>(QStringLiteral("FrmSetup"));
        QVERIFY(dlg);
        QVERIFY(!dlg->isVisible());
        QCOMPARE(dlg->windowTitle(), q("表示設定"));
    }

    // Unticking the icons and OK: the rows lose their icons, the window's settings follow the file.
    // Esc instead: nothing changes.
    void iconsOffByCtrlO_data() {
        QTest::addColumn<bool>("ok");
        QTest::newRow("OK") << true;
        QTest::newRow("Esc") << false;
    }
    void iconsOffByCtrlO() {
        QFETCH(bool, ok);
        ScriptedPrompts prompts;
        auto w = openWithFiles();
        QVERIFY(w);
        QCOMPARE(rowsWithIcons(*w->fileList), 3);
        prompts.dialogAnswer(pressInDialog(Qt::Key_V, ok));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(prompts.dialogsShown, 1);
        QCOMPARE(w->displaySettings.LVIconVisible, !ok);
        QCOMPARE(rowsWithIcons(*w->fileList), ok ? 0 : 3);
        QCOMPARE(pathExists(settingsFilePath(systemFileSystem())), ok);
        if (ok)
            QCOMPARE(IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
                         .ReadBool("Window", "LVIconVisible", true),
                     false);
        QVERIFY(prompts.asked.empty());
    }

    void selectionKeysOnTheList_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<int>>("selectedBefore");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("Ctrl+B, none selected") << int(Qt::Key_B) << QList<int>{} << QList<int>{0, 1, 2};
        QTest::newRow("Ctrl+B, one selected") << int(Qt::Key_B) << QList<int>{1} << QList<int>{0, 2};
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << QList<int>{1} << QList<int>{0, 1, 2};
    }
    void selectionKeysOnTheList() {
        QFETCH(int, key);
        QFETCH(QList<int>, selectedBefore);
        QFETCH(QList<int>, selectedAfter);
        ScriptedPrompts prompts;
        auto w = openWithFiles();
        QVERIFY(w);
        w->lvFile->clearSelection();
        for (int r : selectedBefore)
            w->lvFile->selectionModel()->select(w->fileList->index(r, 0),
                                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::ControlModifier);
        QList<int> selected;
        for (const QModelIndex& i : w->lvFile->selectionModel()->selectedRows())
            selected << i.row();
        std::sort(selected.begin(), selected.end());
        QCOMPARE(selected, selectedAfter);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->lvFile));
    }
};

QTEST_MAIN(DisplaySettingsMenuTest)
#include "DisplaySettingsMenuTest.moc"
