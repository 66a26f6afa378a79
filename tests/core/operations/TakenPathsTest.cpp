#include "operations/PathIntake.h"

#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <tuple>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// The real file system, counting the folders opened from any thread.
struct CountingFileSystem : PosixFileSystem {
    std::atomic<int> opened{0};
    int openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) override {
        ++opened;
        return PosixFileSystem::openFolder(path, expected, out);
    }
    bool callsFromThreads() const override { return true; }
};

} // namespace

// Whatever thread looked a path up, the paths come in their given order, each as takePath takes it
// alone, and each folder is opened once. A file system that counts its calls is asked from one thread,
// so its fault hits the same path every time. Stopped part way, the helper's chunk in hand ends.
TEST(TakenPaths, ComeInOrderAsTakenOneByOneWithEachFolderOpenedOnce) {
    const bool twoCores = std::thread::hardware_concurrency() >= 2;
    const int fewest = static_cast<int>(TakenPaths::kFewestAhead);
    const struct {
        int count, folders;
        int failedStat; // with a fault-injecting file system: the stat that fails (from 1), else 0
        bool twoThreads;
        int taken; // the paths taken before stopping
    } cases[] = {
        {40, 3, 0, false, 40},
        {fewest - 1, 5, 0, false, fewest - 1},
        {fewest, 5, 0, twoCores, fewest},
        {3001, 30, 0, twoCores, 3001},
        {700, 1, 0, twoCores, 700},
        {3001, 30, 400, false, 3001},
        {3001, 30, 3001, false, 3001},
        {3001, 30, 0, twoCores, 0},
        {3001, 30, 0, twoCores, 65},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " paths in " + std::to_string(c.folders) + " folders");
        // Taken turn about from each folder: every 7th a path met before, every 50th a missing file,
        // every 97th a folder, every 101st a pipe; names in folder 0 are CP932 bytes.
        TempDir t;
        std::vector<std::string> paths;
        std::set<std::string> folders;
        for (int i = 0; i < c.count; ++i) {
            const std::string folder = t / ("d" + std::to_string(i % c.folders));
            const std::string path = folder + (i % c.folders ? "/f" : "/\x82\xa0") + std::to_string(i);
            makeDirs(folder);
            if (i % 7 == 6) {
                paths.push_back(paths[static_cast<std::size_t>(i / 2)]);
            } else if (i % 97 == 96) {
                paths.push_back(folder);
            } else {
                if (i % 101 == 100)
                    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
                else if (i % 50 != 49)
                    writeFile(path, std::string(static_cast<std::size_t>(i % 13), 'x'));
                paths.push_back(path);
            }
            folders.insert(parentOf(paths.back()));
        }
        PosixFileSystem real;
        CountingFileSystem counting;
        FaultyFileSystem faulty(real);
        if (c.failedStat)
            faulty.failAt("stat", c.failedStat, EIO);
        AddedPathLookup alone(real);
        auto taken = std::make_unique<TakenPaths>(paths, std::string(),
                                                  c.failedStat ? static_cast<FileSystem&>(faulty) : counting, true);
        EXPECT_EQ(taken->aheadOnTwoThreads(), c.twoThreads);
        const auto facts = [](const TakenPath& p) {
            const FileListRow r = p.row.value_or(FileListRow{});
            return std::tuple(p.path, int(p.kind), p.row.has_value(), r.name, r.folder, r.folderId.ino, r.size,
                              r.updated, r.hasIcon);
        };
        for (std::size_t i = 0; i < static_cast<std::size_t>(c.taken); ++i) {
            ASSERT_TRUE(taken->more());
            TakenPath want = takePath(paths[i], {}, alone, true);
            if (i + 1 == static_cast<std::size_t>(c.failedStat)) // every path costs one stat
                want = TakenPath{paths[i], PathKind::Missing, std::nullopt};
            EXPECT_EQ(facts(taken->next()), facts(want)) << paths[i];
        }
        EXPECT_EQ(taken->more(), c.taken < c.count);
        taken.reset(); // waits for the helper
        if (c.taken == c.count) {
            EXPECT_EQ(c.failedStat ? faulty.calls("openFolder") : counting.opened.load(), int(folders.size()));
        }
        EXPECT_EQ(faulty.failed(), c.failedStat != 0);
    }
}
