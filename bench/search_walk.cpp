// The search walk over a generated tree of 200,200 files in 20,020 folders, 30,030 of them named
// *.jpg (in mixed case), compared in the same run with
//   find ROOT -iname '*.jpg' -printf '%s %T@ %A@\n' >/dev/null
// (warm cache, median of 5 each), and the memory that the 30,000 rows add to the file list model.
//   search_walk [--keep] [ROOT]     (default ROOT: a new folder in /tmp, removed at the end)

#include "BenchTree.h"
#include "filelist/SearchWalk.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"

#include <QCoreApplication>

#include <cstdint>
#include <string>
#include <vector>

using namespace rinoza;
using namespace rinoza::bench;

namespace {

int64_t walkOnce(const std::string& root, FileListModel* model) {
    SearchOptions o;
    o.pattern = "*.jpg";
    o.limit = 1000000;
    o.withIcons = false;
    SearchCallbacks cb;
    int64_t n = 0;
    cb.rows = [&](std::vector<FileListRow>&& rows) {
        n += static_cast<int64_t>(rows.size());
        if (model)
            model->appendRows(std::move(rows));
    };
    SearchWalk(systemFileSystem(), o, cb).run(root);
    return n;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // 20 + 200 + 19,800 = 20,020 folders with 10 files each.
    BenchTree tree;
    if (!tree.open(argc, argv, "/tmp/rinoza-walk-XXXXXX", TreeShape{20, 10, 99, 10}))
        return 1;
    const std::string& root = tree.root();

    // Memory first, while the heap is fresh.
    {
        FileListModel model;
        const long before = rssKb();
        const int64_t n = walkOnce(root, &model);
        const long after = rssKb();
        std::printf("model with %lld rows: +%.1f MB RSS\n", static_cast<long long>(n), (after - before) / 1024.0);
    }

    const std::string findCmd = findJpgCommand(root);
    walkOnce(root, nullptr); // warm the cache
    runCommandMs(findCmd);
    std::vector<double> walkMs, findMs;
    int64_t found = 0;
    for (int i = 0; i < 5; ++i) {
        const auto t0 = SteadyClock::now();
        found = walkOnce(root, nullptr);
        walkMs.push_back(ms(SteadyClock::now() - t0));
        findMs.push_back(runCommandMs(findCmd));
    }
    const double w = median(walkMs), f = median(findMs);
    std::printf("walk: %lld rows, median %.1f ms; find: median %.1f ms; ratio %.2f\n", static_cast<long long>(found), w,
                f, w / f);

    tree.close();
    return 0;
}
