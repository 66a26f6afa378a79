#include "platform/posix/PosixFileSystem.h"
#include "run/RunEngine.h"
#include "run/UndoEngine.h"

#include "RunTestSupport.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <csignal>
#include <dirent.h>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

const LocalDateTime kNow{2026, 12, 6, 19, 42, 0, 0};

LocalDateTime fixedFileDate(const std::string&, FileDateKind) {
    return kNow;
}

std::string mixedName(int i) {
    std::string n = std::to_string(i);
    switch (i % 6) {
    case 0:
        return "写真 " + n + ".jpg";
    case 1:
        return "report " + n + ".tar.gz";
    case 2:
        return ".hidden" + n;
    case 3:
        return "caf\xE9" + n + ".txt"; // not UTF-8
    case 4:
        return "noext" + n;
    default:
        return "ファイル名　" + n + ".テキスト";
    }
}

// Fixed prefix, old name, four-digit serial number, period, old extension, today's date.
RenameRuleSet roundTripRule() {
    RenameRuleSet r = RenameRuleSet::defaults();
    r.elements[0].checked = true;
    r.fixF1 = "R_";
    r.elements[3].checked = true;
    r.renKeta = "4";
    r.elements[7].checked = true;
    r.dateTime = 0;
    r.dateK = "-";
    return r;
}

std::vector<std::string> listNames(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = d ? readdir(d) : nullptr) {
        std::string n = e->d_name;
        if (n != "." && n != "..")
            names.push_back(n);
    }
    if (d)
        closedir(d);
    return names;
}

struct RoundTrip : ::testing::TestWithParam<RenameMethod> {};

} // namespace

TEST_P(RoundTrip, TwoThousandMixedNamesRenamedAndUndoneLeaveTheTreeAsItWas) {
    const RenameMethod method = GetParam();
    // On tmpfs, where the data flushes of copies and moves cost nothing; moving across file systems
    // has a test of its own.
    TempDir root("/dev/shm");
    TempDir home;
    TempDir shm("/dev/shm");
    const char* folders[] = {"a", "b c", "日本", ".dot"};
    std::vector<FileListRow> rows;
    for (int i = 0; i < 2000; ++i) {
        FileListRow row;
        row.folder = root / folders[i % 4];
        row.name = mixedName(i);
        writeFile(joinPath(row.folder, row.name), "content " + std::to_string(i));
        rows.push_back(row);
    }
    makeDirs(root / "dst");
    auto before = snapshotTree(root.path());

    PosixFileSystem fs;
    FixedClock clock(kNow);
    NameBuilder builder(
        clock, [](const std::string& p, FileDateKind k) { return std::optional<LocalDateTime>(fixedFileDate(p, k)); });
    RunRequest req;
    req.method = method;
    req.destination = method == RenameMethod::RenameAndMove ? shm.path() : root / "dst";
    req.rules = roundTripRule();
    req.serialStartText = "1";
    req.historyPath = home / "rinoza.txt";
    RecordingProgress progress;
    RunCallbacks cb;
    static_cast<ProgressCallbacks&>(cb) = progress.callbacks();
    cb.pumpInterval = std::chrono::milliseconds(20);

    RunResult r = RunEngine(fs, builder, clock).run(rows, req, cb);
    ASSERT_EQ(r.renamed, 2000) << rows.front().remarks;
    EXPECT_EQ(rows[0].name, "R_写真 00001.jpg2026-12-06");
    EXPECT_EQ(rows[3].name, "R_caf\xE9"
                            "30004.txt2026-12-06");
    EXPECT_TRUE(pathExists(joinPath(rows[3].folder, rows[3].name)));
    EXPECT_NE(snapshotTree(root.path()), before);

    UndoResult u = UndoEngine(fs).run(req.historyPath, progress.callbacks());
    EXPECT_EQ(u.statusText(), "2000/2000個が変名を戻されました。");
    EXPECT_EQ(snapshotTree(root.path()), before);
    EXPECT_TRUE(snapshotTree(shm.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(EachMethod, RoundTrip,
                         ::testing::Values(RenameMethod::RenameOnly, RenameMethod::RenameAndCopy,
                                           RenameMethod::RenameAndMove));

TEST(CrashSafety, AKilledRunLeavesEveryFileFindableAndUndoable) {
    const int kFiles = 5000;
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        TempDir dir("/dev/shm");
        TempDir home;
        std::vector<FileListRow> rows;
        for (int i = 0; i < kFiles; ++i) {
            FileListRow row;
            row.folder = dir.path();
            row.name = "f" + std::to_string(i) + ".dat";
            writeFile(dir / row.name, std::to_string(i));
            rows.push_back(row);
        }
        auto before = snapshotTree(dir.path());
        const std::string historyPath = home / "rinoza.txt";

        int pipeFd[2];
        ASSERT_EQ(pipe(pipeFd), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFd[0]);
            PosixFileSystem fs;
            FixedClock clock(kNow);
            NameBuilder builder(clock, [](const std::string& p, FileDateKind k) {
                return std::optional<LocalDateTime>(fixedFileDate(p, k));
            });
            RunRequest req;
            req.rules = RenameRuleSet::defaults();
            req.rules.elements[0].checked = true;
            req.rules.fixF1 = "new_";
            req.rules.elements[3].checked = true;
            req.serialStartText = "1";
            req.historyPath = historyPath;
            char started = 1;
            (void)!write(pipeFd[1], &started, 1);
            RunEngine(fs, builder, clock).run(rows, req, RunCallbacks{});
            _exit(0);
        }
        close(pipeFd[1]);
        char started = 0;
        ASSERT_EQ(read(pipeFd[0], &started, 1), 1);
        close(pipeFd[0]);
        // The kill lands once the history has grown by a random number of records, whatever the speed
        // of the machine.
        std::mt19937 random(seed);
        const off_t killAt = 400 + 30 * std::uniform_int_distribution<off_t>(1, kFiles - 1)(random);
        // On a loaded machine the run may even end before that: then the child is already reaped here
        // and the finished run is checked the same way.
        struct stat st {};
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(child, &status, WNOHANG)) == 0 &&
               (::stat(historyPath.c_str(), &st) != 0 || st.st_size < killAt))
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        if (ended == 0) {
            kill(child, SIGKILL);
            ended = waitpid(child, &status, 0);
        }
        ASSERT_EQ(ended, child);

        std::vector<std::string> lines;
        ASSERT_EQ(HistoryFile::read(systemFileSystem(), historyPath, lines), 0);
        std::map<std::string, std::string> recordedBefore; // new name -> old name
        for (const UndoRecord& rec : UndoEngine::parseRecords(lines))
            recordedBefore[baseNameOf(rec.after)] = baseNameOf(rec.before);
        auto names = listNames(dir.path());
        ASSERT_EQ(names.size(), static_cast<std::size_t>(kFiles)) << "seed " << seed;
        for (const std::string& name : names) {
            std::string content = readFile(dir / name);
            std::string original = "f" + content + ".dat";
            if (name == original)
                continue;
            auto it = recordedBefore.find(name);
            ASSERT_NE(it, recordedBefore.end()) << "seed " << seed << ": " << name << " is in no record";
            EXPECT_EQ(it->second, original) << "seed " << seed;
        }

        PosixFileSystem fs;
        RecordingProgress progress;
        UndoResult u = UndoEngine(fs).run(historyPath, progress.callbacks());
        EXPECT_EQ(u.error, 0);
        EXPECT_EQ(snapshotTree(dir.path()), before) << "seed " << seed;
        // Records written ahead of renames the kill cut off are not counted as failures.
        EXPECT_EQ(u.seen, u.restored) << "seed " << seed;
    }
}
