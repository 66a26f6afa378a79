// The road of a typical rename through the real main window: search a folder, run a rule over the
// listed files, look at the rows, then undo the run.

#include "app/TFrmMain.h"
#include "common/ui/PathComboBox.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchTab.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "run/ui/TFrmChg.h"
#include "support/TestSupport.h"
#include "support/ui/ChangeDialogAnswers.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace rinoza;

namespace {

const LocalDateTime kNow{2026, 12, 6, 13, 45, 9, 0};

using test::q;

// Serial numbered copies of the old names: "<old base>_001.<ext>".
RenameRuleSet serialRule() {
    RenameRuleSet r = RenameRuleSet::defaults();
    for (auto& e : r.elements)
        e.checked = false;
    r.elements[1].checked = true; // 2) old name
    r.elements[2].checked = true; // 3) fixed text 2
    r.elements[3].checked = true; // 4) serial
    r.elements[5].checked = true; // 6) period
    r.fixF2 = "_";
    return r;
}

// Asks the window to close (as the window manager's close button does) the moment the progress
// dialog of a run or undo appears, so the request reaches the window in the middle of the operation.
class CloseWhenProgressShows : public QObject {
public:
    explicit CloseWhenProgressShows(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~CloseWhenProgressShows() override { qApp->removeEventFilter(this); }
    int requests = 0;
    int refused = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && o->objectName() == QLatin1String("FrmRenameOn") && m_window) {
            ++requests;
            if (!m_window->close())
                ++refused;
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

class MainWindowFlowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_work;
    FixedClock m_clock{kNow};

    // Lists the work folder's files that match the pattern, as the search tab's start button does.
    void search(TFrmMain& w, const QString& pattern) {
        w.tbsFnd->cmbFndName->setEditText(pattern);
        w.tbsFnd->cmbFnd->setEditText(QString::fromStdString(m_work->path()));
        w.tbsFnd->btnStart->click();
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<test::TempDir>();
    }

    void searchRenameAndUndo() {
        test::writeFile(*m_work / "b.txt", "bee");
        test::writeFile(*m_work / "a.txt", "ay");
        test::writeFile(*m_work / "sub/c.txt", "sea");
        test::writeFile(*m_work / "skip.dat", "no");
        const auto before = test::snapshotTree(m_work->path());

        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));

        // Search: the folder's own files first, then the subfolder's.
        search(w, QStringLiteral("*.txt"));
        QCOMPARE(w.fileList->rowCount(), 3);
        QCOMPARE(w.ListedFileCount(), 3);
        QCOMPARE(w.statusText(), q("3 個のファイルがリストアップされています。"));
        QCOMPARE(w.pgcMain->currentWidget(), static_cast<QWidget*>(w.tbsSet)); // Focus is on by default
        QCOMPARE(w.fileList->row(2).name, std::string("c.txt"));
        QCOMPARE(w.fileList->row(2).folder, m_work->path() + "/sub");

        // Sort by name so the serial numbers follow the names.
        w.fileList->lvFileColumnClick(0);
        QCOMPARE(w.fileList->row(0).name, std::string("a.txt"));

        // Rename in place; the confirmation dialog is answered with method 0.
        w.tbsSet->applyRuleSet(serialRule());
        prompts.dialogAnswer(test::startWith(0));
        w.tbsSet->btnCnvStart->click();
        QCOMPARE(prompts.dialogsShown, 1);
        QCOMPARE(w.statusText(), q("3個のファイルが正常に変名されました。"));
        QVERIFY(test::pathExists(*m_work / "a_001.txt"));
        QVERIFY(test::pathExists(*m_work / "b_002.txt"));
        QVERIFY(test::pathExists(*m_work / "sub/c_003.txt"));
        QCOMPARE(test::readFile(*m_work / "b_002.txt"), std::string("bee"));
        QCOMPARE(w.fileList->row(1).name, std::string("b_002.txt"));
        QCOMPARE(QString::fromStdString(w.fileList->row(1).remarks), q("OK (変名前：b.txt)"));
        QVERIFY(w.isEnabled());
        QVERIFY(w.N6->isEnabled());
        QVERIFY(w.N8->isEnabled());

        // Undo: one question answered OK, then the tree is as before.
        prompts.answer(mrOk);
        w.N6->trigger();
        QCOMPARE(w.statusText(), q("3/3個が変名を戻されました。"));
        QCOMPARE(test::snapshotTree(m_work->path()), before);
        QVERIFY(w.close());
    }

    // Files made in scrambled order are listed by name, so a run's serial numbers follow the names,
    // through the start button and the keyboard as a user works.
    void aSearchListsByNameAndTheSerialNumbersFollow() {
        const char* const made[] = {"IMG_0010.jpg", "IMG_0002.jpg", "img_0003.jpg", "IMG_0001.jpg", "IMG_0009.jpg"};
        for (const char* n : made)
            test::writeFile(*m_work / n, n);
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        w.tbsFnd->cmbFndName->setEditText(QStringLiteral("*.jpg"));
        w.tbsFnd->cmbFnd->setEditText(QString::fromStdString(m_work->path()));
        w.tbsFnd->cmbFndName->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.fileList->rowCount(), 5);
        const char* const byName[] = {"IMG_0001.jpg", "IMG_0002.jpg", "img_0003.jpg", "IMG_0009.jpg", "IMG_0010.jpg"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w.fileList->row(i).name, std::string(byName[i]));

        w.tbsSet->applyRuleSet(serialRule());
        prompts.dialogAnswer(test::startWith(0));
        w.tbsSet->btnCnvStart->click();
        const char* const numbered[] = {"IMG_0001_001.jpg", "IMG_0002_002.jpg", "img_0003_003.jpg", "IMG_0009_004.jpg",
                                        "IMG_0010_005.jpg"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(test::readFile(*m_work / numbered[i]), std::string(byName[i]));
    }

    // A file unpacked from a Windows archive (its name in CP932 bytes), renamed through the window as a
    // user does it: the preview, the new name and the remarks are UTF-8, and the undo brings back the
    // name's very bytes.
    void aNameFromAWindowsArchiveIsRenamedToUtf8AndUndone() {
        const std::string cp932 = "\x83\x65\x83\x58\x83\x67.txt"; // テスト.txt
        test::writeFile(*m_work / cp932, "test");
        const auto before = test::snapshotTree(m_work->path());
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const auto type = [](int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), mods);
        };
        const auto remarks = [&w] { return w.fileList->index(0, FileListModel::ColRemarks).data().toString(); };

        // The folder typed over the one shown; Enter searches and the rename tab comes up.
        QTest::mouseClick(w.tbsFnd->cmbFnd->lineEdit(), Qt::LeftButton);
        type(Qt::Key_End);
        type(Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(m_work->path()));
        type(Qt::Key_Return);
        QCOMPARE(w.fileList->rowCount(), 1);
        QCOMPARE(w.fileList->index(0, FileListModel::ColName).data().toString(), q("テスト.txt"));
        QCOMPARE(w.pgcMain->currentWidget(), static_cast<QWidget*>(w.tbsSet));

        // Element 1 ticked with the space bar, its text typed; the example follows.
        QListWidget* elements = w.tbsSet->lvChg;
        QTest::mouseClick(elements->viewport(), Qt::LeftButton, {},
                          elements->visualItemRect(elements->item(0)).center());
        type(Qt::Key_Space);
        QCOMPARE(elements->item(0)->checkState(), Qt::Checked);
        QTest::mouseClick(w.tbsSet->edtKotei1, Qt::LeftButton);
        QInputMethodEvent typed; // kanji come through the input method
        typed.setCommitString(q("写真_"));
        QApplication::sendEvent(QApplication::focusWidget(), &typed);
        QCOMPARE(w.tbsSet->edtReiAfter->text(), q("写真_abcde.xyz"));

        // The preview (Ctrl+K) shows the name the run then gives.
        type(Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(remarks(), q("写真_テスト.txt"));
        prompts.dialogAnswer(test::startWith(0));
        QTest::mouseClick(w.tbsSet->btnCnvStart, Qt::LeftButton);
        const std::string utf8 = "写真_テスト.txt";
        QCOMPARE(test::readFile(*m_work / utf8), std::string("test"));
        QVERIFY(!test::pathExists(*m_work / cp932));
        QCOMPARE(w.fileList->row(0).name, utf8);
        QCOMPARE(remarks(), q("OK (変名前：テスト.txt)"));
        QCOMPARE(w.statusText(), q("1個のファイルが正常に変名されました。"));

        // Ctrl+Z from the field: the file has its old bytes again.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::mouseClick(w.tbsSet->edtKotei1, Qt::LeftButton);
        prompts.answer(mrOk);
        type(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.statusText(), q("1/1個が変名を戻されました。"));
        QCOMPARE(test::snapshotTree(m_work->path()), before);
        QCOMPARE(test::readFile(*m_work / cp932), std::string("test"));
    }

    // Help with no application to show the manual says so, not that the manual is missing.
    void helpWithoutABrowserSaysNoApplicationCouldOpenIt() {
        test::ScriptedPrompts prompts;
        prompts.openSucceeds = false;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        w.tbsFnd->cmbFndName->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
        QCOMPARE(prompts.opened.size(), 1);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, q("関連付けされたアプリケーションがありません。"));
    }

    void aSecondRunOfTheSameRuleRefusesClashesAndKeepsEveryFile() {
        test::writeFile(*m_work / "x.txt", "1");
        test::writeFile(*m_work / "x_001.txt", "taken");

        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        search(w, QStringLiteral("x.txt"));
        QCOMPARE(w.fileList->rowCount(), 1);

        w.tbsSet->applyRuleSet(serialRule());
        prompts.dialogAnswer(test::startWith(0));
        w.tbsSet->btnCnvStart->click();
        QCOMPARE(QString::fromStdString(w.fileList->row(0).remarks), q("x:既に存在"));
        QCOMPARE(test::readFile(*m_work / "x_001.txt"), std::string("taken"));
        QCOMPARE(test::readFile(*m_work / "x.txt"), std::string("1"));
        QCOMPARE(w.statusText(), q("0個のファイルが正常に変名されました。"));
    }

    // The clear button and the list command (Ctrl+Delete) both empty the list and say so.
    void theClearButtonAndTheClearCommandEmptyTheList() {
        test::writeFile(*m_work / "a.txt", "ay");
        test::writeFile(*m_work / "b.txt", "bee");
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        for (int way = 0; way < 2; ++way) {
            search(w, QStringLiteral("*.txt"));
            QCOMPARE(w.fileList->rowCount(), 2);
            QVERIFY(w.tbsFnd->btnlvClr->isEnabled());
            if (way == 0)
                w.tbsFnd->btnlvClr->click();
            else
                w.N9->trigger();
            QCOMPARE(w.fileList->rowCount(), 0);
            QCOMPARE(w.ListedFileCount(), 0);
            QVERIFY(!w.tbsFnd->btnlvClr->isEnabled());
            QCOMPARE(w.statusText(), QString());
        }
        QVERIFY(prompts.asked.empty());
    }

    void aCloseRequestDuringTheRunOrTheUndoIsRefusedAndTheOperationFinishes() {
        test::writeFile(*m_work / "a.txt", "ay");
        test::writeFile(*m_work / "b.txt", "bee");
        const auto before = test::snapshotTree(m_work->path());

        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        search(w, QStringLiteral("*.txt"));
        QCOMPARE(w.fileList->rowCount(), 2);
        w.fileList->lvFileColumnClick(0);
        w.tbsSet->applyRuleSet(serialRule());

        CloseWhenProgressShows closer(&w);
        prompts.dialogAnswer(test::startWith(0));
        w.tbsSet->btnCnvStart->click();
        QCOMPARE(closer.requests, 1);
        QCOMPARE(closer.refused, 1);
        QVERIFY(w.isVisible());
        QCOMPARE(w.statusText(), q("2個のファイルが正常に変名されました。"));
        QVERIFY(test::pathExists(*m_work / "a_001.txt"));
        QVERIFY(test::pathExists(*m_work / "b_002.txt"));

        prompts.answer(mrOk);
        w.N6->trigger();
        QCOMPARE(closer.requests, 2);
        QCOMPARE(closer.refused, 2);
        QVERIFY(w.isVisible());
        QCOMPARE(w.statusText(), q("2/2個が変名を戻されました。"));
        QCOMPARE(test::snapshotTree(m_work->path()), before);

        // Once the operation is over, the window closes as usual.
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(MainWindowFlowTest)
#include "MainWindowFlowTest.moc"
