// The search walk over a generated tree of 200,200 files in 20,020 folders, 30,030 of them named
// *.jpg (in mixed case), compared in the same run with
//   find ROOT -iname '*.jpg' -printf '%s %T@ %A@\n' >/dev/null
// (warm cache, median of 5 each), and the memory that the 30,000 rows add to the file list model.
//   search_walk [--keep] [ROOT]     (default ROOT: a new folder in /tmp, removed at the end)

#include "filelist/SearchWalk.h"
#include "filelist/ui/FileListModel.h"

#include <QCoreApplication>

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

using namespace rinoza;

namespace {

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

// 20 + 200 + 19,800 = 20,020 folders with 10 files each; file k is a .jpg when k % 20 < 3.
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
        for (int b = 0; b < 10; ++b) {
            std::string db = da + "/b" + std::to_string(b);
            mkdir(db.c_str(), 0755);
            files(db);
            for (int c = 0; c < 99; ++c) {
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

double ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

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
    SearchWalk(o, cb).run(root);
    return n;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
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
        char tmpl[] = "/tmp/rinoza-walk-XXXXXX";
        if (!mkdtemp(tmpl))
            return 1;
        removeDir = tmpl;
        root = removeDir + "/tree";
    }
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0) {
        auto t0 = std::chrono::steady_clock::now();
        generate(root);
        generated = true;
        if (removeDir.empty())
            removeDir = root;
        std::printf("generated %s in %.1f s\n", root.c_str(), ms(std::chrono::steady_clock::now() - t0) / 1000);
    }

    // Memory first, while the heap is fresh.
    {
        FileListModel model;
        const long before = rssKb();
        const int64_t n = walkOnce(root, &model);
        const long after = rssKb();
        std::printf("model with %lld rows: +%.1f MB RSS\n", static_cast<long long>(n), (after - before) / 1024.0);
    }

    const std::string findCmd = "find '" + root + "' -iname '*.jpg' -printf '%s %T@ %A@\\n' >/dev/null";
    walkOnce(root, nullptr); // warm the cache
    if (std::system(findCmd.c_str()) != 0)
        std::printf("find failed\n");
    std::vector<double> walkMs, findMs;
    int64_t found = 0;
    for (int i = 0; i < 5; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        found = walkOnce(root, nullptr);
        walkMs.push_back(ms(std::chrono::steady_clock::now() - t0));
        t0 = std::chrono::steady_clock::now();
        if (std::system(findCmd.c_str()) != 0)
            std::printf("find failed\n");
        findMs.push_back(ms(std::chrono::steady_clock::now() - t0));
    }
    const double w = median(walkMs), f = median(findMs);
    std::printf("walk: %lld rows, median %.1f ms; find: median %.1f ms; ratio %.2f\n", static_cast<long long>(found), w,
                f, w / f);

    if (generated && !keep) {
        std::string rm = "rm -rf '" + removeDir + "'";
        if (std::system(rm.c_str()) != 0)
            std::printf("could not remove %s\n", root.c_str());
    } else if (generated) {
        std::printf("kept %s\n", root.c_str());
    } else if (!removeDir.empty()) {
        rmdir(removeDir.c_str());
    }
    return 0;
}
