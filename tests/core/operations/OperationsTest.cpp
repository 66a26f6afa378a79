// The operations both front ends call, with scripted answers: their checks, their questions and the
// texts of their outcomes.

#include "operations/Messages.h"
#include "operations/PathIntake.h"
#include "operations/RenameOperations.h"
#include "operations/SearchOperation.h"
#include "operations/StampOperation.h"
#include "operations/UndoOperation.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Answers from a script (Yes when it runs out) and writes down every question and message.
struct ScriptedAnswers final : OperationPrompts {
    std::deque<bool> answers;
    bool yesByItself = false;
    std::vector<std::string> log;
    bool ask(Question q, std::string_view text) override {
        log.push_back("ask " + std::to_string(static_cast<int>(q)) + ": " + std::string(text));
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void tell(Notice n, std::string_view text) override {
        log.push_back("tell " + std::to_string(static_cast<int>(n)) + ": " + std::string(text));
    }
    std::string shown(std::string_view bytes) const override { return "<" + std::string(bytes) + ">"; }
    bool answersYes(Question) const override { return yesByItself; }
};

struct RecordedProgress final : ProgressDisplay {
    std::vector<std::string> log;
    void begin(std::string_view activity) override { log.push_back("begin " + std::string(activity)); }
    ProgressCallbacks callbacks() override { return {}; }
    void end() override { log.push_back("end"); }
};

// The real file system with chosen faults, and system files by path.
struct FaultyFileSystem final : PosixFileSystem {
    int appendError = 0;
    int makeError = 0;
    std::set<std::string> systemFiles;
    int appendLine(const std::string& path, std::string_view line) override {
        return appendError ? appendError : PosixFileSystem::appendLine(path, line);
    }
    int makeDirectories(const std::string& path) override {
        return makeError ? makeError : PosixFileSystem::makeDirectories(path);
    }
    int stat(const std::string& path, FileInfo& info, bool followLinks = true) override {
        const int err = PosixFileSystem::stat(path, info, followLinks);
        if (err == 0 && systemFiles.count(path))
            info.attributes |= AttrSystem;
        return err;
    }
    int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override {
        const int err = PosixFileSystem::statAt(folder, name, info, followLinks);
        if (err == 0 && systemFiles.count(joinPath(folder.path(), name)))
            info.attributes |= AttrSystem;
        return err;
    }
};

struct OperationsTest : ::testing::Test {
    TempDir home;
    TempDir dir;
    FaultyFileSystem fs;
    ScriptedAnswers prompts;
    RecordedProgress progress;
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, {}};
    FileList list;

    void SetUp() override { setenv("RINOZA_HOME", home.path().c_str(), 1); }

    void listFiles(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            writeFile(dir / n, n);
            list.addRow(std::move(*takePath(dir / n, "", fs, false).row));
        }
    }
    RunResult run(const std::string& prefix) {
        RenameRuleSet rules = RenameRuleSet::defaults();
        rules.elements[0].checked = true;
        rules.fixF1 = prefix;
        RenameContext context{fs, builder, clock, nullptr};
        return runRename(
            list, [&] { return renameRequest(fs, RenameMethod::RenameOnly, "", rules, "1"); }, context, prompts,
            progress);
    }
};

} // namespace

TEST_F(OperationsTest, TheDestinationOfACopyIsMadeOnlyWhenTheUserAgrees) {
    const struct {
        RenameMethod method;
        bool exists;
        bool answer;
        int makeError;
        DestinationCheck expected;
        bool asked;
    } cases[] = {
        {RenameMethod::RenameOnly, false, false, 0, DestinationCheck::Ready, false},
        {RenameMethod::RenameAndCopy, true, false, 0, DestinationCheck::Ready, false},
        {RenameMethod::RenameAndMove, false, true, 0, DestinationCheck::Ready, true},
        {RenameMethod::RenameAndCopy, false, false, 0, DestinationCheck::Declined, true},
        {RenameMethod::RenameAndCopy, false, true, EACCES, DestinationCheck::Failed, true},
    };
    for (const auto& c : cases) {
        TempDir d;
        const std::string to = c.exists ? d.path() : d / "new/sub";
        prompts.log.clear();
        prompts.answers = {c.answer};
        fs.makeError = c.makeError;
        EXPECT_EQ(prepareDestination(c.method, to, fs, prompts), c.expected) << to;
        const bool made = c.expected == DestinationCheck::Ready && c.method != RenameMethod::RenameOnly;
        EXPECT_EQ(pathExists(to), c.exists || made) << to;
        EXPECT_EQ(prompts.log.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(prompts.log[0], "ask 0: フォルダ[ <" + to + "> ]が存在しません。\r\n作成しますか？");
        }
    }
}

TEST_F(OperationsTest, ASystemFileIsAskedForUnlessThePromptsAnswerByThemselves) {
    fs.systemFiles.insert(dir / "s.txt");
    listFiles({"a.txt", "s.txt"});
    prompts.answers = {false};
    RunResult r = run("x_");
    EXPECT_EQ(r.renamed, 1);
    EXPECT_EQ(prompts.log, std::vector<std::string>{"ask 1: <" + dir / "s.txt" +
                                                    "> はシステムファイルです。変名してよろしいですか？"});
    EXPECT_EQ(list.row(1).remarks, "x:ｼｽﾃﾑﾌｧｲﾙ");
    EXPECT_EQ(progress.log, (std::vector<std::string>{"begin 変名中", "end"}));

    prompts.log.clear();
    prompts.yesByItself = true;
    fs.systemFiles.insert(dir / "x_a.txt");
    r = run("y_");
    EXPECT_EQ(r.renamed, 2);
    EXPECT_TRUE(prompts.log.empty());
    EXPECT_TRUE(pathExists(dir / "y_s.txt"));
}

TEST_F(OperationsTest, AStartNumberThatIsNoNumberEndsTheRunWithItsMessage) {
    listFiles({"a.txt"});
    RenameContext context{fs, builder, clock, nullptr};
    const RunResult r = runRename(
        list, [this] { return renameRequest(fs, RenameMethod::RenameOnly, "", RenameRuleSet::defaults(), "x1"); },
        context, prompts, progress);
    EXPECT_EQ(r.end, RunEnd::Error);
    EXPECT_EQ(prompts.log, (std::vector<std::string>{"tell 2: 変名処理が途中で終了しました。",
                                                     "tell 2: <'x1' は整数ではありません>"}));
    EXPECT_FALSE(pathExists(historyFilePath(fs)));
}

TEST_F(OperationsTest, UndoOutcomes) {
    UndoOutcome o = undoLastRun(historyFilePath(fs), fs, prompts, progress);
    EXPECT_EQ(o.end, UndoOutcome::End::NoHistory);
    EXPECT_EQ(prompts.log, std::vector<std::string>{"tell 1: 前回の変名履歴ファイルが見つかりません。"});

    listFiles({"a.txt", "b.txt"});
    ASSERT_EQ(run("n_").renamed, 2);
    prompts.log.clear();
    prompts.answers = {false};
    EXPECT_EQ(undoLastRun(historyFilePath(fs), fs, prompts, progress).end, UndoOutcome::End::Declined);
    EXPECT_EQ(prompts.log, std::vector<std::string>{"ask 2: 前回の変名を戻します。\rよろしいですか？"});
    EXPECT_TRUE(pathExists(dir / "n_a.txt"));

    // The note cannot be written: the files are back, the records stay for the next undo.
    fs.appendError = ENOSPC;
    o = undoLastRun(historyFilePath(fs), fs, prompts, progress);
    EXPECT_EQ(o.end, UndoOutcome::End::Done);
    EXPECT_EQ(o.pending, 2);
    EXPECT_EQ(o.result.restored, 2);
    EXPECT_EQ(o.statusText, "2/2個が変名を戻されました。戻した記録を変更履歴ファイルに書き込めません。"
                            "次の「前回の変名を戻す」でも、これらの記録が戻す対象になります。");
    EXPECT_EQ(o.noteError, "戻した記録を変更履歴ファイルに書き込めません。 (<" + historyFilePath(fs) +
                               ">: " + std::strerror(ENOSPC) + ")");
    EXPECT_TRUE(pathExists(dir / "a.txt"));
    fs.appendError = 0;
    o = undoLastRun(historyFilePath(fs), fs, prompts, progress);
    EXPECT_EQ(o.pending, 2);
    EXPECT_EQ(o.statusText, "0/2個が変名を戻されました。");
    EXPECT_TRUE(o.noteError.empty());
}

TEST_F(OperationsTest, StampChangesCheckFirstAndAsk) {
    StampRequest times;
    times.kind = StampRequest::Kind::Times;
    times.times.changeUpdate = true;
    times.times.update.year = 2025;
    EXPECT_EQ(changeListedFiles(list, times, fs, prompts, progress), std::nullopt);
    listFiles({"a.txt"});
    StampRequest bad = times;
    bad.times.creation.month = 13;
    EXPECT_EQ(changeListedFiles(list, bad, fs, prompts, progress), std::nullopt);
    prompts.answers = {false};
    EXPECT_EQ(changeListedFiles(list, times, fs, prompts, progress), std::nullopt);
    EXPECT_EQ(changeListedFiles(list, times, fs, prompts, progress), "1個のファイルが正常に変更されました。");
    EXPECT_EQ(prompts.log, (std::vector<std::string>{"tell 1: 変更処理に対するファイルが選ばれていません。",
                                                     "tell 1: 作成日付の指定が間違っています。",
                                                     "ask 3: " + std::string(msg::kTimesQuestion),
                                                     "ask 3: " + std::string(msg::kTimesQuestion)}));
    EXPECT_EQ(list.row(0).remarks, "OK");
}

TEST(Messages, TextsWithTheirNumbers) {
    const std::pair<std::string, std::string> cases[] = {
        {msg::previewStatus(0, false), "変名できないファイルはありません。"},
        {msg::previewStatus(3, true), "結果表示を中止しました。3 個のファイルは変名できません。"},
        {msg::runQuestion(2, 0, "/x"), "2個のファイルを変名します。よろしいですか？"},
        {msg::runQuestion(2, 2, "/x"), "2個のファイルを変名して移動 (先: /x)します。よろしいですか？"},
        {msg::searchLimitMessage(5), "検索数が5を越えました。検索が途中で中止されます。\n検索設定を見直して下さい。"},
        {msg::oneLine("a\r\nb\rc\nd"), "abcd"},
        {msg::undoStatus("1/1個が変名を戻されました。", true), "1/1個が変名を戻されました。"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(text, expected);
}

TEST_F(OperationsTest, PathsGivenByNameAreTakenAsWhatTheyAre) {
    writeFile(dir / "f.txt", "1");
    makeDirs(dir / "sub");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const struct {
        std::string given;
        std::string base;
        PathKind kind;
        std::string path;
    } cases[] = {
        {dir / "f.txt", "", PathKind::File, dir / "f.txt"},
        {"f.txt", dir.path(), PathKind::File, dir / "f.txt"},
        {"./sub/../f.txt", dir.path(), PathKind::File, dir / "f.txt"},
        {dir / "sub/", "", PathKind::Folder, dir / "sub"},
        {dir / "none", "", PathKind::Missing, dir / "none"},
        {dir / "pipe", "", PathKind::Other, dir / "pipe"},
    };
    for (const auto& c : cases) {
        const TakenPath t = takePath(c.given, c.base, fs, true);
        EXPECT_EQ(t.kind, c.kind) << c.given;
        EXPECT_EQ(t.path, c.path) << c.given;
        EXPECT_EQ(t.row.has_value(), c.kind == PathKind::File) << c.given;
        if (t.row) {
            EXPECT_EQ(t.row->folder, dir.path());
            EXPECT_TRUE(t.row->hasIcon);
            EXPECT_TRUE(t.row->stamp.known);
        }
    }
}

TEST_F(OperationsTest, PathsTakenInOneIntakeKeepEachFilesOwnDates) {
    // More distinct times than the intake remembers date texts of, some met again after others.
    const int64_t times[] = {1'600'000'000, 1'600'000'001, 1'700'000'000, 1'600'000'000, 1'650'000'000,
                             1'610'000'000, 1'620'000'000, 1'600'000'001, 1'700'000'000};
    AddedPathLookup lookup(fs);
    for (std::size_t i = 0; i < std::size(times); ++i) {
        const std::string path = dir / ("f" + std::to_string(i));
        writeFile(path, "x");
        const timespec ts[2] = {{static_cast<time_t>(times[i] + 7), 0}, {static_cast<time_t>(times[i]), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ts, 0), 0);
        const TakenPath t = takePath(path, "", lookup, false);
        ASSERT_TRUE(t.row) << path;
        EXPECT_EQ(t.row->updatedText(), DateColumnText(FileTime{times[i], 0})) << path;
        EXPECT_EQ(t.row->accessedText(), DateColumnText(FileTime{times[i] + 7, 0})) << path;
    }
}

TEST_F(OperationsTest, ASearchJoinsTheListAndStopsAtTheLimitWithAMessage) {
    for (const char* n : {"a.txt", "b.txt", "c.dat", ".d.txt"})
        writeFile(dir / n, n);
    SearchRequest request{dir.path(), "*.txt", false, DisplaySettings{}, true, true};
    request.display.LVHiddenVisible = false;
    request.display.LVIconVisible = false;
    const SearchOptions o = searchOptionsFor(request, 7);
    EXPECT_EQ(o.pattern, "*.txt");
    EXPECT_FALSE(o.subfolders);
    EXPECT_FALSE(o.showHidden);
    EXPECT_FALSE(o.withIcons);
    EXPECT_EQ(o.listedBefore, 7);
    EXPECT_EQ(o.limit, 10000);
    EXPECT_EQ(searchOptionsFor(SearchRequest{}, 0).pattern, "*.*");

    list.appendListed({FileListRow{}});
    request.display.LVIconMax = 2;
    const SearchResult r = FolderSearch(request, fs, list, prompts).run();
    EXPECT_TRUE(r.limitReached);
    EXPECT_EQ(list.size(), 2);
    EXPECT_EQ(list.row(1).name, "a.txt");
    EXPECT_EQ(prompts.log, std::vector<std::string>{"tell 0: " + msg::searchLimitMessage(2)});
}
