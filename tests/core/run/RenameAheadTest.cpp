// Plain renames of long lists, made a batch or two ahead on a second thread, against the same runs on
// a file system that keeps every call on one thread: every row ends alike, the trees are the same, and
// the undo of each brings its tree back and counts alike.

#include "platform/posix/PosixFileSystem.h"
#include "run/RunEngine.h"
#include "run/UndoEngine.h"

#include "RunTestSupport.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// The real file system, noting the renames made on another thread than the test's.
struct ThreadNotingFileSystem final : PosixFileSystem {
    std::thread::id tests = std::this_thread::get_id();
    std::atomic<int> elsewhere{0};
    bool callsFromThreads() const override { return true; }
    int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) override {
        if (std::this_thread::get_id() != tests)
            ++elsewhere;
        return PosixFileSystem::renameAt(from, name, to, newName);
    }
};

std::string numbered(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.txt", n);
    return name;
}

struct Ran {
    std::vector<FileListRow> rows;
    std::map<std::string, std::string> tree;
    UndoResult undo;
    std::map<std::string, std::string> undone;
};

} // namespace

TEST(RenameAhead, AThreadedRunEndsEveryRowAsTheOneThreadRunAndIsUndoneAlike) {
    int renamedElsewhere = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        // Numbered files, two in three of them there. Row r renames file D + r to the serial number
        // S + r: the name of the file of the row `lag` rows above, which that row took away (else the
        // row fails as the name is taken), or of a file no row holds. A lag of two or three batches
        // makes rows wait for batches still renaming, now and then; some rows name a file again.
        std::vector<std::pair<std::string, bool>> files; // name, there
        for (int n = 1; n <= 3000; ++n)
            files.emplace_back(numbered(n), rng() % 3 != 0);
        const int first = 700 + static_cast<int>(rng() % 300);
        const int lag = 500 + static_cast<int>(rng() % 400);
        RunRequest request;
        request.method = RenameMethod::RenameOnly;
        request.rules = RenameRuleSet::defaults();
        request.rules.elements[1].checked = false;
        request.rules.elements[3].checked = true;
        request.rules.renKeta = "4";
        request.serialStartText = std::to_string(first + 1 - lag);
        std::vector<std::size_t> picks(1200 + rng() % 400);
        for (std::size_t r = 0; r < picks.size(); ++r)
            picks[r] = rng() % 100 == 0 && r > 0 ? picks[r - 1 - rng() % std::min<std::size_t>(r, 600)]
                                                 : static_cast<std::size_t>(first) + r;
        auto runOnce = [&](FileSystem& fs) {
            TempDir home;
            TempDir tree;
            for (const auto& [name, there] : files)
                if (there)
                    writeFile(tree / name, name);
            Ran ran;
            for (std::size_t p : picks) {
                FileListRow& r = ran.rows.emplace_back();
                r.folder = tree.path();
                r.name = files[p].first;
            }
            const auto before = snapshotTree(tree.path());
            request.historyPath = home / "rinoza.txt";
            FixedClock clock{LocalDateTime{2026, 12, 8, 23, 30, 0, 0}};
            NameBuilder builder{clock, {}};
            RunEngine engine(fs, builder, clock);
            RunCallbacks callbacks;
            callbacks.pumpInterval = std::chrono::hours(1); // no window turns: the batches run ahead
            const RunResult result = engine.run(ran.rows, request, callbacks);
            EXPECT_EQ(result.end, RunEnd::Completed);
            for (FileListRow& r : ran.rows)
                r.folder.clear(); // the trees' paths differ
            ran.tree = snapshotTree(tree.path());
            ran.undo = UndoEngine(fs).run(request.historyPath, {});
            ran.undone = snapshotTree(tree.path());
            EXPECT_EQ(ran.undone, before);
            return ran;
        };
        ThreadNotingFileSystem threaded;
        PosixFileSystem posix;
        FaultyFileSystem oneThread(posix); // no fault laid: only its calls stay on one thread
        const Ran ahead = runOnce(threaded);
        const Ran inTurn = runOnce(oneThread);
        renamedElsewhere += threaded.elsewhere.load();
        ASSERT_EQ(ahead.rows.size(), inTurn.rows.size());
        int failed = 0;
        for (std::size_t i = 0; i < ahead.rows.size(); ++i) {
            EXPECT_EQ(ahead.rows[i].name, inTurn.rows[i].name) << i;
            EXPECT_EQ(ahead.rows[i].remarks, inTurn.rows[i].remarks) << i;
            failed += ahead.rows[i].remarks.rfind("x:", 0) == 0;
        }
        EXPECT_GT(failed, 10); // the rows interfere, or the test proves little
        EXPECT_EQ(ahead.tree, inTurn.tree);
        EXPECT_EQ(ahead.undo.restored, inTurn.undo.restored);
        EXPECT_EQ(ahead.undo.seen, inTurn.undo.seen);
        EXPECT_EQ(ahead.undo.notTheRunsFile, 0);
    }
    EXPECT_GT(renamedElsewhere, 1000); // the batches did run ahead
}
