// The whole search as the user runs it in the window (offscreen): from the click on the start button
// to the final status text, over a generated tree of 200,000 files in 20,000 folders of which 30,000
// are named *.jpg (in mixed case), with the list limit at 30,000. Compared in the same run with
//   find ROOT -iname '*.jpg' -printf '%s %T@ %A@\n' >/dev/null
// (warm cache, median of 5 each), and the memory that the 30,000 listed rows add.
//   search_window [--keep] [ROOT]     (default ROOT: a new folder in /tmp, removed at the end)

#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchController.h"
#include "filelist/ui/SearchTab.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace rinoza;

namespace {

using SteadyClock = std::chrono::steady_clock;

long rssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

void touch(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0)
        close(fd);
}

// 20 + 180 + 19,800 = 20,000 folders with 10 files each; file k is a .jpg when k % 20 < 3.
void generate(const std::string& root) {
    mkdir(root.c_str(), 0755);
    long k = 0;
    auto files = [&](const std::string& dir) {
        for (int f = 0; f < 10; ++f, ++k) {
            const char* ext = (k % 20 < 3) ? ((k % 2) ? ".jpg" : ".JPG") : ((k % 3) ? ".txt" : ".dat");
            touch(dir + "/file" + std::to_string(k) + ext);
        }
    };
    for (int a = 0; a < 20; ++a) {
        std::string da = root + "/a" + std::to_string(a);
        mkdir(da.c_str(), 0755);
        files(da);
        for (int b = 0; b < 9; ++b) {
            std::string db = da + "/b" + std::to_string(b);
            mkdir(db.c_str(), 0755);
            files(db);
            for (int c = 0; c < 110; ++c) {
                std::string dc = db + "/c" + std::to_string(c);
                mkdir(dc.c_str(), 0755);
                files(dc);
            }
        }
    }
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Answers every message with OK and counts them (a limit message would mean a wrong tree).
class CountingPrompts : public UserPrompts {
public:
    int messages = 0;
    int message(const QString&, MsgType, MsgButtons) override {
        ++messages;
        return mrOk;
    }
    void plainMessage(const QString&) override {}
    bool pickFolder(QWidget*, const QString&, QString&) override { return false; }
    int execDialog(QDialog&) override { return 0; }
    bool openUrl(const QString&) override { return false; }
};

// The search tab, a rename tab, the list and a status text, as in the main window.
struct Window {
    QWidget top;
    QTabWidget* pgcMain = new QTabWidget(&top);
    SearchTab* tab = new SearchTab;
    QWidget* tbsSet = new QWidget;
    QTableView* lvFile = new QTableView(&top);
    FileListModel model;
    QString status;
    SteadyClock::time_point statusAt;
    SearchController* ctl = nullptr;

    Window() {
        auto* layout = new QVBoxLayout(&top);
        layout->addWidget(pgcMain);
        layout->addWidget(lvFile, 1);
        pgcMain->addTab(tab, QStringLiteral("検索"));
        pgcMain->addTab(tbsSet, QStringLiteral("変名"));
        lvFile->setModel(&model);
        SearchWidgets w;
        w.cmbFndName = tab->cmbFndName;
        w.cmbFnd = tab->cmbFnd;
        w.cbFnd = tab->cbFnd;
        w.cbOpt = tab->cbOpt;
        w.btnFnd = tab->btnFnd;
        w.btnStart = tab->btnStart;
        w.btnStop = tab->btnStop;
        w.btnlvClr = tab->btnlvClr;
        w.tbsSet = tbsSet;
        w.pgcMain = pgcMain;
        w.lvFile = lvFile;
        w.model = &model;
        w.setStatus = [this](const QString& s) {
            status = s;
            statusAt = SteadyClock::now();
        };
        w.displaySettings = [] {
            DisplaySettings s;
            s.LVIconMax = 30000;
            return s;
        };
        w.setListMenuAutoPopup = [](bool) {};
        w.folderBytes = [this] { return tab->folderText(); };
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
    bool keep = false;
    std::string root;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else
            root = argv[i];
    }
    bool generated = false;
    std::string removeDir; // what the cleanup deletes: only what this run made
    if (root.empty()) {
        char tmpl[] = "/tmp/rinoza-search-XXXXXX";
        if (!mkdtemp(tmpl))
            return 1;
        removeDir = tmpl;
        root = removeDir + "/tree";
    }
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0) {
        const auto t0 = SteadyClock::now();
        generate(root);
        generated = true;
        if (removeDir.empty())
            removeDir = root;
        std::printf("generated %s in %.1f s\n", root.c_str(), ms(SteadyClock::now() - t0) / 1000);
    }

    CountingPrompts prompts;
    setPrompts(&prompts);
    Window w;
    w.tab->setFolderText(root);
    w.tab->cmbFndName->setEditText(QStringLiteral("*.jpg"));
    QApplication::processEvents();

    // Memory first, while the heap is fresh: the rows of the first search.
    const long before = rssKb();
    w.search();
    const long after = rssKb();
    const int rows = w.model.rowCount();
    std::printf("window with %d rows: +%.1f MB RSS\n", rows, (after - before) / 1024.0);

    const std::string findCmd = "find '" + root + "' -iname '*.jpg' -printf '%s %T@ %A@\\n' >/dev/null";
    if (std::system(findCmd.c_str()) != 0) // warm the cache for both
        std::printf("find failed\n");
    std::vector<double> searchMs, findMs;
    for (int i = 0; i < 5; ++i) {
        searchMs.push_back(w.search());
        const auto t0 = SteadyClock::now();
        if (std::system(findCmd.c_str()) != 0)
            std::printf("find failed\n");
        findMs.push_back(ms(SteadyClock::now() - t0));
    }
    const double s = median(searchMs), f = median(findMs);
    std::printf("search in the window: %d rows, median %.1f ms (click to status); find: median %.1f ms; ratio %.2f\n",
                w.model.rowCount(), s, f, s / f);
    std::printf("status: %s\nmessages shown: %d\n", w.status.toUtf8().constData(), prompts.messages);
    setPrompts(nullptr);

    if (generated && !keep) {
        std::string rm = "rm -rf '" + removeDir + "'";
        if (std::system(rm.c_str()) != 0)
            std::printf("could not remove %s\n", root.c_str());
    } else if (generated) {
        std::printf("kept %s\n", root.c_str());
    } else if (!removeDir.empty()) {
        rmdir(removeDir.c_str());
    }
    return rows == 30000 && prompts.messages == 0 ? 0 : 1;
}
