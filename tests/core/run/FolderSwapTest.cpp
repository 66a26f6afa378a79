// A listed folder, or the chosen destination, replaced by a symbolic link to another folder between
// the search and the run: the run acts in no folder but the ones it was given, so every row of it fails
// and the other folder keeps every file as it was.

#include "run/RunEngine.h"

#include "filelist/SearchWalk.h"
#include "platform/posix/PosixFileSystem.h"
#include "run/UndoEngine.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Two folders holding files of the same names: "listed" (searched) and "other" (where a followed
// link would lead), and "dest" for copies and moves.
struct Folders {
    TempDir home;
    TempDir root;
    std::vector<FileListRow> rows;

    Folders() {
        for (const char* f : {"listed", "other", "dest"})
            makeDirs(root / f);
        for (const char* n : {"a.txt", "b.txt", "c.txt"}) {
            writeFile(root / (std::string("listed/") + n), std::string("listed ") + n);
            writeFile(root / (std::string("other/") + n), std::string("other ") + n);
        }
        SearchCallbacks cb;
        cb.rows = [this](std::vector<FileListRow>&& found) {
            for (FileListRow& r : found)
                rows.push_back(std::move(r));
        };
        SearchOptions o;
        o.subfolders = false;
        SearchWalk(systemFileSystem(), o, cb).run(root / "listed");
    }
    // Puts a link to "other" where `name` was; the real folder goes aside.
    void swapForLink(const std::string& name) {
        ASSERT_EQ(std::rename((root / name).c_str(), (root / (name + ".aside")).c_str()), 0);
        ASSERT_EQ(::symlink("other", (root / name).c_str()), 0);
    }
};

RunRequest requestFor(const Folders& f, RenameMethod method) {
    RunRequest r;
    r.method = method;
    r.destination = f.root / "dest";
    FileInfo dest;
    EXPECT_EQ(systemFileSystem().stat(r.destination, dest), 0);
    r.destinationId = FolderId{static_cast<uint64_t>(dest.dev), static_cast<uint64_t>(dest.ino)};
    r.rules = RenameRuleSet::defaults();
    r.rules.caseMode = 1;
    r.serialStartText = "1";
    r.historyPath = f.home / "rinoza.txt";
    return r;
}

} // namespace

TEST(FolderSwap, AListedFolderOrTheDestinationReplacedByALinkIsNeverActedIn) {
    const struct {
        const char* swapped;
        RenameMethod method;
    } cases[] = {
        {"listed", RenameMethod::RenameOnly},    {"listed", RenameMethod::RenameAndCopy},
        {"listed", RenameMethod::RenameAndMove}, {"dest", RenameMethod::RenameAndCopy},
        {"dest", RenameMethod::RenameAndMove},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.swapped) + " " + std::to_string(static_cast<int>(c.method)));
        Folders f;
        ASSERT_EQ(f.rows.size(), 3u);
        const RunRequest req = requestFor(f, c.method);
        const auto other = snapshotTree(f.root / "other");
        const auto listed = snapshotTree(f.root / "listed");
        f.swapForLink(c.swapped);

        FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
        NameBuilder builder{clock, {}};
        std::vector<FileListRow> rows = f.rows;
        // The forecast foretells what the run then does.
        std::vector<std::string> foretold;
        ForecastCallbacks fc;
        fc.rowForetold = [&](std::size_t, RowForecast&& r) { foretold.emplace_back(r.outcome); };
        RunEngine engine(systemFileSystem(), builder, clock);
        engine.foretell(rows, req, fc);
        const RunResult r = engine.run(rows, req, RunCallbacks{});

        EXPECT_EQ(r.renamed, 0);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].remarks, outcome::kError) << rows[i].name;
            EXPECT_EQ(foretold.at(i), outcome::kError) << rows[i].name;
        }
        EXPECT_EQ(snapshotTree(f.root / "other"), other);
        EXPECT_EQ(snapshotTree(f.root / (std::string(c.swapped) == "listed" ? "listed.aside" : "listed")), listed);
        EXPECT_TRUE(snapshotTree(f.root / (std::string(c.swapped) == "dest" ? "dest.aside" : "dest")).empty());
    }
}

TEST(FolderSwap, ARowListedThroughALinkStillRuns) {
    // A folder that was a link when it was searched is followed: it is still the folder listed.
    TempDir home, root;
    makeDirs(root / "real");
    writeFile(root / "real/a.txt", "a");
    ASSERT_EQ(::symlink("real", (root / "via").c_str()), 0);
    std::vector<FileListRow> rows;
    SearchCallbacks cb;
    cb.rows = [&rows](std::vector<FileListRow>&& found) { rows = std::move(found); };
    SearchWalk(systemFileSystem(), SearchOptions{}, cb).run(root / "via");
    ASSERT_EQ(rows.size(), 1u);
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, {}};
    RunRequest req;
    req.rules = RenameRuleSet::defaults();
    req.rules.caseMode = 1;
    req.serialStartText = "1";
    req.historyPath = home / "rinoza.txt";
    EXPECT_EQ(RunEngine(systemFileSystem(), builder, clock).run(rows, req, RunCallbacks{}).renamed, 1);
    EXPECT_TRUE(pathExists(root / "real/A.TXT"));
}
