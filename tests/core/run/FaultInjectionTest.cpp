// Every call a run or an undo makes fails once in turn, with an error Linux cannot be made to show on
// demand; afterwards no file is lost and the undo counts exactly the records of what happened.

#include "run/RunEngine.h"

#include "RunTestSupport.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "run/UndoEngine.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

struct Scene {
    const char* name;
    RenameMethod method;
    bool otherFileSystem; // the destination lies on another file system
};

const Scene kScenes[] = {
    {"rename", RenameMethod::RenameOnly, false},
    {"copy", RenameMethod::RenameAndCopy, false},
    {"move", RenameMethod::RenameAndMove, false},
    {"move across", RenameMethod::RenameAndMove, true},
};

// One run's files: five to rename, one whose new name is taken (its operation fails and its record is
// taken back) and, for copies and moves to another file system, a pipe (which only a rename takes).
struct Tree {
    TempDir home;
    TempDir src;
    TempDir dst;
    std::vector<FileListRow> rows;

    explicit Tree(const Scene& s) : dst(s.otherFileSystem ? otherFileSystemBase(src.path()) : std::string()) {
        for (const char* n : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "t.txt"})
            add(n, std::string(n) + " holds its own bytes");
        // t.txt becomes T.TXT, which is there already: in place the rename fails, elsewhere the check.
        writeFile(src / "T.TXT", "taken");
        writeFile(dst / "T.TXT", "taken");
        if (s.method == RenameMethod::RenameAndCopy || s.otherFileSystem) {
            EXPECT_EQ(::mkfifo((src / "p.txt").c_str(), 0600), 0);
            rows.push_back(row("p.txt"));
        }
    }
    void add(const char* name, const std::string& content) {
        writeFile(src / name, content);
        rows.push_back(row(name));
    }
    FileListRow row(const char* name) const {
        FileListRow r;
        r.folder = src.path();
        r.name = name;
        return r;
    }
    std::map<std::string, std::string> snapshot() const {
        auto both = snapshotTree(src.path());
        for (const auto& [k, v] : snapshotTree(dst.path()))
            both["dst/" + k] = v;
        return both;
    }
};

RunRequest requestFor(const Tree& t, RenameMethod method) {
    RunRequest r;
    r.method = method;
    r.destination = t.dst.path();
    r.rules = RenameRuleSet::defaults();
    r.rules.caseMode = 1; // upper case: a.txt -> A.TXT
    r.serialStartText = "1";
    r.historyPath = t.home / "rinoza.txt";
    return r;
}

int okRows(const std::vector<FileListRow>& rows) {
    int n = 0;
    for (const FileListRow& r : rows)
        n += r.remarks.rfind("OK", 0) == 0 ? 1 : 0;
    return n;
}

// Each listed file's bytes are where its row says: under its new name after "OK", else under its old
// one (a copy leaves its source too), and nowhere else.
void expectNothingLost(const Tree& t, const std::vector<FileListRow>& before, const std::vector<FileListRow>& after,
                       RenameMethod method) {
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].name == "p.txt")
            continue;
        const std::string bytes = before[i].name + " holds its own bytes";
        const bool ok = after[i].remarks.rfind("OK", 0) == 0;
        const std::string source = t.src / before[i].name;
        SCOPED_TRACE(before[i].name + ": " + after[i].remarks);
        if (ok) {
            EXPECT_EQ(readFile(joinPath(after[i].folder, after[i].name)), bytes);
            EXPECT_EQ(pathExists(source), method == RenameMethod::RenameAndCopy);
        } else {
            EXPECT_EQ(readFile(source), bytes);
        }
    }
}

// The calls of each operation that a run (and, with `undo`, the undo after it) makes without a fault.
std::map<std::string, int> callsOf(const Scene& s, bool undo) {
    Tree t(s);
    PosixFileSystem real;
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, {}};
    RunRequest req = requestFor(t, s.method);
    if (undo)
        RunEngine(real, builder, clock).run(t.rows, req, RunCallbacks{});
    FaultyFileSystem fs(real);
    if (undo)
        UndoEngine(fs).run(req.historyPath, ProgressCallbacks{});
    else
        RunEngine(fs, builder, clock).run(t.rows, req, RunCallbacks{});
    return fs.counts();
}

} // namespace

TEST(FaultInjection, AFaultAtAnyCallOfARunLosesNothingAndTheUndoCountsEveryRecord) {
    for (const Scene& s : kScenes) {
        if (s.otherFileSystem && otherFileSystemBase(TempDir().path()).empty())
            continue;
        for (const auto& [operation, count] : callsOf(s, false)) {
            for (int k = 1; k <= count; ++k) {
                for (bool half : {false, true}) {
                    if (half && operation != "append")
                        continue;
                    SCOPED_TRACE(std::string(s.name) + ": " + operation + " #" + std::to_string(k) +
                                 (half ? " (half written)" : ""));
                    Tree t(s);
                    const auto original = t.snapshot();
                    PosixFileSystem real;
                    FaultyFileSystem fs(real);
                    fs.failAt(operation, k, operation == "append" ? ENOSPC : EIO, half);
                    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
                    NameBuilder builder{clock, {}};
                    const RunRequest req = requestFor(t, s.method);
                    std::vector<FileListRow> rows = t.rows;
                    const RunResult r = RunEngine(fs, builder, clock).run(rows, req, RunCallbacks{});
                    EXPECT_TRUE(fs.failed());
                    EXPECT_EQ(r.renamed, okRows(rows));
                    expectNothingLost(t, t.rows, rows, s.method);
                    if (!pathExists(req.historyPath)) {
                        EXPECT_EQ(r.renamed, 0); // the history could not be written: nothing was touched
                        EXPECT_EQ(t.snapshot(), original);
                        continue;
                    }
                    const UndoResult u = UndoEngine(real).run(req.historyPath, ProgressCallbacks{});
                    EXPECT_EQ(u.seen, r.renamed);
                    EXPECT_EQ(u.restored, r.renamed);
                    EXPECT_EQ(t.snapshot(), original);
                }
            }
        }
    }
}

TEST(FaultInjection, AFaultAtAnyCallOfAnUndoLosesNothingAndASecondUndoFinishesIt) {
    for (const Scene& s : kScenes) {
        if (s.otherFileSystem && otherFileSystemBase(TempDir().path()).empty())
            continue;
        for (const auto& [operation, count] : callsOf(s, true)) {
            for (int k = 1; k <= count; ++k) {
                SCOPED_TRACE(std::string(s.name) + ": " + operation + " #" + std::to_string(k));
                Tree t(s);
                const auto original = t.snapshot();
                PosixFileSystem real;
                FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
                NameBuilder builder{clock, {}};
                const RunRequest req = requestFor(t, s.method);
                std::vector<FileListRow> rows = t.rows;
                const RunResult r = RunEngine(real, builder, clock).run(rows, req, RunCallbacks{});
                ASSERT_EQ(r.renamed, 5);

                FaultyFileSystem fs(real);
                fs.failAt(operation, k, EIO);
                const UndoResult first = UndoEngine(fs).run(req.historyPath, ProgressCallbacks{});
                EXPECT_TRUE(fs.failed());
                EXPECT_LE(first.restored, r.renamed);
                // Whatever the first undo left, each file is whole in one of its two places.
                for (std::size_t i = 0; i < t.rows.size(); ++i) {
                    if (rows[i].remarks.rfind("OK", 0) != 0)
                        continue;
                    const std::string bytes = t.rows[i].name + " holds its own bytes";
                    const std::string source = t.src / t.rows[i].name;
                    const std::string target = joinPath(rows[i].folder, rows[i].name);
                    const bool back = pathExists(source), there = pathExists(target);
                    EXPECT_TRUE(back || there) << t.rows[i].name;
                    EXPECT_EQ(back ? readFile(source) : readFile(target), bytes);
                    if (s.method != RenameMethod::RenameAndCopy) {
                        EXPECT_FALSE(back && there) << t.rows[i].name; // never two of a moved file
                    }
                }
                const UndoResult second = UndoEngine(real).run(req.historyPath, ProgressCallbacks{});
                EXPECT_EQ(second.seen, r.renamed);
                EXPECT_EQ(first.restored + second.restored, r.renamed);
                EXPECT_EQ(t.snapshot(), original);
            }
        }
    }
}
