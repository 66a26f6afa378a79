// The forecast of a run against the run itself, over random trees and rules: every row is foretold
// with the outcome the run then writes, and foretelling changes nothing on disk.

#include "run/RunEngine.h"

#include "RunTestSupport.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <random>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Rules that make chains (a -> b while b -> c), clashes, duplicates, case-only renames, unchanged
// names, empty names and serial numbers.
RenameRuleSet ruleFor(int kind, std::mt19937& rng) {
    RenameRuleSet r = RenameRuleSet::defaults();
    auto tick = [&r](int n, bool on) { r.elements[static_cast<std::size_t>(n - 1)].checked = on; };
    switch (kind) {
    case 0: // a -> b, b -> c: chains through the list
        tick(9, true);
        r.strChgBefore = rng() % 2 ? "a" : "b";
        r.strChgAfter = rng() % 2 ? "b" : "c";
        break;
    case 1:
        r.caseMode = 1 + static_cast<int>(rng() % 3);
        break; // case only
    case 2:    // one name for all: duplicates inside the list
        tick(2, false);
        tick(1, true);
        r.fixF1 = "b";
        break;
    case 3: // one-digit serial: later rows take names of earlier ones
        tick(2, false);
        tick(4, true);
        r.renKeta = "1";
        break;
    case 4:
        tick(2, false);
        tick(6, false);
        break; // empty name
    case 5:    // one-digit serial per folder: the same names in both folders
        tick(2, false);
        tick(4, true);
        r.renKeta = "1";
        r.renFolder = true;
        break;
    default:
        break; // unchanged name
    }
    return r;
}

const char* const kNames[] = {"a.txt", "b.txt", "c.txt", "A.TXT", "B.txt", "1.txt", "2.txt", "3", "a", "b"};

} // namespace

TEST(Forecast, EveryRowIsForetoldAsTheRunThenEndsIt) {
    std::map<std::string, int> seen; // every outcome must come up, or the trees test too little
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        TempDir home;
        TempDir tree;
        const std::string folders[] = {tree / "one", tree / "two"};
        for (const auto& f : folders)
            makeDirs(f);
        // Files in and out of the list, a folder under a name the rules can make, a link.
        std::vector<FileListRow> rows;
        for (const auto& f : folders)
            for (const char* n : kNames) {
                const unsigned roll = rng() % 10;
                if (roll < 6)
                    writeFile(joinPath(f, n), n);
                else if (roll == 6)
                    makeDirs(joinPath(f, n));
                else if (roll == 7) {
                    ASSERT_EQ(::symlink("a.txt", joinPath(f, n).c_str()), 0);
                }
            }
        const int count = 3 + static_cast<int>(rng() % 10);
        for (int i = 0; i < count; ++i) {
            FileListRow r;
            r.folder = folders[rng() % 2];
            r.name = kNames[rng() % std::size(kNames)]; // some twice, some missing
            rows.push_back(r);
        }
        if (rng() % 4 == 0) { // the history file among the rows
            writeFile(home / "rinoza.txt", "old");
            FileListRow h;
            h.folder = home.path();
            h.name = "rinoza.txt";
            rows.insert(rows.begin() + static_cast<long>(rng() % rows.size()), h);
        }

        RunRequest request;
        request.method = static_cast<RenameMethod>(rng() % 3);
        request.destination = folders[rng() % 2];
        request.rules = ruleFor(static_cast<int>(rng() % 7), rng);
        request.serialStartText = "1";
        request.historyPath = home / "rinoza.txt";

        ScriptedFileSystem fs;
        FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
        NameBuilder builder{clock, {}};
        RunEngine engine(fs, builder, clock);
        RecordingProgress progress;

        const auto before = snapshotTree(tree.path());
        std::vector<RowForecast> foretold;
        ForecastCallbacks fc;
        static_cast<ProgressCallbacks&>(fc) = progress.callbacks();
        fc.rowForetold = [&foretold](std::size_t, RowForecast&& f) { foretold.push_back(std::move(f)); };
        const ForecastResult fr = engine.foretell(rows, request, fc);
        ASSERT_EQ(fr.rows, rows.size());
        EXPECT_EQ(snapshotTree(tree.path()), before);
        EXPECT_EQ(fs.operations, 0);
        // The names of rows further down, built without foretelling the rows above, are the same.
        const std::size_t first = rng() % rows.size();
        const std::vector<RowForecast> names = engine.namesOfRows(rows, first, rows.size() + 1, request);
        ASSERT_EQ(names.size(), rows.size() - first);
        for (std::size_t i = first; i < rows.size(); ++i)
            EXPECT_EQ(names[i - first].newName, foretold[i].newName) << i;

        std::vector<FileListRow> ran = rows;
        RunCallbacks rc;
        static_cast<ProgressCallbacks&>(rc) = progress.callbacks();
        // Half the runs let no events run at all, so that their renames go in one batch.
        if (seed % 2 == 0)
            rc.pumpInterval = std::chrono::hours(1);
        engine.run(ran, request, rc);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].folder + "/" + rows[i].name + " -> " + foretold[i].newName);
            ++seen[foretold[i].outcome.empty() ? std::string("OK") : std::string(foretold[i].outcome)];
            if (foretold[i].outcome.empty()) {
                EXPECT_EQ(ran[i].remarks, outcome::ok(rows[i].name));
                EXPECT_EQ(ran[i].name, foretold[i].newName);
            } else {
                EXPECT_EQ(ran[i].remarks, foretold[i].outcome);
            }
        }
    }
    for (const char* o : {"OK", "x:同一名", "x:存在しない", "x:既に存在", "x:Err"})
        EXPECT_GT(seen[o], 10) << o;
}

TEST(Forecast, AStopRequestEndsBeforeTheRowAndABadStartNumberForetellsNothing) {
    TempDir home;
    ScriptedFileSystem fs;
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, {}};
    RunEngine engine(fs, builder, clock);
    RunRequest request;
    request.rules = RenameRuleSet::defaults();
    request.serialStartText = "1";
    request.historyPath = home / "rinoza.txt";
    std::vector<FileListRow> rows(5);
    for (auto& r : rows) {
        r.folder = home.path();
        r.name = "x";
    }
    RecordingProgress progress;
    ForecastCallbacks fc;
    static_cast<ProgressCallbacks&>(fc) = progress.callbacks();
    std::size_t seen = 0;
    fc.rowForetold = [&](std::size_t, RowForecast&&) { progress.cancel = ++seen == 2; };
    const ForecastResult fr = engine.foretell(rows, request, fc);
    EXPECT_EQ(fr.rows, 2u);
    EXPECT_TRUE(fr.cancelled);
    EXPECT_EQ(progress.lastPosition, 3); // the third row's step came before the stop was seen

    request.serialStartText = "x1";
    const ForecastResult bad = engine.foretell(rows, request, fc);
    EXPECT_EQ(bad.rows, 0u);
    EXPECT_FALSE(bad.errorMessage.empty());
    EXPECT_FALSE(pathExists(home / "rinoza.txt"));

    // Nor does a rule whose regular expression cannot be used.
    request.serialStartText = "1";
    request.rules.elements[8].checked = true;
    request.rules.strChgRegex = true;
    request.rules.strChgBefore = "a(";
    const ForecastResult badRule = engine.foretell(rows, request, fc);
    EXPECT_EQ(badRule.rows, 0u);
    EXPECT_EQ(badRule.errorMessage, "正規表現の誤り (2 文字目): 括弧 ( ) の対応がとれていません");
}
