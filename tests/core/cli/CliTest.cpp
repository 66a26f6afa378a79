// rinoza-cli as a user runs it: the built program on temporary folders, with its own settings home.

#include "filelist/SearchWalk.h"
#include "rename/NameBuilder.h"
#include "rename/RuleSetStore.h"
#include "run/RunEngine.h"
#include "run/UndoEngine.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

using namespace rinoza;
using namespace rinoza::test;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

struct CliFixture : ::testing::Test {
    TempDir home;
    TempDir dir;
    TempDir scratch;

    // Runs the program with standard input from /dev/null (so it never asks) in folder cwd.
    Outcome cli(const std::vector<std::string>& args, const std::string& cwd = "") {
        std::vector<std::string> env{"RINOZA_HOME=" + home.path(), "ASAN_OPTIONS=detect_leaks=0", "LC_ALL=C.UTF-8"};
        for (char** e = environ; *e; ++e)
            if (std::string_view(*e).find("RINOZA_HOME=") != 0)
                env.emplace_back(*e);
        std::vector<std::string> argv{RINOZA_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        auto pointers = [](std::vector<std::string>& v) {
            std::vector<char*> p;
            for (auto& s : v)
                p.push_back(s.data());
            p.push_back(nullptr);
            return p;
        };
        std::vector<char*> argp = pointers(argv);
        std::vector<char*> envp = pointers(env);
        const std::string outPath = scratch / "out";
        const std::string errPath = scratch / "err";
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (!cwd.empty())
            posix_spawn_file_actions_addchdir_np(&fa, cwd.c_str());
        pid_t pid = 0;
        Outcome o;
        EXPECT_EQ(posix_spawn(&pid, argp[0], &fa, nullptr, argp.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&fa);
        int ws = 0;
        waitpid(pid, &ws, 0);
        o.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
        o.out = readFile(outPath);
        o.err = readFile(errPath);
        return o;
    }

    // The current rule: FixF1 in front of the old name (element 1 ticked).
    void setRule(const std::string& prefix, int preset = 0) {
        IniFile ini(settingsFilePath());
        StoredRuleSet s;
        s.rules.elements[0].checked = true;
        s.rules.fixF1 = prefix;
        if (preset == 0)
            RuleSetStore::writeCurrent(ini, s);
        else
            RuleSetStore::writePreset(ini, preset, s);
    }

    void SetUp() override {
        setenv("RINOZA_HOME", home.path().c_str(), 1);
        setRule("new_");
    }

    std::vector<std::string> historyLines() {
        std::vector<std::string> lines;
        HistoryFile::read(historyFilePath(), lines);
        return lines;
    }
};

std::string line(const std::string& oldPath, const std::string& newPath, const std::string& outcome) {
    return oldPath + "\t" + newPath + "\t" + outcome + "\n";
}

TEST_F(CliFixture, DryRunChangesNothingAndShowsEveryRowsNames) {
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.txt", "2");
    writeFile(dir / "new_b.txt", "3");
    const auto before = snapshotTree(dir.path());
    const Outcome o = cli({"--dry-run", dir.path()});
    EXPECT_EQ(o.status, 1); // new_b.txt is taken
    EXPECT_EQ(o.out, line(dir / "a.txt", dir / "new_a.txt", "OK") +
                         line(dir / "b.txt", dir / "new_b.txt", "x:既に存在") +
                         line(dir / "new_b.txt", dir / "new_new_b.txt", "OK"));
    EXPECT_EQ(snapshotTree(dir.path()), before);
    EXPECT_FALSE(pathExists(historyFilePath()));
}

TEST_F(CliFixture, TheDryRunForetellsWhatTheRunThenDoes) {
    writeFile(dir / "x.txt", "1");
    writeFile(dir / "new_x.txt", "2");
    writeFile(dir / "y.txt", "3");
    writeFile(dir / "new_y.txt", "4");
    // new_x.txt makes way for x.txt; new_y.txt is still there when y.txt comes.
    const std::vector<std::string> args{dir / "new_x.txt", dir / "x.txt", dir / "y.txt", dir / "new_y.txt"};
    std::vector<std::string> dry{"--dry-run"};
    dry.insert(dry.end(), args.begin(), args.end());
    const Outcome forecast = cli(dry);
    std::vector<std::string> run{"--yes"};
    run.insert(run.end(), args.begin(), args.end());
    const Outcome done = cli(run);
    auto outcomes = [](const std::string& out) {
        std::vector<std::string> v;
        for (std::size_t p = 0; (p = out.find('\t', p)) != std::string::npos;) {
            p = out.find('\t', p + 1) + 1;
            v.push_back(out.substr(p, out.find('\n', p) - p));
        }
        return v;
    };
    EXPECT_EQ(outcomes(forecast.out), (std::vector<std::string>{"OK", "OK", "x:既に存在", "OK"}));
    EXPECT_EQ(outcomes(done.out), outcomes(forecast.out));
    EXPECT_EQ(forecast.status, 1);
    EXPECT_EQ(done.status, 1);
}

TEST_F(CliFixture, RunRenamesInListOrderAndWritesTheHistoryAhead) {
    writeFile(dir / "b.txt", "2");
    writeFile(dir / "sub/c.txt", "3");
    writeFile(scratch / "a.txt", "1");
    const Outcome o = cli({"--yes", "-r", "a.txt", dir.path()}, scratch.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(pathExists(scratch / "new_a.txt"));
    EXPECT_TRUE(pathExists(dir / "new_b.txt"));
    EXPECT_TRUE(pathExists(dir / "sub/new_c.txt"));
    const auto lines = historyLines();
    ASSERT_EQ(lines.size(), 19u); // each record followed by the identity of the file it renamed
    EXPECT_EQ(lines[9], "[Changed]");
    EXPECT_EQ(lines[10], "[B]" + scratch / "a.txt");
    EXPECT_EQ(lines[11], "[A]" + scratch / "new_a.txt");
    EXPECT_EQ(lines[13], "[B]" + dir / "b.txt");
    EXPECT_EQ(lines[16], "[B]" + dir / "sub/c.txt");
    for (std::size_t i : {12u, 15u, 18u})
        EXPECT_TRUE(lines[i].starts_with(history::kIdentityPrefix)) << lines[i];
    EXPECT_NE(o.err.find("3個のファイルが正常に変名されました。"), std::string::npos);
}

TEST_F(CliFixture, TheWindowsUndoRestoresARunOfTheCli) {
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.txt", "2");
    const auto before = snapshotTree(dir.path());
    ASSERT_EQ(cli({"--yes", dir.path()}).status, 0);
    ASSERT_NE(snapshotTree(dir.path()), before);
    UndoEngine undo(systemFileSystem());
    const UndoResult r = undo.run(historyFilePath(), ProgressCallbacks{});
    EXPECT_EQ(r.restored, 2);
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(CliFixture, TheCliUndoesARunOfTheWindowsEngine) {
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.txt", "2");
    const auto before = snapshotTree(dir.path());
    std::vector<FileListRow> rows{*addedPathRow(dir / "a.txt", false), *addedPathRow(dir / "b.txt", false)};
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, [](const std::string&, FileDateKind) { return std::optional<LocalDateTime>(); }};
    RunRequest request;
    request.rules = RuleSetStore::readCurrent(IniFile(settingsFilePath())).rules;
    request.serialStartText = "1";
    request.historyPath = historyFilePath();
    RunEngine engine(systemFileSystem(), builder, clock);
    ASSERT_EQ(engine.run(rows, request, RunCallbacks{}).renamed, 2);

    const Outcome o = cli({"--undo", "--json"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "{\"restored\":2,\"seen\":2,\"pending\":2}\n");
    EXPECT_EQ(snapshotTree(dir.path()), before);
    EXPECT_EQ(historyLines().back(), "{戻し済み:1-2}");
}

TEST_F(CliFixture, EveryUsageErrorGivesStatusTwoAndOneLine) {
    writeFile(dir / "a.txt", "1");
    const std::string d = dir.path();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--bogus", d}, "不明なオプションです: --bogus"},
        {{"-x", d}, "不明なオプションです: -x"},
        {{"--method", "rename2", d}, "--method は"},
        {{"--preset", "0", d}, "--preset は 1 から 5"},
        {{"--preset=6", d}, "--preset は 1 から 5"},
        {{"--preset", "1x", d}, "--preset は 1 から 5"},
        {{"--preset", "2", d}, "設定(2)が保存されていません。"},
        {{"--method", "copy", d}, "--dest で先のフォルダ"},
        {{"--method=move", "--dest=", d}, "--dest で先のフォルダ"},
        {{"--dest", d, d}, "--dest は --method copy"},
        {{"--pattern"}, "--pattern には値が必要です"},
        {{"--json=1", d}, "--json は値をとりません"},
        {{}, "変名するファイルかフォルダ"},
        {{"--undo", d}, "--undo にはファイル"},
        {{"--undo", "--dry-run"}, "--undo と --dry-run"},
    };
    const auto before = snapshotTree(d);
    for (const auto& [args, text] : cases) {
        const Outcome o = cli(args);
        SCOPED_TRACE(text);
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(o.out.empty());
        EXPECT_EQ(o.err.rfind("rinoza-cli: ", 0), 0u);
        EXPECT_NE(o.err.find(text), std::string::npos) << o.err;
        EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1);
    }
    EXPECT_EQ(snapshotTree(d), before);
    EXPECT_FALSE(pathExists(historyFilePath()));
}

TEST_F(CliFixture, NamesThatAreNotUtf8KeepTheirBytesAndPrintReadably) {
    const std::string sjis = "\x82\xa0.txt"; // あ in CP932
    const std::string stray = "bad\xff.txt";
    writeFile(dir / sjis, "1");
    writeFile(dir / stray, "2");
    const Outcome json = cli({"--dry-run", "--json", dir / stray});
    EXPECT_NE(json.out.find("\"path\":\"" + dir.path() + "/bad\\\\xFF.txt\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"new_base64\":\"" + std::string("L3")), std::string::npos);
    const Outcome o = cli({"--yes", dir.path()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, line(dir / "bad\\xFF.txt", dir / "new_bad\\xFF.txt", "OK") +
                         line(dir / "あ.txt", dir / "new_あ.txt", "OK"));
    EXPECT_EQ(readFile(dir / "new_あ.txt"), "1"); // the built name is UTF-8
    EXPECT_EQ(readFile(dir / ("new_" + stray)), "2");
    EXPECT_EQ(historyLines()[11], "[A]" + dir / ("new_" + stray));
}

// The dry run and the run agree on a CP932 name (repaired to UTF-8) and on trailing periods.
TEST_F(CliFixture, TheDryRunAndTheRunAgreeOnNamesFromWindows) {
    // The default rule; テスト.txt in CP932.
    setRule("");
    const std::string sjis = "\x83\x65\x83\x58\x83\x67.txt";
    writeFile(dir / sjis, "1");
    writeFile(dir / "README", "2");
    writeFile(dir / "notes.", "3");
    const std::vector<std::string> paths{dir / sjis, dir / "README", dir / "notes."};
    std::vector<std::string> args{"--dry-run"};
    args.insert(args.end(), paths.begin(), paths.end());
    const Outcome dry = cli(args);
    args[0] = "--yes";
    const Outcome done = cli(args);
    const std::string repaired = line(dir / "テスト.txt", dir / "テスト.txt", "OK");
    const std::string trimmed = line(dir / "notes.", dir / "notes", "OK");
    EXPECT_EQ(dry.out, repaired + line(dir / "README", dir / "README", "x:同一名") + trimmed);
    EXPECT_EQ(done.out, repaired + line(dir / "README", "-", "x:同一名") + trimmed);
    EXPECT_EQ(readFile(dir / "テスト.txt") + readFile(dir / "README") + readFile(dir / "notes"), "123");
    EXPECT_EQ(historyLines()[10], "[B]" + dir / sjis);
    EXPECT_EQ(cli({"--undo"}).status, 0);
    EXPECT_EQ(readFile(dir / sjis) + readFile(dir / "notes."), "13");
}

TEST_F(CliFixture, FoldersAreSearchedWithThePatternTheDisplayFiltersAndTheLimit) {
    setRule("p3_", 3);
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.dat", "2");
    writeFile(dir / ".hidden.txt", "3");
    writeFile(dir / "c.txt", "4");
    IniFile ini(settingsFilePath());
    ini.WriteBool("Window", "LVHiddenVisible", false);
    Outcome o = cli({"-n", "--preset", "3", "--pattern", "*.txt", dir.path()});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, line(dir / "a.txt", dir / "p3_a.txt", "OK") + line(dir / "c.txt", dir / "p3_c.txt", "OK"));
    ini.WriteInteger("Window", "LVIconMax", 1);
    o = cli({"-n", "--pattern=*.txt", dir.path()});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, line(dir / "a.txt", dir / "new_a.txt", "OK"));
    EXPECT_NE(o.err.find("検索数が1を越えました。"), std::string::npos);
}

TEST_F(CliFixture, CopyGoesToTheDestinationMadeAbsoluteAndCreated) {
    writeFile(dir / "a.txt", "1");
    const Outcome o = cli({"--yes", "--method", "copy", "--dest", "to/x", dir / "a.txt"}, scratch.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(readFile(scratch / "to/x/new_a.txt"), "1");
    EXPECT_TRUE(pathExists(dir / "a.txt"));
    const auto lines = historyLines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[9], "[Copyed]");
    EXPECT_EQ(lines[11], "[A]" + scratch / "to/x/new_a.txt");
}

TEST_F(CliFixture, AFailedRowOrAMissingPathGivesStatusOne) {
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "new_a.txt", "taken");
    Outcome o = cli({"--yes", dir / "a.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, line(dir / "a.txt", "-", "x:既に存在"));
    o = cli({"--yes", dir / "none.txt", dir / "new_a.txt"});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.err.find("見つかりません: " + dir / "none.txt"), std::string::npos);
    EXPECT_EQ(readFile(dir / "new_new_a.txt"), "taken");
}

// Whether text holds a control character (C0 other than the line end, DEL, or C1 in UTF-8) raw.
bool hasRawControl(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if ((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F ||
            (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
             static_cast<unsigned char>(text[i + 1]) <= 0x9F))
            return true;
    }
    return false;
}

TEST_F(CliFixture, ControlCharactersInNamesAreNeverPrintedRaw) {
    const struct {
        std::string name; // the file's bytes
        std::string tsv;  // old and new name as the TSV shows them (the new one: when given)
        std::string tsvNew;
        std::string json; // the "path" field's value, and the "new" one's (when given)
        std::string jsonNew;
    } rows[] = {
        {"a\xC2\x9B.txt", "a\\xC2\\x9B.txt", "new_a\\xC2\\x9B.txt", "a\\u009b.txt", "new_a\\u009b.txt"},
        {"b\xC2\x85.txt", "b\\xC2\\x85.txt", "new_b\\xC2\\x85.txt", "b\\u0085.txt", "new_b\\u0085.txt"},
        {"c\x7F.txt", "c\\x7F.txt", "new_c\\x7F.txt", "c\\u007f.txt", "new_c\\u007f.txt"},
        // CP932: あ and the byte 0x80 (read as U+0080), shown as the name's own byte.
        {"\x82\xA0\x80.txt", "あ\\x80.txt", "", "あ\\\\x80.txt", ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.tsv);
        TempDir d;
        writeFile(d / r.name, "1");
        const Outcome tsv = cli({"--dry-run", d / r.name});
        EXPECT_EQ(tsv.status, 0) << tsv.err;
        EXPECT_EQ(tsv.out.substr(0, tsv.out.find('\t')), d / r.tsv);
        if (!r.tsvNew.empty()) {
            EXPECT_EQ(tsv.out, line(d / r.tsv, d / r.tsvNew, "OK"));
        }
        const Outcome json = cli({"--dry-run", "--json", d / r.name});
        EXPECT_NE(json.out.find("\"path\":\"" + d.path() + "/" + r.json + "\""), std::string::npos) << json.out;
        if (!r.jsonNew.empty()) {
            EXPECT_NE(json.out.find("\"new\":\"" + d.path() + "/" + r.jsonNew + "\""), std::string::npos) << json.out;
        }
        EXPECT_FALSE(hasRawControl(tsv.out + json.out + tsv.err + json.err));
    }
}

TEST_F(CliFixture, UndoWithoutHistoryPrintsItsErrorAsJsonToo) {
    const Outcome o = cli({"--undo", "--json"});
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out,
              "{\"restored\":0,\"seen\":0,\"pending\":0,\"error\":\"前回の変名履歴ファイルが見つかりません。\"}\n");
    EXPECT_EQ(o.err, "rinoza-cli: 前回の変名履歴ファイルが見つかりません。\n");
    EXPECT_EQ(cli({"--undo"}).out, "");
}

} // namespace
