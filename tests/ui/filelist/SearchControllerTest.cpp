#include "filelist/ui/SearchController.h"
#include "common/ui/PathComboBox.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchHistory.h"
#include "filelist/ui/SearchTab.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"

#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using rinoza::test::q;
using rinoza::test::ScriptedPrompts;
using rinoza::test::TempDir;
using rinoza::test::writeBigTree;
using rinoza::test::writeFile;
using rinoza::test::writeSearchTree;

namespace {

// A small window holding what the search works on: the tabs with the search tab and a stand-in
// rename tab, the list, a status text and the list menu switch.
struct Window {
    QWidget top;
    QTabWidget* pgcMain = new QTabWidget(&top);
    SearchTab* tab = new SearchTab;
    QWidget* tbsSet = new QWidget;
    QString status = QStringLiteral("before");
    DisplaySettings display;
    FileListController list{listHost(), &top};
    QTableView* lvFile = list.view();
    FileListModel& model = *list.model();
    std::unique_ptr<SearchController> ctl;

    FileListHost listHost() {
        FileListHost h;
        h.fileSystem = &systemFileSystem();
        h.clearButton = tab->btnlvClr;
        h.setStatus = [this](const QString& s) { status = s; };
        h.displaySettings = [this] { return display; };
        return h;
    }

    Window() {
        auto* layout = new QVBoxLayout(&top);
        layout->addWidget(pgcMain);
        layout->addWidget(lvFile);
        pgcMain->addTab(tab, QStringLiteral("検索"));
        pgcMain->addTab(tbsSet, QStringLiteral("変名"));
        SearchWidgets w = searchTabWidgets(*tab);
        w.tbsSet = tbsSet;
        w.pgcMain = pgcMain;
        w.list = &list;
        w.setStatus = [this](const QString& s) { status = s; };
        w.displaySettings = [this] { return display; };
        ctl = std::make_unique<SearchController>(std::move(w));
        top.show();
    }

    void search(const std::string& folder, const QString& pattern = QStringLiteral("*.*")) {
        tab->cmbFnd->setEditText(q(folder));
        tab->cmbFndName->setEditText(pattern);
        tab->btnStart->click();
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& r : model.rows())
            out.push_back(r.name);
        return out;
    }

    QStringList sortedNames() const {
        QStringList out;
        for (const auto& n : names())
            out << q(n);
        out.sort();
        return out;
    }
};

QStringList names(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

QString listed(int rows) {
    return q(rowCountStatusText(rows));
}

QStringList items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

} // namespace

class SearchControllerTest : public QObject {
    Q_OBJECT
private slots:
    void rowOrderStatusAndState();
    void filters_data();
    void filters();
    void limitKeepsEarlierRowsAndWarnsOnce_data();
    void limitKeepsEarlierRowsAndWarnsOnce();
    void stopButtonEndsTheSearchAndTheEndStepsRun();
    void escapeStopsOnlyARunningSearch();
    void duplicatesKeepOneRowPerFile();
    void missingFolderWarnsAndChangesNothing();
    void linkLoopEnds();
    void renameTabAfterSearch_data();
    void renameTabAfterSearch();
    void patternHistory();
    void folderHistory();
    void historiesFromASearch();
    void browseForFolder();
    void clearAndAddedPaths();
};

void SearchControllerTest::rowOrderStatusAndState() {
    TempDir t;
    std::vector<std::string> expected;
    for (const std::string& path : writeSearchTree(t))
        expected.push_back(baseNameOf(path));

    ScriptedPrompts prompts;
    Window w;
    w.model.setSortKey(-3);
    w.search(t.path() + "/", QStringLiteral("*.TXT"));

    QCOMPARE(w.names(), expected);
    QCOMPARE(w.model.row(0).folder, t.path()); // the typed trailing "/" is dropped
    QCOMPARE(w.list.ListedFileCount(), 4);
    QCOMPARE(w.status, listed(4));
    QCOMPARE(w.model.sortKey(), 0);
    QVERIFY(prompts.asked.empty());
    // Back to idle: inputs enabled, stop disabled, list shown, cursor normal.
    QVERIFY(w.tab->btnStart->isEnabled() && w.tab->cmbFnd->isEnabled() && w.tab->cmbFndName->isEnabled());
    QVERIFY(w.tab->btnFnd->isEnabled() && w.tab->cbFnd->isEnabled() && w.tab->cbOpt->isEnabled());
    QVERIFY(w.tbsSet->isEnabled());
    QVERIFY(!w.tab->btnStop->isEnabled());
    QVERIFY(w.lvFile->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(w.tab->btnlvClr->isEnabled());
    QVERIFY(w.list.rowsListed());
    QVERIFY(!w.ctl->isSearching());

    // Without subfolders only the folder's own files.
    w.tab->cbFnd->setChecked(false);
    w.search(t.path(), QStringLiteral("*.txt"));
    QCOMPARE(w.names(), std::vector<std::string>{"f1.txt"});
    QCOMPARE(w.status, listed(1));

    // An empty pattern becomes "*.*" and lists every file.
    w.search(t.path() + "/B", QString());
    QCOMPARE(w.tab->cmbFndName->currentText(), QStringLiteral("*.*"));
    QCOMPARE(w.model.rowCount(), 2);
}

void SearchControllerTest::filters_data() {
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QStringList>("expected");
    // The hidden folder .inner is searched whatever the settings say.
    QTest::newRow("all shown") << true << true << names({".h.txt", "plain.txt", "ro.txt", "in.txt"});
    QTest::newRow("hidden skipped") << false << true << names({"plain.txt", "ro.txt", "in.txt"});
    QTest::newRow("read-only skipped") << true << false << names({".h.txt", "plain.txt", "in.txt"});
}

void SearchControllerTest::filters() {
    QFETCH(bool, hidden);
    QFETCH(bool, readOnly);
    QFETCH(QStringList, expected);
    TempDir t;
    writeFile(t / ".h.txt", "");
    writeFile(t / "plain.txt", "");
    writeFile(t / "ro.txt", "");
    chmod((t / "ro.txt").c_str(), 0444);
    writeFile(t / ".inner/in.txt", "");

    ScriptedPrompts prompts;
    Window w;
    w.display.LVHiddenVisible = hidden;
    w.display.LVReadonlyVisible = readOnly;
    w.search(t.path(), QStringLiteral("*.txt"));
    expected.sort();
    QCOMPARE(w.sortedNames(), expected);
    QCOMPARE(w.list.ListedFileCount(), expected.size());
}

void SearchControllerTest::limitKeepsEarlierRowsAndWarnsOnce_data() {
    QTest::addColumn<int>("earlierFiles");  // files listed by an earlier search of another folder
    QTest::addColumn<int>("countedBefore"); // listed count raised without rows (as added paths do)
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("expectedNew");
    QTest::newRow("9990 listed, limit 10000") << 0 << 9990 << 10000 << 10;
    QTest::newRow("earlier rows kept") << 5 << 0 << 8 << 3;
    QTest::newRow("limit in the first folder") << 0 << 0 << 1 << 1;
}

void SearchControllerTest::limitKeepsEarlierRowsAndWarnsOnce() {
    QFETCH(int, earlierFiles);
    QFETCH(int, countedBefore);
    QFETCH(int, limit);
    QFETCH(int, expectedNew);
    TempDir earlier, t;
    for (int i = 0; i < earlierFiles; ++i)
        writeFile(earlier / ("e" + std::to_string(i) + ".txt"), "");
    writeBigTree(t, 3, 10); // 30 files, more than the limit admits

    ScriptedPrompts prompts;
    Window w;
    w.display.LVIconMax = limit;
    w.tab->cbOpt->setChecked(false);
    if (earlierFiles)
        w.search(earlier.path());
    std::vector<FileListRow> counted(static_cast<std::size_t>(countedBefore));
    for (std::size_t i = 0; i < counted.size(); ++i)
        counted[i].name = "counted" + std::to_string(i);
    w.list.appendListedRows(std::move(counted));
    const int before = w.list.ListedFileCount();

    w.search(t.path());
    QCOMPARE(prompts.asked.size(), std::size_t(1));
    QCOMPARE(prompts.asked[0].text,
             QStringLiteral("検索数が") + QString::number(limit) +
                 QStringLiteral("を越えました。検索が途中で中止されます。\n検索設定を見直して下さい。"));
    QCOMPARE(prompts.asked[0].type, MsgType::Information);
    QCOMPARE(prompts.asked[0].buttons, MsgButtons::Ok);
    QCOMPARE(w.list.ListedFileCount(), before + expectedNew);
    QCOMPARE(w.list.ListedFileCount(), limit);
    QCOMPARE(w.model.rowCount(), earlierFiles + countedBefore + expectedNew);
    for (int i = 0; i < earlierFiles; ++i)
        QCOMPARE(w.model.row(i).folder, earlier.path());
    QCOMPARE(w.status, listed(earlierFiles + countedBefore + expectedNew) + QStringLiteral("(追加分=") +
                           QString::number(expectedNew) + QStringLiteral(")"));
    QVERIFY(w.tab->btnStart->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

void SearchControllerTest::stopButtonEndsTheSearchAndTheEndStepsRun() {
    TempDir t;
    writeBigTree(t, 40, 50); // 2000 files
    ScriptedPrompts prompts;
    Window w;
    w.ctl->setTimeSliceMs(0);
    w.pgcMain->setCurrentWidget(w.tab);
    bool lockedWhenPressed = false;
    QTimer::singleShot(0, &w.top, [&] {
        lockedWhenPressed = !w.tab->btnStart->isEnabled() && !w.lvFile->isVisible() && w.ctl->isSearching();
        w.tab->btnStop->click();
    });
    w.search(t.path(), QStringLiteral("*.txt"));

    QVERIFY(lockedWhenPressed);
    QVERIFY(w.ctl->StopRequested());
    QVERIFY(w.model.rowCount() > 0);
    QVERIFY(w.model.rowCount() < 2000);
    QCOMPARE(w.list.ListedFileCount(), w.model.rowCount());
    QCOMPARE(w.status, listed(w.model.rowCount()));
    QVERIFY(prompts.asked.empty());
    QVERIFY(!w.tab->btnStop->isEnabled() && w.tab->btnStart->isEnabled());
    QVERIFY(w.lvFile->isVisible());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(w.pgcMain->currentWidget(), w.tbsSet);
    QCOMPARE(w.tab->cmbFnd->itemText(0), q(t.path()));

    // The next search starts afresh and runs to the end.
    w.search(t.path(), QStringLiteral("*.txt"));
    QCOMPARE(w.model.rowCount(), 2000);
    QVERIFY(!w.ctl->StopRequested());
}

void SearchControllerTest::escapeStopsOnlyARunningSearch() {
    TempDir t;
    writeBigTree(t, 40, 50);
    ScriptedPrompts prompts;
    Window w;
    w.ctl->setTimeSliceMs(0);
    QApplication::setActiveWindow(&w.top);
    QVERIFY(QTest::qWaitForWindowActive(&w.top));

    // Esc while idle does nothing.
    QTest::keyClick(w.pgcMain, Qt::Key_Escape);
    QVERIFY(!w.ctl->StopRequested());

    // Esc reaching a widget outside the search tab, and one inside it, during a search.
    for (QWidget* target : {static_cast<QWidget*>(w.pgcMain->tabBar()), static_cast<QWidget*>(w.tab->btnStop)}) {
        QTimer::singleShot(0, &w.top, [target] {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
        });
        w.search(t.path(), QStringLiteral("*.txt"));
        QVERIFY(w.ctl->StopRequested());
        QVERIFY(w.model.rowCount() < 2000);
        QVERIFY(!w.tab->btnStop->isEnabled());
    }
    // After the search Esc no longer reaches the stop button.
    w.search(t.path() + "/d0", QStringLiteral("*.txt"));
    QTest::keyClick(w.pgcMain->tabBar(), Qt::Key_Escape);
    QVERIFY(!w.ctl->StopRequested());
    QCOMPARE(w.model.rowCount(), 50);
}

void SearchControllerTest::duplicatesKeepOneRowPerFile() {
    TempDir t;
    writeFile(t / "a.txt", "");
    writeFile(t / "sub/b.txt", "");
    ScriptedPrompts prompts;
    Window w;
    w.tab->cbOpt->setChecked(false);
    w.search(t.path());
    QCOMPARE(w.status, listed(2) + QStringLiteral("(追加分=2)"));
    w.model.setRemarks(0, "old");
    w.search(t.path() + "/");
    QCOMPARE(w.model.rowCount(), 2);
    QCOMPARE(w.list.ListedFileCount(), 2);
    QCOMPARE(w.ctl->RemovedDuplicateCount(), 2);
    QCOMPARE(w.status, listed(2) + QStringLiteral("(追加分=0)"));
    for (const auto& r : w.model.rows())
        QCOMPARE(r.remarks, std::string(" ")); // the newer rows stayed

    // Paths are compared exactly: a folder that differs in letter case is another folder.
    writeFile(t / "SUB/b.txt", "");
    w.search(t.path() + "/SUB");
    QCOMPARE(w.model.rowCount(), 3);
    QCOMPARE(w.status, listed(3) + QStringLiteral("(追加分=1)"));
}

void SearchControllerTest::missingFolderWarnsAndChangesNothing() {
    TempDir t;
    writeFile(t / "a.txt", "");
    writeFile(t / "file", "");
    ScriptedPrompts prompts;
    Window w;
    w.search(t.path());
    const QStringList names = items(w.tab->cmbFndName), folders = items(w.tab->cmbFnd);
    const QString status = w.status;
    QCOMPARE(w.model.rowCount(), 2);

    for (const std::string& bad : {t / "missing", t / "file", std::string()}) {
        prompts.asked.clear();
        w.search(bad, QStringLiteral("*.new"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text,
                 QStringLiteral("フォルダー「") + q(bad) +
                     QStringLiteral("」が\n存在しないか、アクセスできません。正しく入力してください。"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::Ok);
        QCOMPARE(w.model.rowCount(), 2);
        QCOMPARE(w.list.ListedFileCount(), 2);
        QCOMPARE(w.status, status);
        QCOMPARE(items(w.tab->cmbFndName), names);
        QCOMPARE(items(w.tab->cmbFnd), folders);
        QCOMPARE(w.tab->cmbFnd->currentText(), q(bad));
        QVERIFY(w.tab->btnStart->isEnabled());
    }
}

void SearchControllerTest::linkLoopEnds() {
    TempDir t;
    writeFile(t / "a.txt", "");
    writeFile(t / "sub/b.txt", "");
    QCOMPARE(symlink(t.path().c_str(), (t / "sub/loop").c_str()), 0);
    QCOMPARE(symlink("sub", (t / "again").c_str()), 0);
    ScriptedPrompts prompts;
    Window w;
    w.search(t.path());
    QCOMPARE(w.sortedNames(), names({"a.txt", "b.txt"}));
    QVERIFY(prompts.asked.empty());
}

void SearchControllerTest::renameTabAfterSearch_data() {
    QTest::addColumn<bool>("focus");
    QTest::addColumn<bool>("clearEachTime");
    QTest::addColumn<QString>("pattern"); // of the second search; the first lists one file
    QTest::addColumn<bool>("renameTab");
    QTest::newRow("rows found") << true << true << QStringLiteral("*.txt") << true;
    QTest::newRow("Focus off") << false << true << QStringLiteral("*.txt") << false;
    QTest::newRow("nothing found") << true << true << QStringLiteral("*.none") << false;
    QTest::newRow("nothing new, earlier rows kept") << true << false << QStringLiteral("*.none") << true;
}

void SearchControllerTest::renameTabAfterSearch() {
    QFETCH(bool, focus);
    QFETCH(bool, clearEachTime);
    QFETCH(QString, pattern);
    QFETCH(bool, renameTab);
    TempDir t;
    writeFile(t / "a.txt", "");
    ScriptedPrompts prompts;
    Window w;
    w.display.Focus = focus;
    w.tab->cbOpt->setChecked(clearEachTime);
    w.search(t.path());
    w.pgcMain->setCurrentWidget(w.tab);
    w.search(t.path(), pattern);
    QCOMPARE(w.pgcMain->currentWidget() == w.tbsSet, renameTab);
    QCOMPARE(w.tab->btnlvClr->isEnabled(), w.list.ListedFileCount() != 0);
    QCOMPARE(w.list.rowsListed(), w.list.ListedFileCount() != 0);
}

void SearchControllerTest::patternHistory() {
    QComboBox c;
    c.setEditable(true);
    c.addItems(names({"*.jpg", "*.doc", "*.txt"}));
    c.setEditText(QStringLiteral("*.TXT"));
    recordPatternHistory(&c, c.currentText());
    QCOMPARE(items(&c), names({"*.txt", "*.jpg", "*.doc"}));
    QCOMPARE(c.currentText(), QStringLiteral("*.txt")); // the stored form wins

    c.setEditText(QStringLiteral("*.Png"));
    recordPatternHistory(&c, c.currentText());
    QCOMPARE(items(&c), names({"*.Png", "*.txt", "*.jpg", "*.doc"}));
    QCOMPARE(c.currentText(), QStringLiteral("*.Png"));

    // Case-insensitive beyond ASCII: full-width letters.
    c.setEditText(QStringLiteral("＊．ＡＢＣ"));
    recordPatternHistory(&c, c.currentText());
    c.setEditText(QStringLiteral("＊．ａｂｃ"));
    recordPatternHistory(&c, c.currentText());
    QCOMPARE(c.count(), 5);
    QCOMPARE(c.currentText(), QStringLiteral("＊．ＡＢＣ"));

    // The 21st distinct entry pushes the oldest out.
    QComboBox full;
    full.setEditable(true);
    for (int i = 1; i <= 21; ++i)
        recordPatternHistory(&full, QStringLiteral("*.%1").arg(i));
    QCOMPARE(full.count(), 20);
    QCOMPARE(full.itemText(0), QStringLiteral("*.21"));
    QCOMPARE(full.itemText(19), QStringLiteral("*.2"));
    QCOMPARE(full.findText(QStringLiteral("*.1")), -1);
}

void SearchControllerTest::folderHistory() {
    SearchTab tab;
    PathComboBox* c = tab.cmbFnd;
    for (const char* f : {"/tmp/a", "/"})
        c->addPath(f);
    // Letter case counts: "/tmp/A" is another folder.
    c->setEditText(QStringLiteral("/tmp/A/"));
    c->recordPath("/tmp/A", kSearchHistoryMax);
    QCOMPARE(items(c), names({"/tmp/A", "/tmp/a", "/"}));
    QCOMPARE(c->currentText(), QStringLiteral("/tmp/A/")); // a new entry: the field keeps its text
    // A stored folder moves to the top and the field shows it.
    c->setEditText(QStringLiteral("/"));
    c->recordPath("/", kSearchHistoryMax);
    QCOMPARE(items(c), names({"/", "/tmp/A", "/tmp/a"}));
    QCOMPARE(c->currentText(), QStringLiteral("/"));

    // A folder whose bytes are not UTF-8 keeps its bytes, shown decoded, and is found again by them.
    const std::string sjis = "/tmp/\x83\x65\x83\x58\x83\x67"; // テスト in CP932
    c->recordPath(sjis, kSearchHistoryMax);
    QCOMPARE(c->itemText(0), QStringLiteral("/tmp/テスト"));
    QCOMPARE(c->pathAt(0), sjis);
    c->setCurrentIndex(0);
    QCOMPARE(c->pathText(), sjis);
    c->recordPath("/tmp/テスト", kSearchHistoryMax); // the UTF-8 name is another folder
    QCOMPARE(c->count(), 5);

    for (int i = 0; i < 30; ++i)
        c->recordPath("/f" + std::to_string(i), kSearchHistoryMax);
    QCOMPARE(c->count(), 20);
    QCOMPARE(c->itemText(0), QStringLiteral("/f29"));
    QCOMPARE(c->itemText(19), QStringLiteral("/f10"));
}

void SearchControllerTest::historiesFromASearch() {
    TempDir t;
    writeFile(t / "a.txt", "");
    ScriptedPrompts prompts;
    Window w;
    w.tab->cmbFndName->addItem(QStringLiteral("*.txt"));
    w.search(t.path() + "/", QStringLiteral("*.TXT"));
    QCOMPARE(w.tab->cmbFndName->itemText(0), QStringLiteral("*.txt"));
    QCOMPARE(w.tab->cmbFndName->currentText(), QStringLiteral("*.txt"));
    QCOMPARE(w.tab->cmbFndName->count(), 1);
    // The folder history receives the search folder, without the trailing "/".
    QCOMPARE(w.tab->cmbFnd->itemText(0), q(t.path()));
    QCOMPARE(w.tab->cmbFnd->currentText(), q(t.path() + "/"));
    w.search(t.path());
    QCOMPARE(w.tab->cmbFnd->count(), 1);
}

void SearchControllerTest::browseForFolder() {
    ScriptedPrompts prompts;
    Window w;
    w.tab->cmbFnd->setEditText(QStringLiteral("/start"));
    prompts.pickAnswer(QStringLiteral("/chosen"));
    w.tab->btnFnd->click();
    QCOMPARE(prompts.pickTitles, QStringList{QStringLiteral("検索するフォルダを選択して下さい")});
    QCOMPARE(prompts.pickStarts, QStringList{QStringLiteral("/start")});
    QCOMPARE(w.tab->cmbFnd->currentText(), QStringLiteral("/chosen"));
    prompts.pickAnswer(QString()); // cancelled
    w.tab->btnFnd->click();
    QCOMPARE(w.tab->cmbFnd->currentText(), QStringLiteral("/chosen"));
}

void SearchControllerTest::clearAndAddedPaths() {
    TempDir t;
    writeFile(t / "a.txt", "");
    writeFile(t / ".hidden", "");
    ScriptedPrompts prompts;
    Window w;
    w.display.LVHiddenVisible = false; // added paths ignore the filters and the limit
    w.display.LVIconMax = 1;
    QVERIFY(w.list.addPath(t / "a.txt"));
    QVERIFY(w.list.addPath(t / ".hidden"));
    QVERIFY(!w.list.addPath(t.path()));
    QVERIFY(!w.list.addPath(t / "missing"));
    QCOMPARE(w.model.rowCount(), 2);
    QCOMPARE(w.list.ListedFileCount(), 2);
    QCOMPARE(w.model.row(1).folder, t.path());
    QVERIFY(prompts.asked.empty());

    w.list.setRowsListed(true);
    w.list.ClearFileList();
    QCOMPARE(w.model.rowCount(), 0);
    QCOMPARE(w.list.ListedFileCount(), 0);
    QVERIFY(!w.tab->btnlvClr->isEnabled());
    QVERIFY(!w.list.rowsListed());
}

QTEST_MAIN(SearchControllerTest)
#include "SearchControllerTest.moc"
