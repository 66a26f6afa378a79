#include "run/RunEngine.h"
#include "platform/posix/PosixFileSystem.h"

#include "RunTestSupport.h"
#include "platform/Paths.h"
#include "run/UndoEngine.h"
#include "support/TestSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Element n (1..9) of the default order takes part or not.
void tick(RenameRuleSet& rules, int n, bool on = true) {
    rules.elements[static_cast<std::size_t>(n - 1)].checked = on;
}

RenameRuleSet serialRule() {
    RenameRuleSet r = RenameRuleSet::defaults();
    tick(r, 2, false);
    tick(r, 4);
    r.renKeta = "3";
    return r;
}

FileListRow row(const std::string& folder, const std::string& name, const std::string& remarks = " ") {
    FileListRow r;
    r.folder = folder;
    r.name = name;
    r.detailed = true;
    r.remarks = remarks;
    return r;
}

struct RunFixture : ::testing::Test {
    TempDir dir;
    TempDir home;
    ScriptedFileSystem fs;
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, [](const std::string&, FileDateKind) {
                            return std::optional<LocalDateTime>(LocalDateTime{2025, 1, 2, 3, 4, 5, 0});
                        }};
    RecordingProgress progress;
    std::vector<std::string> asked;
    std::vector<bool> answers; // for the system file question, in order
    std::vector<std::size_t> changedRows;

    RunRequest request(const RenameRuleSet& rules, RenameMethod method = RenameMethod::RenameOnly,
                       const std::string& destination = "") {
        RunRequest r;
        r.method = method;
        r.destination = destination;
        r.rules = rules;
        r.serialStartText = "1";
        r.historyPath = home / "rinoza.txt";
        return r;
    }

    RunCallbacks callbacks() {
        RunCallbacks cb;
        static_cast<ProgressCallbacks&>(cb) = progress.callbacks();
        cb.askSystemFile = [this](const std::string& path) {
            asked.push_back(path);
            bool yes = answers.empty() ? true : answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return yes;
        };
        cb.rowChanged = [this](std::size_t i) { changedRows.push_back(i); };
        return cb;
    }

    RunResult run(std::vector<FileListRow>& rows, const RunRequest& req) {
        RunEngine engine(fs, builder, clock);
        return engine.run(rows, req, callbacks());
    }

    std::vector<std::string> historyLines() {
        std::vector<std::string> lines;
        EXPECT_EQ(HistoryFile::read(systemFileSystem(), home / "rinoza.txt", lines), 0);
        return lines;
    }

    // The lines after the header, identity lines left out (their numbers differ from run to run).
    std::vector<std::string> records() {
        auto lines = historyLines();
        std::vector<std::string> r(lines.begin() + std::min<std::size_t>(10, lines.size()), lines.end());
        std::erase_if(r, [](const std::string& l) {
            return l.starts_with(history::kIdentityPrefix) || l == history::kRecordsEndLine;
        });
        return r;
    }

    UndoResult undo() {
        UndoEngine engine(fs);
        return engine.run(home / "rinoza.txt", progress.callbacks());
    }
};

} // namespace

TEST_F(RunFixture, EveryOutcomeOfARenameRun) {
    RenameRuleSet upper = RenameRuleSet::defaults();
    upper.caseMode = 1;
    const std::string d = dir.path();
    writeFile(dir / "SAME.TXT", "same");
    writeFile(dir / "clash.txt", "clash");
    writeFile(dir / "CLASH.TXT", "other");
    writeFile(dir / "dir.txt", "dir");
    makeDirs(dir / "DIR.TXT");
    makeDirs(dir / "sub");
    writeFile(dir / "sys1.txt", "s1");
    writeFile(dir / "sys2.txt", "s2");
    writeFile(dir / "abc.txt", "abc");
    writeFile(dir / "fail.txt", "fail");
    fs.systemFiles = {dir / "sys1.txt", dir / "sys2.txt"};
    fs.failTargets = {dir / "FAIL.TXT"};
    answers = {false, true};
    auto before = snapshotTree(d);

    std::vector<FileListRow> rows = {row(d, "SAME.TXT"), row(d, "gone.txt"), row(d, "clash.txt"),
                                     row(d, "dir.txt"),  row(d, "sub"),      row(d, "sys1.txt"),
                                     row(d, "sys2.txt"), row(d, "abc.txt"),  row(d, "fail.txt")};
    RunResult r = run(rows, request(upper));

    const char* expected[] = {"x:同一名",   "x:存在しない",          "x:既に存在",           "x:Err", "x:存在しない",
                              "x:ｼｽﾃﾑﾌｧｲﾙ", "OK (変名前：sys2.txt)", "OK (変名前：abc.txt)", "x:Err"};
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].remarks, expected[i]) << "row " << i;
    EXPECT_EQ(asked, (std::vector<std::string>{dir / "sys1.txt", dir / "sys2.txt"}));
    EXPECT_EQ(r.end, RunEnd::Completed);
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(r.statusText(), "2個のファイルが正常に変名されました。");
    EXPECT_EQ(changedRows.size(), rows.size());
    EXPECT_EQ(progress.maximum, 9);
    EXPECT_EQ(progress.lastPosition, 9);

    // Refused rows stay as they were; renamed rows show their new name.
    EXPECT_EQ(rows[2].name, "clash.txt");
    EXPECT_EQ(rows[7].name, "ABC.TXT");
    EXPECT_EQ(rows[7].folder, d);
    EXPECT_EQ(rows[7].extensionText(), "TXT");
    EXPECT_EQ(readFile(dir / "ABC.TXT"), "abc");
    EXPECT_EQ(readFile(dir / "CLASH.TXT"), "other");
    EXPECT_EQ(readFile(dir / "fail.txt"), "fail");
    EXPECT_EQ(records(), (std::vector<std::string>{"[B]" + (dir / "sys2.txt"), "[A]" + (dir / "SYS2.TXT"),
                                                   "[B]" + (dir / "abc.txt"), "[A]" + (dir / "ABC.TXT")}));
    EXPECT_EQ(historyLines()[9], "[Changed]");
    EXPECT_EQ(historyLines().back(), history::kRecordsEndLine); // the run ended in order

    EXPECT_EQ(undo().statusText(), "2/2個が変名を戻されました。");
    EXPECT_EQ(snapshotTree(d), before);
}

TEST_F(RunFixture, SerialNumbersAreUsedUpByRefusedRowsAndChainsMeetTheirOwnFiles) {
    const std::string d = dir.path();
    writeFile(dir / "a.txt", "a");
    writeFile(dir / "c.txt", "c");
    std::vector<FileListRow> rows = {row(d, "a.txt"), row(d, "missing.txt"), row(d, "c.txt")};
    RunResult r = run(rows, request(serialRule()));
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(readFile(dir / "001.txt"), "a");
    EXPECT_EQ(readFile(dir / "003.txt"), "c");
    EXPECT_EQ(rows[1].remarks, "x:存在しない");

    // 1.txt would become 2.txt, which is the next row's file; that row then becomes 3.txt.
    TempDir chain;
    writeFile(chain / "1.txt", "one");
    writeFile(chain / "2.txt", "two");
    RenameRuleSet digits = serialRule();
    digits.renKeta = "1";
    RunRequest req = request(digits);
    req.serialStartText = "2";
    std::vector<FileListRow> chainRows = {row(chain.path(), "1.txt"), row(chain.path(), "2.txt")};
    r = run(chainRows, req);
    EXPECT_EQ(chainRows[0].remarks, "x:既に存在");
    EXPECT_EQ(chainRows[1].remarks, "OK (変名前：2.txt)");
    EXPECT_EQ(readFile(chain / "1.txt"), "one");
    EXPECT_EQ(readFile(chain / "3.txt"), "two");
}

TEST_F(RunFixture, SerialNumbersPerFolderFollowTheListOrder) {
    TempDir a;
    TempDir b;
    for (const char* n : {"x.txt", "y.txt"})
        writeFile(a / n, n);
    writeFile(b / "z.txt", "z.txt");
    RenameRuleSet rules = serialRule();
    rules.renKeta = "1";
    rules.renFolder = true;
    std::vector<FileListRow> rows = {row(a.path(), "y.txt"), row(b.path() + "/", "z.txt"), row(a.path(), "x.txt")};
    RunRequest req = request(rules);
    req.serialStartText = "7";
    EXPECT_EQ(run(rows, req).renamed, 3);
    EXPECT_EQ(readFile(a / "7.txt"), "y.txt");
    EXPECT_EQ(readFile(a / "8.txt"), "x.txt");
    EXPECT_EQ(readFile(b / "7.txt"), "z.txt");
}

TEST_F(RunFixture, NamesThatCannotBeUsed) {
    const std::string d = dir.path();
    // Two rows that would get the same name: the first gets it.
    RenameRuleSet same = RenameRuleSet::defaults();
    tick(same, 1);
    tick(same, 2, false);
    same.fixF1 = "same";
    writeFile(dir / "a.txt", "a");
    writeFile(dir / "b.txt", "b");
    std::vector<FileListRow> rows = {row(d, "a.txt"), row(d, "b.txt")};
    run(rows, request(same));
    EXPECT_EQ(rows[0].remarks, "OK (変名前：a.txt)");
    EXPECT_EQ(rows[1].remarks, "x:既に存在");
    EXPECT_EQ(readFile(dir / "same.txt"), "a");

    // Nothing ticked and no extension: the new name is empty. A name that climbs out of the folder
    // is refused too.
    RenameRuleSet none = RenameRuleSet::defaults();
    tick(none, 2, false);
    tick(none, 6, false);
    RenameRuleSet climb = RenameRuleSet::defaults();
    tick(climb, 1);
    climb.fixF1 = "../out/";
    makeDirs(dir / "in");
    makeDirs(dir / "out");
    writeFile(dir / "in/noext", "n");
    writeFile(dir / "in/x.txt", "x");
    for (const RenameRuleSet* rules : {&none, &climb}) {
        std::vector<FileListRow> one = {row(dir / "in", rules == &none ? "noext" : "x.txt")};
        RunResult r = run(one, request(*rules));
        EXPECT_NE(one[0].remarks.substr(0, 2), "OK") << one[0].remarks;
        EXPECT_EQ(r.renamed, 0);
    }
    EXPECT_TRUE(snapshotTree(dir / "out").empty());
    EXPECT_EQ(readFile(dir / "in/noext"), "n");
}

TEST_F(RunFixture, CopyBesideAndElsewhereThenUndo) {
    const std::string d = dir.path();
    RenameRuleSet prefixed = RenameRuleSet::defaults();
    tick(prefixed, 1);
    prefixed.fixF1 = "copy_";
    writeFile(dir / "src/a.txt", "A");
    writeFile(dir / "src/b.txt", "B");
    makeDirs(dir / "dst");
    auto before = snapshotTree(d);

    // Unchanged name into the file's own folder: same name.
    std::vector<FileListRow> rows = {row(dir / "src", "a.txt")};
    run(rows, request(RenameRuleSet::defaults(), RenameMethod::RenameAndCopy, dir / "src/"));
    EXPECT_EQ(rows[0].remarks, "x:同一名");

    rows = {row(dir / "src", "a.txt")};
    run(rows, request(prefixed, RenameMethod::RenameAndCopy, dir / "src"));
    EXPECT_EQ(rows[0].remarks, "OK (変名前：a.txt)");
    EXPECT_EQ(rows[0].name, "copy_a.txt");
    EXPECT_EQ(readFile(dir / "src/copy_a.txt"), "A");
    EXPECT_EQ(readFile(dir / "src/a.txt"), "A");
    EXPECT_EQ(undo().statusText(), "1/1個が変名を戻されました。");

    rows = {row(dir / "src", "a.txt"), row(dir / "src", "b.txt")};
    RunResult r = run(rows, request(prefixed, RenameMethod::RenameAndCopy, dir / "dst/"));
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(rows[1].folder, dir / "dst");
    EXPECT_EQ(historyLines()[9], "[Copyed]");
    EXPECT_EQ(readFile(dir / "dst/copy_b.txt"), "B");
    EXPECT_EQ(readFile(dir / "src/b.txt"), "B");
    EXPECT_EQ(undo().statusText(), "2/2個が変名を戻されました。");
    EXPECT_EQ(snapshotTree(d), before);
}

TEST_F(RunFixture, MoveToAnotherFileSystemAndBack) {
    TempDir shm("/dev/shm");
    RenameRuleSet rules = serialRule();
    writeFile(dir / "a.txt", "A");
    writeFile(dir / "b.txt", "B");
    auto before = snapshotTree(dir.path());
    std::vector<FileListRow> rows = {row(dir.path(), "a.txt"), row(dir.path(), "b.txt")};
    RunResult r = run(rows, request(rules, RenameMethod::RenameAndMove, shm.path()));
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(readFile(shm / "002.txt"), "B");
    EXPECT_FALSE(pathExists(dir / "a.txt"));
    EXPECT_EQ(rows[0].folder, shm.path());
    EXPECT_EQ(historyLines()[9], "[Moved]");
    EXPECT_EQ(undo().statusText(), "2/2個が変名を戻されました。");
    EXPECT_EQ(snapshotTree(dir.path()), before);
    EXPECT_TRUE(snapshotTree(shm.path()).empty());
}

TEST_F(RunFixture, CancelAfterTheSecondOfFiveRows) {
    const std::string d = dir.path();
    std::vector<FileListRow> rows;
    for (int i = 1; i <= 5; ++i) {
        writeFile(dir / ("f" + std::to_string(i)), "x");
        rows.push_back(row(d, "f" + std::to_string(i), "earlier"));
    }
    RenameRuleSet rules = serialRule();
    RunCallbacks cb = callbacks();
    int pumpsAfterCancel = 0;
    cb.rowChanged = [&](std::size_t i) {
        if (i == 1)
            progress.cancel = true;
    };
    cb.pumpEvents = [&] { pumpsAfterCancel += progress.cancel ? 1 : 0; };
    RunEngine engine(fs, builder, clock);
    RunResult r = engine.run(rows, request(rules), cb);
    EXPECT_EQ(r.end, RunEnd::Cancelled);
    EXPECT_EQ(r.statusText(), "変名処理が途中で終了しました。2個のファイルが正常に変名されました。");
    EXPECT_EQ(rows[1].remarks, "OK (変名前：f2)");
    EXPECT_EQ(rows[2].remarks, "earlier");
    EXPECT_EQ(rows[4].remarks, "earlier");
    EXPECT_TRUE(pathExists(dir / "f3"));
    EXPECT_GE(pumpsAfterCancel, 1);
    EXPECT_EQ(records().size(), 4u);

    // A stop confirmed while the last row is handled still makes a cancelled run.
    std::vector<FileListRow> last = {row(d, "f3")};
    cb.rowChanged = {};
    progress.cancel = false;
    fs.systemFiles = {dir / "f3"};
    cb.askSystemFile = [&](const std::string&) {
        progress.cancel = true;
        return true;
    };
    RunRequest req = request(rules);
    req.serialStartText = "7";
    r = engine.run(last, req, cb);
    EXPECT_EQ(r.end, RunEnd::Cancelled);
    EXPECT_EQ(r.renamed, 1);
}

TEST_F(RunFixture, PathsWithLineEndsAreRefusedBeforeAnyRecord) {
    // A line end inside a path would split its history line and could turn the rest into a record of
    // its own. Such rows fail before anything is written; the other rows of the run go on.
    RenameRuleSet prefixed = RenameRuleSet::defaults();
    tick(prefixed, 1);
    prefixed.fixF1 = "p_";
    RenameRuleSet broken = prefixed;
    broken.fixF1 = "p\n[A]";
    struct Case {
        const char* what;
        std::string folder;
        std::string name;
        RenameMethod method;
        std::string destination; // for copy and move
        const RenameRuleSet* rules;
        bool goodRowRenamed; // the second row, whose paths are plain
    };
    const Case cases[] = {
        {"LF in the source folder", dir / "in\n[A]side", "a.txt", RenameMethod::RenameOnly, "", &prefixed, true},
        {"CR in the source name", dir / "s1", "line\rend.txt", RenameMethod::RenameOnly, "", &prefixed, true},
        {"LF in the source name", dir / "s2", "line\nend.txt", RenameMethod::RenameAndMove, dir / "to", &prefixed,
         true},
        {"LF in the destination", dir / "s3", "b.txt", RenameMethod::RenameAndCopy, dir / "to\nhere", &prefixed, false},
        {"CR in the destination", dir / "s4", "b.txt", RenameMethod::RenameAndMove, dir / "to\rhere", &prefixed, false},
        {"LF in the new name", dir / "s5", "b.txt", RenameMethod::RenameOnly, "", &broken, false},
    };
    for (const Case& c : cases) {
        TempDir ok;
        const std::string bad = joinPath(c.folder, c.name);
        writeFile(bad, "bad");
        writeFile(ok / "good.txt", "good");
        const bool inPlace = c.method == RenameMethod::RenameOnly;
        if (!inPlace)
            makeDirs(c.destination);
        auto sourceFolder = snapshotTree(c.folder);
        std::vector<FileListRow> rows = {row(c.folder, c.name), row(ok.path(), "good.txt")};
        fs.operations = 0;
        RunResult r = run(rows, request(*c.rules, c.method, c.destination));
        EXPECT_EQ(rows[0].remarks, "x:Err") << c.what;
        EXPECT_EQ(snapshotTree(c.folder), sourceFolder) << c.what;
        EXPECT_EQ(r.end, RunEnd::Completed) << c.what;
        EXPECT_EQ(r.renamed, c.goodRowRenamed ? 1 : 0) << c.what;
        EXPECT_EQ(fs.operations != 0, c.goodRowRenamed) << c.what;
        std::vector<std::string> expected;
        if (c.goodRowRenamed) {
            const std::string target = joinPath(inPlace ? ok.path() : c.destination, "p_good.txt");
            expected = {"[B]" + (ok / "good.txt"), "[A]" + target};
            EXPECT_EQ(readFile(target), "good") << c.what;
        }
        EXPECT_EQ(records(), expected) << c.what;
        if (!inPlace) {
            removeTree(c.destination);
        }
    }
}

TEST_F(RunFixture, ALinkToASystemFileGetsTheQuestionToo) {
    // The system bit is the one the file itself carries (its stored attributes), not one laid on by
    // the test; a link to such a file is asked about as the file is, and only the link is renamed.
    const std::string d = dir.path();
    writeFile(dir / "sys.txt", "system");
    ASSERT_EQ(fs.PosixFileSystem::setAttributes(dir / "sys.txt", AttrSystem, AttrSystem), 0);
    FileInfo check;
    ASSERT_EQ(fs.stat(dir / "sys.txt", check), 0);
    ASSERT_NE(check.attributes & AttrSystem, 0u) << "this file system keeps no user attributes";
    ASSERT_EQ(::symlink("sys.txt", (dir / "link1").c_str()), 0);
    ASSERT_EQ(::symlink("sys.txt", (dir / "link2").c_str()), 0);
    writeFile(dir / "plain.txt", "plain");
    ASSERT_EQ(::symlink("plain.txt", (dir / "link3").c_str()), 0);
    RenameRuleSet prefixed = RenameRuleSet::defaults();
    tick(prefixed, 1);
    prefixed.fixF1 = "p_";
    answers = {false, true};
    std::vector<FileListRow> rows = {row(d, "link1"), row(d, "link2"), row(d, "link3")};
    RunResult r = run(rows, request(prefixed));
    EXPECT_EQ(asked, (std::vector<std::string>{dir / "link1", dir / "link2"}));
    EXPECT_EQ(rows[0].remarks, "x:ｼｽﾃﾑﾌｧｲﾙ");
    EXPECT_EQ(rows[1].remarks, "OK (変名前：link2)");
    EXPECT_EQ(rows[2].remarks, "OK (変名前：link3)");
    EXPECT_EQ(r.renamed, 2);
    struct stat st {};
    EXPECT_EQ(::lstat((dir / "link1").c_str(), &st), 0);
    ASSERT_EQ(::lstat((dir / rows[1].name).c_str(), &st), 0) << rows[1].name;
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(dir / "sys.txt"), "system");
}

TEST_F(RunFixture, AFailedRunStillReplacesTheHistory) {
    writeFile(home / "rinoza.txt", crlfLines({"[Changed]", "[B]/old/a", "[A]/old/b"}));
    std::vector<FileListRow> rows = {row(dir.path(), "gone1"), row(dir.path(), "gone2")};
    RunResult r = run(rows, request(serialRule()));
    EXPECT_EQ(r.statusText(), "0個のファイルが正常に変名されました。");
    EXPECT_EQ(historyLines().size(), 11u); // the header and the end line
    EXPECT_EQ(undo().statusText(), "0/0個が変名を戻されました。");
}

TEST_F(RunFixture, ErrorsStopTheRunWithTheirMessage) {
    writeFile(dir / "a", "a");
    writeFile(home / "rinoza.txt", "previous history");
    std::vector<FileListRow> rows = {row(dir.path(), "a")};

    // A start number that is not a whole number: nothing is touched, the previous history stays.
    RunRequest bad = request(serialRule());
    bad.serialStartText = "1x";
    RunResult r = run(rows, bad);
    EXPECT_EQ(r.end, RunEnd::Error);
    EXPECT_EQ(r.errorMessage, notAnIntegerMessage("1x"));
    EXPECT_EQ(r.statusText(), "変名処理が途中で終了しました。0個のファイルが正常に変名されました。");
    EXPECT_EQ(readFile(home / "rinoza.txt"), "previous history");

    // A regular expression that cannot be used: the same.
    RunRequest badRule = request(serialRule());
    tick(badRule.rules, 9);
    badRule.rules.strChgRegex = true;
    badRule.rules.strChgBefore = "[a";
    r = run(rows, badRule);
    EXPECT_EQ(r.end, RunEnd::Error);
    EXPECT_EQ(r.errorMessage, "正規表現の誤り (2 文字目): [ に対応する ] がありません");
    EXPECT_EQ(readFile(home / "rinoza.txt"), "previous history");
    EXPECT_EQ(fs.operations, 0);

    // A history that cannot be written: no file is renamed.
    RunRequest nowhere = request(serialRule());
    nowhere.historyPath = dir / "no/such/folder/rinoza.txt";
    r = run(rows, nowhere);
    EXPECT_EQ(r.end, RunEnd::Error);
    EXPECT_EQ(r.error, ENOENT);
    EXPECT_FALSE(r.errorMessage.empty());
    EXPECT_EQ(fs.operations, 0);
    EXPECT_EQ(rows[0].remarks, " ");
}

TEST_F(RunFixture, AHistoryThatFillsUpStopsBeforeTheNextFile) {
    std::vector<FileListRow> rows;
    for (const char* n : {"a", "b", "c"}) {
        writeFile(dir / n, n);
        rows.push_back(row(dir.path(), n));
    }
    auto header = history::headerLines(clock.now(), RenameMethod::RenameOnly);
    std::size_t size = 0;
    for (const auto& l : header)
        size += l.size() + 2;
    FileInfo a;
    ASSERT_EQ(fs.stat(dir / "a", a, false), 0);
    std::size_t record = (3 + (dir / "a").size() + 2) + (3 + (dir / "001").size() + 2) +
                         (history::identityLine(*identityOf(a)).size() + 2);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{static_cast<rlim_t>(size + record + 8), static_cast<rlim_t>(size + record + 8)};
        setrlimit(RLIMIT_FSIZE, &lim);
        RunEngine engine(fs, builder, clock);
        RunResult r = engine.run(rows, request(serialRule()), callbacks());
        _exit(r.end == RunEnd::Error && r.error == EFBIG && r.renamed == 1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The record that did not fit is not left half written, and its file was not renamed.
    EXPECT_EQ(records(), (std::vector<std::string>{"[B]" + (dir / "a"), "[A]" + (dir / "001")}));
    EXPECT_TRUE(pathExists(dir / "b"));
    EXPECT_TRUE(pathExists(dir / "c"));
}
