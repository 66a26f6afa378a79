// The whole search as the user runs it in the window (offscreen): from the click on the start button
// to the final status text, over a generated tree of 200,000 files in 20,000 folders of which 30,000
// are named *.jpg (in mixed case), with the list limit at 30,000. Compared in the same run with
//   find ROOT -iname '*.jpg' -printf '%s %T@ %A@\n' >/dev/null
// (warm cache, median of 5 each), and the memory that the 30,000 listed rows add.
//   search_window [--keep] [ROOT]     (default ROOT: a new folder in /tmp, removed at the end)

#include "BenchPrompts.h"
#include "BenchTree.h"
#include "common/ui/PathComboBox.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchController.h"
#include "filelist/ui/SearchTab.h"
#include "platform/posix/PosixFileSystem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <string>
#include <vector>

using namespace rinoza;
using rinoza::bench::BenchPrompts;
using namespace rinoza::bench;

namespace {

FileListHost listHost(SearchTab* tab) {
    FileListHost h;
    h.fileSystem = &systemFileSystem();
    h.clearButton = tab->btnlvClr;
    return h;
}

// The search tab, a rename tab, the list and a status text, as in the main window.
struct Window {
    QWidget top;
    QTabWidget* pgcMain = new QTabWidget(&top);
    SearchTab* tab = new SearchTab;
    QWidget* tbsSet = new QWidget;
    QString status;
    SteadyClock::time_point statusAt;
    FileListController list{listHost(tab), &top};
    QTableView* lvFile = list.view();
    FileListModel& model = *list.model();
    SearchController* ctl = nullptr;

    Window() {
        auto* layout = new QVBoxLayout(&top);
        layout->addWidget(pgcMain);
        layout->addWidget(lvFile, 1);
        pgcMain->addTab(tab, QStringLiteral("検索"));
        pgcMain->addTab(tbsSet, QStringLiteral("変名"));
        SearchWidgets w = searchTabWidgets(*tab);
        w.tbsSet = tbsSet;
        w.pgcMain = pgcMain;
        w.list = &list;
        w.setStatus = [this](const QString& s) {
            status = s;
            statusAt = SteadyClock::now();
        };
        w.displaySettings = [] {
            DisplaySettings s;
            s.LVIconMax = 30000;
            return s;
        };
        ctl = new SearchController(std::move(w), &top);
        top.resize(800, 600);
        top.show();
    }

    // One search from the click to the final status text; returns milliseconds.
    double search() {
        pgcMain->setCurrentWidget(tab);
        const auto t0 = SteadyClock::now();
        tab->btnStart->click();
        const double untilStatus = ms(statusAt - t0);
        QApplication::processEvents(); // the list is painted again
        return untilStatus;
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // 20 + 180 + 19,800 = 20,000 folders with 10 files each.
    BenchTree tree;
    if (!tree.open(argc, argv, "/tmp/rinoza-search-XXXXXX", TreeShape{20, 9, 110, 10}))
        return 1;
    const std::string& root = tree.root();

    BenchPrompts prompts;
    setPrompts(&prompts);
    Window w;
    w.tab->cmbFnd->setPathText(root);
    w.tab->cmbFndName->setEditText(QStringLiteral("*.jpg"));
    QApplication::processEvents();

    // Memory first, while the heap is fresh: the rows of the first search.
    const long before = rssKb();
    w.search();
    const long after = rssKb();
    const int rows = w.model.rowCount();
    std::printf("window with %d rows: +%.1f MB RSS\n", rows, (after - before) / 1024.0);

    const std::string findCmd = findJpgCommand(root);
    runCommandMs(findCmd); // warm the cache for both
    std::vector<double> searchMs, findMs;
    for (int i = 0; i < 5; ++i) {
        searchMs.push_back(w.search());
        findMs.push_back(runCommandMs(findCmd));
    }
    const double s = median(searchMs), f = median(findMs);
    std::printf("search in the window: %d rows, median %.1f ms (click to status); find: median %.1f ms; ratio %.2f\n",
                w.model.rowCount(), s, f, s / f);
    std::printf("status: %s\nmessages shown: %d\n", w.status.toUtf8().constData(), prompts.messages);
    setPrompts(nullptr);

    tree.close();
    return rows == 30000 && prompts.messages == 0 ? 0 : 1;
}
