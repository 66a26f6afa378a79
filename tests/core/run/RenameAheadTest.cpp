// Plain renames of long lists, made a batch or two ahead on a second thread, against the same runs on
// a file system that keeps every call on one thread: every row ends alike, the trees are the same, and
// the undo of each brings its tree back and counts alike.

#include "platform/posix/PosixFileSystem.h"
#include "run/RunEngine.h"
#include "run/UndoEngine.h"

#include "RunTestSupport.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <thread>

using namespace rinoza;
using namespace rinoza::test;

namespace {

std::atomic<bool> inEvents{false}; // the window's events are running

// The real file system, noting the renames made on another thread than the test's, and those of
// them made while the window's events ran.
struct ThreadNotingFileSystem final : PosixFileSystem {
    std::thread::id tests = std::this_thread::get_id();
    std::atomic<int> elsewhere{0}, duringEvents{0};
    bool callsFromThreads() const override { return true; }
    int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) override {
        if (std::this_thread::get_id() != tests) {
            ++elsewhere;
            duringEvents += inEvents ? 1 : 0;
        }
        return PosixFileSystem::renameAt(from, name, to, newName);
    }
};

std::string numbered(std::size_t n) {
    char name[16];
    std::snprintf(name, sizeof name, "%04zu.txt", n);
    return name;
}

struct Ran {
    std::vector<std::pair<std::string, std::string>> rows; // name, remarks
    std::map<std::string, std::string> tree;
    UndoResult undo;
};

} // namespace

TEST(RenameAhead, AThreadedRunEndsEveryRowAsTheOneThreadRunAndIsUndoneAlike) {
    int renamedElsewhere = 0, renamedDuringEvents = 0;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        // Numbered files, two in three of them there. Row r renames file `first` + r to the serial
        // number of the file of the row `lag` rows above, which that row took away (else the row fails
        // as the name is taken). A lag of two or three batches makes rows wait for batches still
        // renaming, now and then; some rows name a file again.
        std::vector<bool> there(3001);
        for (std::size_t n = 1; n < there.size(); ++n)
            there[n] = rng() % 3 != 0;
        const std::size_t first = 900 + rng() % 200, lag = 500 + rng() % 400;
        RunRequest request;
        request.rules = RenameRuleSet::defaults();
        request.rules.elements[1].checked = false;
        request.rules.elements[3].checked = true;
        request.rules.renKeta = "4";
        request.serialStartText = std::to_string(first - lag);
        std::vector<std::size_t> picks(1200 + rng() % 400);
        for (std::size_t r = 0; r < picks.size(); ++r)
            picks[r] = rng() % 100 == 0 && r > 0 ? picks[r - 1 - rng() % std::min<std::size_t>(r, 600)] : first + r;
        auto runOnce = [&](FileSystem& fs) {
            TempDir home, tree;
            for (std::size_t n = 1; n < there.size(); ++n)
                if (there[n])
                    writeFile(tree / numbered(n), "");
            std::vector<FileListRow> rows(picks.size());
            for (std::size_t r = 0; r < picks.size(); ++r) {
                rows[r].folder = tree.path();
                rows[r].name = numbered(picks[r]);
            }
            const auto before = snapshotTree(tree.path());
            request.historyPath = home / "rinoza.txt";
            FixedClock clock{LocalDateTime{2026, 12, 8, 23, 30, 0, 0}};
            NameBuilder builder{clock, {}};
            RunCallbacks callbacks;
            callbacks.pumpInterval = std::chrono::hours(1); // no window turns: the batches run ahead
            if (seed % 2 == 1) {
                // A window's turn after every row, painting the rows, while the batches rename on.
                callbacks.pumpInterval = {};
                callbacks.pumpEvents = [&rows, turns = 0]() mutable {
                    inEvents = true;
                    std::size_t painted = 0;
                    for (const FileListRow& r : rows)
                        painted += r.name.size() + r.remarks.size();
                    if (++turns % 16 == 0 && painted > 0)
                        std::this_thread::sleep_for(std::chrono::microseconds(100));
                    inEvents = false;
                };
            }
            EXPECT_EQ(RunEngine(fs, builder, clock).run(rows, request, callbacks).end, RunEnd::Completed);
            Ran ran;
            for (const FileListRow& r : rows)
                ran.rows.emplace_back(r.name, r.remarks);
            ran.tree = snapshotTree(tree.path());
            ran.undo = UndoEngine(fs).run(request.historyPath, {});
            EXPECT_EQ(snapshotTree(tree.path()), before);
            return ran;
        };
        ThreadNotingFileSystem threaded;
        PosixFileSystem posix;
        FaultyFileSystem oneThread(posix); // no fault laid: only its calls stay on one thread
        const Ran ahead = runOnce(threaded), inTurn = runOnce(oneThread);
        renamedElsewhere += threaded.elsewhere.load();
        renamedDuringEvents += threaded.duringEvents.load();
        EXPECT_EQ(ahead.rows, inTurn.rows);
        EXPECT_GT(std::count_if(ahead.rows.begin(), ahead.rows.end(), [](const auto& r) { return r.second[0] == 'x'; }),
                  10); // the rows interfere, or the test proves little
        EXPECT_EQ(ahead.tree, inTurn.tree);
        EXPECT_EQ(ahead.undo.restored, inTurn.undo.restored);
        EXPECT_EQ(ahead.undo.seen, inTurn.undo.seen);
        EXPECT_EQ(ahead.undo.notTheRunsFile, 0);
    }
    EXPECT_GT(renamedElsewhere, 1000); // the batches did run ahead
    EXPECT_GT(renamedDuringEvents, 0); // and on while the window had its turns
}
