// Files dropped onto the main window and paths given on the command line, as a file manager and a
// shell hand them over: drag events carrying text/uri-list.

#include "app/TFrmMain.h"
#include "common/ui/PathComboBox.h"
#include "filelist/UriList.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchTab.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmRenameOn.h"
#include "support/TestSupport.h"
#include "support/ui/ChangeDialogAnswers.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <memory>
#include <unistd.h>

using namespace rinoza;
using test::q;

namespace {

const LocalDateTime kNow{2026, 12, 6, 13, 45, 9, 0};

// Drags the paths over `target` (the window by default) and drops them; returns whether it was taken.
// With `libfm`, the uri-list holds each path read as UTF-8, as pcmanfm-qt makes it, and the exact
// list comes beside it in pcmanfm-qt's own format.
bool drop(TFrmMain& w, const std::vector<std::string>& paths, QWidget* target = nullptr, bool libfm = false) {
    target = target ? target : &w;
    QMimeData data;
    const std::string list = uriListOf(paths);
    const QByteArray exact(list.data(), qsizetype(list.size()));
    QByteArray lossy;
    for (const std::string& p : paths)
        lossy += QUrl::fromLocalFile(QString::fromUtf8(p.data(), qsizetype(p.size()))).toEncoded() + "\n";
    data.setData(QStringLiteral("text/uri-list"), libfm ? lossy : exact);
    if (libfm)
        data.setData(QStringLiteral("libfm/files"), exact);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    return dropped.isAccepted();
}

std::vector<std::string> names(const FileListModel& m) {
    std::vector<std::string> n;
    for (const FileListRow& r : m.rows())
        n.push_back(r.name);
    return n;
}

} // namespace

class FileDropTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_work;
    FixedClock m_clock{kNow};

    std::string file(const std::string& name) {
        test::writeFile(*m_work / name, name);
        return *m_work / name;
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<test::TempDir>();
    }

    // Dropped files ignore the display filters and the search limit.
    void aHiddenFileIsListedAtTheLimitWithHiddenFilesFilteredOut() {
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        w.displaySettings.LVHiddenVisible = false;
        w.displaySettings.LVIconMax = 1;
        QVERIFY(drop(w, {file("a")}));
        QVERIFY(drop(w, {file(".hidden")}));
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"a", ".hidden"}));
        QCOMPARE(w.fileList->row(1).folder, m_work->path());
        QCOMPARE(w.ListedFileCount(), 2);
        QCOMPARE(w.statusText(), q("2 個のファイルがリストアップされています。"));
        QVERIFY(w.tbsFnd->btnlvClr->isEnabled());
        QVERIFY(w.isEnabled());
    }

    void aFolderBecomesTheSearchFolder() {
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(drop(w, {file("a")}));
        test::makeDirs(*m_work / "sub");
        QVERIFY(drop(w, {*m_work / "sub"}));
        QCOMPARE(w.fileList->rowCount(), 1);
        QCOMPARE(w.tbsFnd->cmbFnd->pathText(), *m_work / "sub");
        QCOMPARE(w.pgcMain->currentWidget(), static_cast<QWidget*>(w.tbsFnd));
        QCOMPARE(w.statusText(), q("1 個のファイルがリストアップされています。"));
    }

    void theSameFileTwiceGivesOneRowTheNewOneLast() {
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        const std::string a = file("a"), b = file("b");
        QVERIFY(drop(w, {a, b, a}));
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"b", "a"}));
        QVERIFY(drop(w, {b}));
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"a", "b"}));
        QCOMPARE(w.ListedFileCount(), 2);
    }

    // The list read when the drag came in serves its drop; a drop of other data takes its own list.
    void aDropTakesThePathsOfTheDataDropped() {
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        const std::string a = file("a"), b = file("b");
        QMimeData entered, dropped;
        for (auto [data, path] : {std::pair{&entered, a}, std::pair{&dropped, b}}) {
            const std::string list = uriListOf({path});
            data->setData(QStringLiteral("text/uri-list"), QByteArray(list.data(), qsizetype(list.size())));
        }
        const QPoint at = w.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &entered, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &enter);
        QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&w, &dropEvent);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"b"}));
        QVERIFY(drop(w, {a}));
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"b", "a"}));
    }

    void threeFilesShowTheRenameTabOnlyWithFocus_data() {
        QTest::addColumn<bool>("focus");
        QTest::newRow("Focus on") << true;
        QTest::newRow("Focus off") << false;
    }
    void threeFilesShowTheRenameTabOnlyWithFocus() {
        QFETCH(bool, focus);
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        w.displaySettings.Focus = focus;
        QVERIFY(drop(w, {file("c"), file("a"), file("b")}));
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"c", "a", "b"}));
        QCOMPARE(w.pgcMain->currentWidget(), focus ? static_cast<QWidget*>(w.tbsSet) : w.tbsFnd);
    }

    // A file dropped onto a text field is listed; the field keeps its text.
    void aDropOntoATextFieldListsTheFile() {
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        QLineEdit* field = w.tbsFnd->cmbFnd->lineEdit();
        const QString before = field->text();
        QVERIFY(drop(w, {file("a")}, field));
        QCOMPARE(w.fileList->rowCount(), 1);
        QCOMPARE(field->text(), before);
    }

    void aNonUtf8NameIsDroppedAndRenamed_data() {
        QTest::addColumn<bool>("libfm");
        QTest::newRow("text/uri-list") << false;
        QTest::newRow("pcmanfm-qt's lists") << true;
    }
    void aNonUtf8NameIsDroppedAndRenamed() {
        QFETCH(bool, libfm);
        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        const std::string name = "\x82\xa0.txt"; // "あ.txt" in CP932
        QVERIFY(drop(w, {file(name)}, nullptr, libfm));
        QCOMPARE(names(*w.fileList), std::vector<std::string>{name});
        RenameRuleSet r = RenameRuleSet::defaults();
        for (auto& e : r.elements)
            e.checked = false;
        r.elements[1].checked = true; // the old name
        r.elements[2].checked = true; // fixed text 2
        r.elements[5].checked = true; // the period and extension
        r.fixF2 = "_x";
        w.tbsSet->applyRuleSet(r);
        prompts.dialogAnswer(test::startWith(0));
        w.tbsSet->btnCnvStart->click();
        QVERIFY(test::pathExists(*m_work / "あ_x.txt")); // built from the CP932 reading, in UTF-8
        QVERIFY(!test::pathExists(*m_work / name));
    }

    void theStopButtonEndsTheDropPartWay() {
        test::ScriptedPrompts prompts; // the stop question is answered Yes
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        std::vector<std::string> paths;
        for (int i = 0; i < 20; ++i)
            paths.push_back(file("f" + std::to_string(i)));
        w.progressHost()->setSliceMs(0);
        // The stop button is pressed after the drop has added a few paths.
        int countdown = 4;
        QString caption;
        std::function<void()> pressLater = [&] {
            if (--countdown > 0)
                QMetaObject::invokeMethod(&w, pressLater, Qt::QueuedConnection);
            else if (TFrmRenameOn* d = w.progressHost()->dialog()) {
                caption = d->windowTitle();
                d->btnCancel()->click();
            }
        };
        QMetaObject::invokeMethod(&w, pressLater, Qt::QueuedConnection);
        QVERIFY(drop(w, paths));
        QCOMPARE(caption, q("Rinoza [ドロップファイル受付中]"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QVERIFY(w.fileList->rowCount() > 0);
        QVERIFY(w.fileList->rowCount() < 20);
        QCOMPARE(w.fileList->row(0).name, std::string("f0"));
        QVERIFY(w.isEnabled());
        QVERIFY(!w.progressHost()->inProgress());
        QCOMPARE(w.statusText(),
                 q(std::to_string(w.fileList->rowCount()) + " 個のファイルがリストアップされています。"));
    }

    // The progress dialog comes, disabling the window, once a drop has run for 15 time slices; a drop
    // that ends sooner leaves the window enabled throughout.
    void theDialogShowsOnlyOnceADropTakesAWhile_data() {
        QTest::addColumn<int>("sliceMs");
        QTest::addColumn<int>("lookupMs");
        QTest::addColumn<int>("enabledChanges");
        QTest::newRow("a drop shorter than 15 s") << 1000 << 0 << 0;
        QTest::newRow("a drop of 60 ms, longer than 15 ms") << 1 << 2 << 2;
    }
    void theDialogShowsOnlyOnceADropTakesAWhile() {
        QFETCH(int, sliceMs);
        QFETCH(int, lookupMs);
        QFETCH(int, enabledChanges);
        struct SlowFileSystem : PosixFileSystem {
            unsigned long ms = 0;
            int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) override {
                QThread::msleep(ms);
                return PosixFileSystem::statAt(folder, name, info, followLinks);
            }
        } fs;
        struct EnabledChanges : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* e) override {
                return count += e->type() == QEvent::EnabledChange, false;
            }
        } changes;
        test::ScriptedPrompts prompts;
        TFrmMain w(fs, {}, &m_clock);
        fs.ms = static_cast<unsigned long>(lookupMs);
        w.progressHost()->setSliceMs(sliceMs);
        w.installEventFilter(&changes);
        std::vector<std::string> paths;
        for (int i = 0; i < 30; ++i)
            paths.push_back(file("f" + std::to_string(i)));
        QVERIFY(drop(w, paths));
        QCOMPARE(changes.count, enabledChanges);
        QCOMPARE(w.fileList->rowCount(), 30);
        QVERIFY(w.isEnabled() && !w.progressHost()->inProgress());
    }

    // rinoza FOLDER FILE1 .HIDDEN FILE2, with hidden files filtered out and Focus on.
    void theCommandLineListsItsFilesInOrder() {
        test::writeFile(*m_home / "rinoza.ini", "[Window]\r\nLVHiddenVisible=0\r\nFocus=1\r\n");
        test::makeDirs(*m_work / "folder");
        const std::string f1 = file("file1"), hidden = file(".hidden"), f2 = file("file2");
        test::ScriptedPrompts prompts;
        // FILE2 is relative to the working folder.
        const std::string cwd = systemFileSystem().currentFolder();
        QVERIFY(::chdir(m_work->path().c_str()) == 0);
        TFrmMain w(systemFileSystem(), {*m_work / "folder", f1, hidden, "file2"}, &m_clock);
        QVERIFY(::chdir(cwd.c_str()) == 0);
        QCOMPARE(names(*w.fileList), (std::vector<std::string>{"file1", ".hidden", "file2"}));
        QCOMPARE(w.fileList->fullPath(2), f2);
        QCOMPARE(w.tbsFnd->cmbFnd->pathText(), *m_work / "folder");
        QCOMPARE(w.pgcMain->currentWidget(), static_cast<QWidget*>(w.tbsSet));
        QCOMPARE(w.statusText(), q("3 個のファイルがリストアップされています。"));
        QVERIFY(!w.lvFile->isHidden());
    }
};

QTEST_MAIN(FileDropTest)
#include "FileDropTest.moc"
