#include "operations/PathIntake.h"

#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <sys/stat.h>
#include <thread>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// The real file system, counting the folders opened, from any thread.
class CountingFileSystem : public PosixFileSystem {
public:
    std::atomic<int> opened{0};
    int openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) override {
        ++opened;
        return PosixFileSystem::openFolder(path, expected, out);
    }
    bool lookupsFromThreads() const override { return true; }
};

// `count` paths in `folders` folders, taken turn about from each folder as a file manager may list
// them: every 7th names a file met before, every 50th a missing file, every 97th a folder, every 101st
// a pipe, and the files of folder 0 have names that are not UTF-8 (CP932).
std::vector<std::string> intakePaths(const TempDir& t, int count, int folders) {
    std::vector<std::string> paths;
    for (int f = 0; f < folders; ++f)
        makeDirs(t / ("d" + std::to_string(f)));
    for (int i = 0; i < count; ++i) {
        const std::string folder = t / ("d" + std::to_string(i % folders));
        const std::string name = (i % folders == 0 ? "\x82\xa0" : "f") + std::to_string(i);
        if (i % 7 == 6 && i > 7)
            paths.push_back(paths[static_cast<std::size_t>(i / 2)]);
        else if (i % 50 == 49)
            paths.push_back(folder + "/none" + std::to_string(i));
        else if (i % 97 == 96)
            paths.push_back(folder);
        else if (i % 101 == 100 && ::mkfifo((folder + "/" + name).c_str(), 0600) == 0)
            paths.push_back(folder + "/" + name);
        else {
            writeFile(folder + "/" + name, std::string(static_cast<std::size_t>(i % 13), 'x'));
            paths.push_back(folder + "/" + name);
        }
    }
    return paths;
}

// What takePath gives each path in turn, with one lookup of its own.
std::vector<TakenPath> oneByOne(const std::vector<std::string>& paths, FileSystem& fs) {
    AddedPathLookup lookup(fs);
    std::vector<TakenPath> taken;
    for (const std::string& p : paths)
        taken.push_back(takePath(p, {}, lookup, true));
    return taken;
}

// The folders of the paths, in the order they are first met.
std::vector<std::string> parentsInOrder(const std::vector<std::string>& paths) {
    std::vector<std::string> parents;
    for (const std::string& p : paths)
        if (std::find(parents.begin(), parents.end(), parentOf(p)) == parents.end())
            parents.push_back(parentOf(p));
    return parents;
}

void expectSame(const TakenPath& got, const TakenPath& want) {
    EXPECT_EQ(got.path, want.path);
    EXPECT_EQ(got.kind, want.kind);
    ASSERT_EQ(got.row.has_value(), want.row.has_value());
    if (!want.row)
        return;
    EXPECT_EQ(got.row->name, want.row->name);
    EXPECT_EQ(got.row->folder, want.row->folder);
    EXPECT_EQ(got.row->folderId, want.row->folderId);
    EXPECT_EQ(got.row->size, want.row->size);
    EXPECT_EQ(got.row->updated, want.row->updated);
    EXPECT_EQ(got.row->attributes, want.row->attributes);
    EXPECT_TRUE(got.row->hasIcon);
}

} // namespace

// Whatever thread looked a path up, the paths come in their given order, each as takePath takes it,
// and each folder is opened once.
TEST(TakenPaths, ComeInOrderAsTakenOneByOneWithEachFolderOpenedOnce) {
    const bool twoCores = std::thread::hardware_concurrency() >= 2;
    const std::size_t fewest = TakenPaths::kFewestAhead;
    const struct {
        const char* name;
        int count;
        int folders;
        bool faulty; // a file system that is asked from one thread
        bool twoThreads;
    } cases[] = {
        {"a few paths", 40, 3, false, false},
        {"one path short of a helper", int(fewest) - 1, 5, false, false},
        {"just enough for a helper", int(fewest), 5, false, twoCores},
        {"many folders, last chunk partial", 3001, 30, false, twoCores},
        {"one folder", 700, 1, false, twoCores},
        {"a fault-injecting file system", 3001, 30, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir t;
        const std::vector<std::string> paths = intakePaths(t, c.count, c.folders);
        PosixFileSystem real;
        const std::vector<TakenPath> want = oneByOne(paths, real);
        CountingFileSystem counting;
        FaultyFileSystem faulty(real);
        FileSystem& fs = c.faulty ? static_cast<FileSystem&>(faulty) : counting;
        TakenPaths taken(paths, {}, fs, true);
        EXPECT_EQ(taken.aheadOnTwoThreads(), c.twoThreads);
        for (std::size_t i = 0; i < want.size(); ++i) {
            ASSERT_TRUE(taken.more()) << i;
            SCOPED_TRACE(paths[i]);
            expectSame(taken.next(), want[i]);
        }
        EXPECT_FALSE(taken.more());
        const int folders = static_cast<int>(parentsInOrder(paths).size());
        EXPECT_EQ(c.faulty ? faulty.calls("openFolder") : counting.opened.load(), folders);
    }
}

// A fault lands on the same lookup every time: a file system that counts its calls is asked from
// one thread, in the paths' order.
TEST(TakenPaths, AFaultHitsTheSamePathOnAFileSystemAskedFromOneThread) {
    TempDir t;
    const std::vector<std::string> paths = intakePaths(t, 1000, 10);
    PosixFileSystem real;
    const std::vector<TakenPath> want = oneByOne(paths, real);
    const std::vector<std::string> parents = parentsInOrder(paths);
    const struct {
        const char* operation;
        int k;
        int failedPath;           // the one path a failed stat hits, else -1
        std::string failedFolder; // the folder whose opening failed, else ""
    } faults[] = {
        {"stat", 1, 0, ""},
        {"stat", 400, 399, ""}, // every path is looked up by one stat in its folder
        {"stat", 777, 776, ""},
        {"openFolder", 3, -1, parents[2]},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(std::string(f.operation) + " " + std::to_string(f.k));
        FaultyFileSystem fs(real);
        fs.failAt(f.operation, f.k, EIO);
        TakenPaths taken(paths, {}, fs, true);
        ASSERT_FALSE(taken.aheadOnTwoThreads());
        for (std::size_t i = 0; i < paths.size(); ++i) {
            SCOPED_TRACE(paths[i]);
            const TakenPath got = taken.next();
            if (int(i) == f.failedPath || parentOf(paths[i]) == f.failedFolder) {
                EXPECT_EQ(got.kind, PathKind::Missing);
                EXPECT_FALSE(got.row);
            } else {
                expectSame(got, want[i]);
            }
        }
        EXPECT_TRUE(fs.failed());
    }
}

// Stopping part way leaves the paths taken so far whole; the helper's chunk in hand ends with it.
TEST(TakenPaths, StoppingPartWayKeepsWhatWasTaken) {
    TempDir t;
    const std::vector<std::string> paths = intakePaths(t, 3000, 30);
    PosixFileSystem real;
    const std::vector<TakenPath> want = oneByOne(paths, real);
    for (const std::size_t stopAt : {std::size_t(0), std::size_t(1), std::size_t(64), std::size_t(1500)}) {
        SCOPED_TRACE(stopAt);
        CountingFileSystem fs;
        auto taken = std::make_unique<TakenPaths>(paths, std::string(), fs, true);
        for (std::size_t i = 0; i < stopAt; ++i)
            expectSame(taken->next(), want[i]);
        taken.reset(); // waits for the helper
        EXPECT_LE(fs.opened.load(), static_cast<int>(parentsInOrder(paths).size()));
    }
}
