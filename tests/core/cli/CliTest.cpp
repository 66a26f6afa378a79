// rinoza-cli as a user runs it: the built program on temporary folders, with its own settings home.

#include "filelist/AddedPaths.h"
#include "filelist/SearchWalk.h"
#include "platform/posix/PosixFileSystem.h"
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
        IniFile ini(systemFileSystem(), settingsFilePath(systemFileSystem()));
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
        HistoryFile::read(systemFileSystem(), historyFilePath(systemFileSystem()), lines);
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
    EXPECT_FALSE(pathExists(historyFilePath(systemFileSystem())));
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
    ASSERT_EQ(lines.size(), 20u); // each record followed by the identity of the file it renamed, then the end
    EXPECT_EQ(lines[9], "[Changed]");
    EXPECT_EQ(lines[10], "[B]" + scratch / "a.txt");
    EXPECT_EQ(lines[11], "[A]" + scratch / "new_a.txt");
    EXPECT_EQ(lines[13], "[B]" + dir / "b.txt");
    EXPECT_EQ(lines[16], "[B]" + dir / "sub/c.txt");
    for (std::size_t i : {12u, 15u, 18u})
        EXPECT_TRUE(lines[i].starts_with(history::kIdentityPrefix)) << lines[i];
    EXPECT_EQ(lines[19], history::kRecordsEndLine);
    EXPECT_NE(o.err.find("3個のファイルが正常に変名されました。"), std::string::npos);
}

TEST_F(CliFixture, TheWindowsUndoRestoresARunOfTheCli) {
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.txt", "2");
    const auto before = snapshotTree(dir.path());
    ASSERT_EQ(cli({"--yes", dir.path()}).status, 0);
    ASSERT_NE(snapshotTree(dir.path()), before);
    UndoEngine undo(systemFileSystem());
    const UndoResult r = undo.run(historyFilePath(systemFileSystem()), ProgressCallbacks{});
    EXPECT_EQ(r.restored, 2);
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(CliFixture, TheCliUndoesARunOfTheWindowsEngine) {
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.txt", "2");
    const auto before = snapshotTree(dir.path());
    std::vector<FileListRow> rows{*addedPathRow(systemFileSystem(), dir / "a.txt", false),
                                  *addedPathRow(systemFileSystem(), dir / "b.txt", false)};
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, [](const std::string&, FileDateKind) { return std::optional<LocalDateTime>(); }};
    RunRequest request;
    request.rules = RuleSetStore::readCurrent(IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))).rules;
    request.serialStartText = "1";
    request.historyPath = historyFilePath(systemFileSystem());
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
        // The rule from the command line: keys and values as the settings file and the window take them.
        {{"--set", "Foo=1", d}, "変名設定のキーではありません: Foo"},
        {{"--set", "ReiBefore=x", d}, "変名設定のキーではありません: ReiBefore"},
        {{"--set", "In=1", d}, "変名設定のキーではありません: In"},
        {{"--set=FixF1", d}, "--set は KEY=VALUE の形"},
        {{"--set", "=1", d}, "--set は KEY=VALUE の形"},
        {{"--set"}, "--set には値が必要です"},
        {{"--set", "RenKeta=5", d}, "RenKeta には 1 から 4 の整数"},
        {{"--set", "motostart=1000", d}, "motostart には 1 から 999 の整数"},
        {{"--set", "RenStart=-1", d}, "RenStart には 0 から 9999 の整数"},
        {{"--set", "Case=1.0", d}, "Case には 0 から 3 の整数"},
        {{"--set", "Width=5", d}, "Width には 0 から 4 の整数"},
        {{"--set", "StrChgRegex=yes", d}, "StrChgRegex には 0 か 1"},
        {{"--set", "ChgB3=2", d}, "ChgB3 には 0 か 1"},
        {{"--set", "Chg1=0", d}, "Chg1 には要素の番号"},
        {{"--set", "Chg1=4", d}, "Chg1 から Chg9 には要素 1 から 9 を1つずつ"},
        {{"--set", "FixK=a|b", d}, "FixK にファイル名に使えない文字"},
        {{"--set", "StrChgAfter=a:b", d}, "StrChgAfter にファイル名に使えない文字"},
        {{"--find", "a?", d}, "StrChgBefore にファイル名に使えない文字"},
        {{"--fixed1", "a/b", d}, "--fixed1 にファイル名に使えない文字"},
        {{"--ext=a*", d}, "--ext にファイル名に使えない文字"},
        {{"--start", "x", d}, "--start には 0 から 9999 の整数"},
        {{"--step", "0", d}, "--step には 1 から 9999 の整数"},
        {{"--digits", "5", d}, "--digits には 1 から 4 の整数"},
        {{"--case", "shout", d}, "--case は keep、upper、lower、first のどれか"},
        {{"--case", "1", d}, "--case は keep"},
        {{"--width", "wide", d}, "--width は keep、half、full、kana-full、kana-half のどれか"},
        {{"--kana", "romaji", d}, "--kana は keep、hiragana、katakana のどれか"},
        {{"--regex=1", d}, "--regex は値をとりません"},
        {{"--per-folder=yes", d}, "--per-folder は値をとりません"},
        {{"--find", "(", "--regex", d}, "正規表現の誤り"},
        {{"--find", "a", "--replace", "b\\", "--regex", d}, "の後に文字がありません"},
        {{"--show-rule", d}, "--show-rule にはファイルもフォルダも"},
        {{"--show-rule", "--undo"}, "--show-rule と --undo"},
        {{"--show-rule", "--json"}, "--show-rule と --json"},
        {{"--undo", "--fixed1", "x"}, "--undo には変名ルールを変えるオプション (--fixed1 など)"},
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
    EXPECT_FALSE(pathExists(historyFilePath(systemFileSystem())));
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
    IniFile ini(systemFileSystem(), settingsFilePath(systemFileSystem()));
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
    ASSERT_EQ(lines.size(), 13u);
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

// The second column of each row of a dry run: the new names, without their folder.
std::vector<std::string> newNames(const std::string& out) {
    std::vector<std::string> names;
    for (std::size_t p = 0; (p = out.find('\t', p)) != std::string::npos;) {
        const std::size_t end = out.find('\t', p + 1);
        const std::string path = out.substr(p + 1, end - p - 1);
        names.push_back(path.substr(path.rfind('/') + 1));
        p = out.find('\n', end);
    }
    return names;
}

// The current rule puts "new_" in front; each row changes it for one run, over a.txt, b.TXT and x/c.txt.
TEST_F(CliFixture, RuleOptionsAndSetChangeTheRuleOfOneRunInTheirOrder) {
    setRule("new_", 2);
    IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
        .WriteString(RuleSetStore::presetSection(2), "FixF1", "p2_");
    writeFile(dir / "a.txt", "1");
    writeFile(dir / "b.TXT", "2");
    writeFile(dir / "x/c.txt", "3");
    const std::string settings = readFile(settingsFilePath(systemFileSystem()));
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> cases{
        {{}, {"new_a.txt", "new_b.TXT", "new_c.txt"}},
        {{"--fixed1", "p_"}, {"p_a.txt", "p_b.TXT", "p_c.txt"}},
        {{"--fixed1", "p_", "--set", "FixF1=q_"}, {"q_a.txt", "q_b.TXT", "q_c.txt"}},
        {{"--set", "fixf1=q_", "--fixed1=p_"}, {"p_a.txt", "p_b.TXT", "p_c.txt"}},
        {{"--preset", "2", "--fixed2", "_z"}, {"p2_a_z.txt", "p2_b_z.TXT", "p2_c_z.txt"}},
        {{"--set", "ChgB1=0"}, {"a.txt", "b.TXT", "c.txt"}},
        {{"--set", "Chg1=2", "--set", "Chg2=1"}, {"anew_.txt", "bnew_.TXT", "cnew_.txt"}},
        {{"--set", "Chg2=4) 連番", "--set", "Chg4=2"}, {"new_001.txt", "new_002.TXT", "new_003.txt"}},
        {{"--serial"}, {"new_a001.txt", "new_b002.TXT", "new_c003.txt"}},
        {{"--start", "7", "--digits", "1"}, {"new_a7.txt", "new_b8.TXT", "new_c9.txt"}},
        {{"--start=0", "--step", "5", "--digits", "2"}, {"new_a00.txt", "new_b05.TXT", "new_c10.txt"}},
        {{"--set", "RenStart=+3", "--serial"}, {"new_a003.txt", "new_b004.TXT", "new_c005.txt"}},
        {{"--per-folder"}, {"new_a001.txt", "new_b002.TXT", "new_c001.txt"}},
        {{"--set", "RenFolder=1", "--set", "ChgB4=1"}, {"new_a001.txt", "new_b002.TXT", "new_c001.txt"}},
        {{"--ext", "md"}, {"new_a.md", "new_b.md", "new_c.md"}},
        {{"--find", "W_", "--replace", "-"}, {"ne-a.txt", "ne-b.TXT", "ne-c.txt"}},
        {{"--find", "(.)_(.)", "--replace", "$2_$1", "--regex"}, {"nea_w.txt", "neb_w.TXT", "nec_w.txt"}},
        {{"--find", "^", "--replace", "\\$", "--regex"}, {"$new_a.txt", "$new_b.TXT", "$new_c.txt"}},
        {{"--case", "upper"}, {"NEW_A.TXT", "NEW_B.TXT", "NEW_C.TXT"}},
        {{"--case", "lower", "--fixed1", "P_"}, {"p_a.txt", "p_b.txt", "p_c.txt"}},
        {{"--case", "first"}, {"New_a.txt", "New_b.txt", "New_c.txt"}},
        {{"--width", "full"}, {"ｎｅｗ＿ａ.txt", "ｎｅｗ＿ｂ.TXT", "ｎｅｗ＿ｃ.txt"}},
        {{"--fixed1", "ﾃｽﾄ_", "--width", "kana-full"}, {"テスト_a.txt", "テスト_b.TXT", "テスト_c.txt"}},
        {{"--fixed1", "てすと_", "--kana", "katakana"}, {"テスト_a.txt", "テスト_b.TXT", "テスト_c.txt"}},
        {{"--fixed1", "テスト_", "--kana=hiragana"}, {"てすと_a.txt", "てすと_b.TXT", "てすと_c.txt"}},
        {{"--fixed1", "テスト_", "--width", "kana-half"}, {"ﾃｽﾄ_a.txt", "ﾃｽﾄ_b.TXT", "ﾃｽﾄ_c.txt"}},
        {{"--fixed1", "ｶﾞ_", "--set", "Width=3", "--width", "keep"}, {"ｶﾞ_a.txt", "ｶﾞ_b.TXT", "ｶﾞ_c.txt"}},
        {{"--fixed1", "か\u3099_", "--nfc"}, {"が_a.txt", "が_b.TXT", "が_c.txt"}},
    };
    const auto before = snapshotTree(dir.path());
    for (const auto& [options, expected] : cases) {
        std::vector<std::string> args{"--dry-run"};
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(), {dir / "a.txt", dir / "b.TXT", dir / "x"});
        const Outcome o = cli(args);
        SCOPED_TRACE(::testing::PrintToString(options));
        EXPECT_EQ(o.err, "");
        EXPECT_EQ(newNames(o.out), expected);
    }
    EXPECT_EQ(snapshotTree(dir.path()), before);

    // A run renames by the changed rule, and the settings file stays as it was.
    const Outcome run = cli({"--yes", "--fixed1", "r_", "--per-folder", dir / "a.txt", dir / "x"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(dir / "r_a001.txt") + readFile(dir / "x/r_c001.txt"), "13");
    EXPECT_EQ(readFile(settingsFilePath(systemFileSystem())), settings);
}

TEST_F(CliFixture, ShowRulePrintsTheRuleInElementOrderAsKeysThatSetTakesBack) {
    const Outcome shown = cli({"--show-rule", "--set", "Chg1=3", "--set", "Chg3=1", "--fixed2", "x y", "--find", "a|b",
                               "--regex", "--width", "half", "--set", "DateK=-"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.err, "");
    // Position 1 holds element 3 and its key, the tick staying with the position as in the settings
    // file; the conversions of the whole name come last.
    EXPECT_EQ(shown.out.substr(0, shown.out.find("Chg2=")), "Chg1=3) 固定文字２\nChgB1=1\nFixF2=x y\n");
    EXPECT_NE(shown.out.find("Chg3=1) 固定文字１\nChgB3=0\nFixF1=new_\nChg4="), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\nDateTime=0\nDateK=-\nTimeK=_\n"), std::string::npos);
    EXPECT_NE(shown.out.find("\nStrChgBefore=a|b\nStrChgAfter=\nStrChgRegex=1\n"), std::string::npos);
    EXPECT_TRUE(shown.out.ends_with("\nCase=0\nWidth=1\nKana=0\nNfc=0\n"));

    // Every line given back to --set over the defaults gives the same rule.
    IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).EraseSection(RuleSetStore::kCurrentSection);
    std::vector<std::string> args{"--show-rule"};
    for (std::size_t p = 0, end; (end = shown.out.find('\n', p)) != std::string::npos; p = end + 1)
        args.insert(args.end(), {"--set", shown.out.substr(p, end - p)});
    const Outcome again = cli(args);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, shown.out);
}
