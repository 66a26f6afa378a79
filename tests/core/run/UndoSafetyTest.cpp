// What keeps an undo from doing harm: records it restored are never reversed again, the history
// file is never among the files a run or an undo handles, relative paths are made absolute before
// a run, a copy is deleted only while it holds the source's bytes, a renamed or moved file only goes
// back while it is the very file the run left, and hand-edited records naming folders, pipes, the
// history or paths with ".." are left alone.

#include "platform/posix/PosixFileSystem.h"
#include "run/RunEngine.h"
#include "run/RunPaths.h"
#include "run/UndoEngine.h"

#include "RunTestSupport.h"
#include "filelist/AddedPaths.h"
#include "filelist/SearchWalk.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

using Records = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> historyOf(const std::string& method, const Records& records) {
    std::vector<std::string> lines = headerComments();
    lines.push_back(method);
    for (const auto& [b, a] : records) {
        lines.push_back("[B]" + b);
        lines.push_back("[A]" + a);
    }
    return lines;
}

// Changes into a folder for the life of the object.
struct InFolder {
    std::string old = systemFileSystem().currentFolder();
    explicit InFolder(const std::string& dir) { EXPECT_EQ(::chdir(dir.c_str()), 0); }
    ~InFolder() { EXPECT_EQ(::chdir(old.c_str()), 0); }
};

struct Safety : ::testing::Test {
    TempDir dir;
    ScriptedFileSystem fs;
    RecordingProgress progress;
    std::string historyPath = dir / "rinoza.txt";

    UndoResult undo() { return UndoEngine(fs).run(historyPath, progress.callbacks()); }
    std::vector<std::string> lines() {
        std::vector<std::string> l;
        EXPECT_EQ(HistoryFile::read(systemFileSystem(), historyPath, l), 0);
        return l;
    }

    RunResult run(std::vector<FileListRow>& rows, RenameMethod method, const std::string& destination,
                  RenameRuleSet rules = RenameRuleSet::defaults()) {
        FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
        NameBuilder builder{clock, {}};
        RunRequest r;
        r.method = method;
        r.destination = destination;
        r.rules = rules;
        r.serialStartText = "1";
        r.historyPath = historyPath;
        RunCallbacks cb;
        static_cast<ProgressCallbacks&>(cb) = progress.callbacks();
        return RunEngine(fs, builder, clock).run(rows, r, cb);
    }
};

// A fixed text and the old extension: every file becomes "<text>.<ext>".
RenameRuleSet fixedName(const std::string& text) {
    RenameRuleSet r = RenameRuleSet::defaults();
    for (auto& e : r.elements)
        e.checked = false;
    r.elements[0].checked = true;
    r.elements[5].checked = true; // the period; the unticked extension element keeps the old one
    r.fixF1 = text;
    return r;
}

FileListRow rowFor(const std::string& path) {
    FileInfo info;
    EXPECT_EQ(systemFileSystem().stat(path, info, false), 0) << path;
    return makeFileListRow(info, parentOf(path), false);
}

} // namespace

TEST_F(Safety, ASecondUndoAfterAChainRestoresNothing) {
    // The run renamed 3 to 5, 1 to 4, then 4 to 3 (the last row took the name the first one freed).
    writeFile(dir / "5.txt", "three");
    writeFile(dir / "3.txt", "one");
    const auto history = historyOf(
        "[Changed]", {{dir / "3.txt", dir / "5.txt"}, {dir / "1.txt", dir / "4.txt"}, {dir / "4.txt", dir / "3.txt"}});
    writeFile(historyPath, crlfLines(history));

    EXPECT_EQ(undo().statusText(), "3/3個が変名を戻されました。");
    EXPECT_EQ(readFile(dir / "1.txt"), "one");
    EXPECT_EQ(readFile(dir / "3.txt"), "three");
    // The records stay as they were; one comment line says which of them went back.
    std::vector<std::string> expected = history;
    expected.push_back("{戻し済み:1-3}");
    EXPECT_EQ(lines(), expected);

    const auto before = snapshotTree(dir.path());
    EXPECT_EQ(undo().statusText(), "0/3個が変名を戻されました。");
    EXPECT_EQ(snapshotTree(dir.path()), before); // 3.txt, the restored original, is not taken for 4.txt
}

TEST_F(Safety, AfterAPartialUndoOnlyTheRestGoesBack) {
    writeFile(dir / "b", "was a");
    writeFile(dir / "d", "was c");
    writeFile(dir / "c", "in the way");
    writeFile(historyPath, crlfLines(historyOf("[Changed]", {{dir / "a", dir / "b"}, {dir / "c", dir / "d"}})));
    EXPECT_EQ(undo().statusText(), "1/2個が変名を戻されました。");
    ASSERT_EQ(::unlink((dir / "c").c_str()), 0);
    // The first record, restored already, is left alone though its "after" name is free again.
    writeFile(dir / "b", "a new b");
    EXPECT_EQ(undo().statusText(), "1/2個が変名を戻されました。");
    EXPECT_EQ(readFile(dir / "a"), "was a");
    EXPECT_EQ(readFile(dir / "b"), "a new b");
    EXPECT_EQ(readFile(dir / "c"), "was c");
    const auto l = lines();
    EXPECT_EQ(std::vector<std::string>(l.end() - 2, l.end()),
              (std::vector<std::string>{"{戻し済み:1}", "{戻し済み:2}"}));
    EXPECT_EQ(undo().statusText(), "0/2個が変名を戻されました。");
}

TEST_F(Safety, AMoveCutOffBeforeItsSourceWentLosesTheCopyOnlyWhenItIsTheSameBytes) {
    // A move to another file system that was cut off after its copy but before its source was removed
    // leaves both: the undo removes the copy when it holds the source's very bytes, size and time.
    const struct {
        const char* name;
        std::string copyBytes;
        bool sameTime;
        bool restored;
    } rows[] = {
        {"the same bytes", "photo", true, true},
        {"other bytes", "edited", true, false},
        {"another time", "photo", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        writeFile(dir / "old.jpg", "photo");
        writeFile(dir / "new.jpg", r.copyBytes);
        ASSERT_EQ(fs.setTimes(dir / "old.jpg", std::nullopt, FileTime{1600000000, 0}), 0);
        ASSERT_EQ(fs.setTimes(dir / "new.jpg", std::nullopt, FileTime{r.sameTime ? 1600000000 : 1700000000, 0}), 0);
        writeFile(historyPath, crlfLines(historyOf("[Moved]", {{dir / "old.jpg", dir / "new.jpg"}})));
        const UndoResult u = undo();
        EXPECT_EQ(u.restored, r.restored ? 1 : 0);
        EXPECT_EQ(readFile(dir / "old.jpg"), "photo");
        EXPECT_EQ(pathExists(dir / "new.jpg"), !r.restored);
        ::unlink((dir / "new.jpg").c_str());
    }
}

TEST(VoidNote, VoidedRecordsAreLeftOutAndTheOthersKeepTheirNumbers) {
    const std::vector<std::string> lines = {
        "[Changed]",  "[B]/a/1",    "[A]/a/2", "[B]/a/3", "[A]/a/4",      "[B]/a/5",
        "[A]/a/6",    "{未実行:2}", "[B]/a/7", "[A]/a/8", "{未実行:4-9}", "{戻し済み:3}",
        "{未実行:x}", // malformed: no note
    };
    const std::vector<UndoRecord> records = UndoEngine::parseRecords(lines);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].number, 1);
    EXPECT_EQ(records[0].after, "/a/2");
    EXPECT_EQ(records[1].number, 3);
    EXPECT_TRUE(records[1].undone);
    EXPECT_EQ(history::numberNote(history::kVoidNotePrefix, {2, 3, 4, 9}), "{未実行:2-4,9}");
}

TEST(UndoneNote, WritingAndReading) {
    struct Case {
        std::vector<int> numbers;
        const char* note;
    } written[] = {{{1}, "{戻し済み:1}"}, {{1, 2, 3, 5, 7, 8}, "{戻し済み:1-3,5,7-8}"}, {{4, 6}, "{戻し済み:4,6}"}};
    for (const Case& c : written)
        EXPECT_EQ(history::undoneNote(c.numbers), c.note);

    struct Read {
        const char* line;
        bool ok;
        std::vector<std::pair<int, int>> ranges;
    } read[] = {
        {"{戻し済み:1-3,5}", true, {{1, 3}, {5, 5}}},
        {"{戻し済み:}", true, {}},
        {"{戻し済み:3-1}", false, {}},
        {"{戻し済み:0}", false, {}},
        {"{戻し済み:1,}", false, {}},
        {"{戻し済み:1 2}", false, {}},
        {"{戻し済み:1-}", false, {}},
        {"{戻し済み:1", false, {}},
        {"{    [B]=変更前 / [A]=変更後           }", false, {}},
    };
    for (const Read& r : read) {
        std::vector<std::pair<int, int>> ranges;
        EXPECT_EQ(history::readUndoneNote(r.line, ranges), r.ok) << r.line;
        EXPECT_EQ(ranges, r.ranges) << r.line;
    }
}

TEST_F(Safety, TheHistoryIsNeverARowOfTheRun) {
    // A search of the program's own folder lists the history; a link to it is no different.
    writeFile(historyPath, "the last run's history\r\n");
    writeFile(dir / "photo.jpg", "a photo");
    ASSERT_EQ(::symlink("rinoza.txt", (dir / "link.txt").c_str()), 0);
    TempDir shm("/dev/shm");
    std::vector<FileListRow> rows{rowFor(historyPath), rowFor(dir / "photo.jpg"), rowFor(dir / "link.txt")};
    for (RenameMethod method : {RenameMethod::RenameAndMove, RenameMethod::RenameAndCopy}) {
        SCOPED_TRACE(static_cast<int>(method));
        std::vector<FileListRow> r = rows;
        const RunResult result = run(r, method, shm.path(), fixedName("moved"));
        EXPECT_EQ(result.renamed, 1);
        EXPECT_EQ(r[0].remarks, "x:Err");
        EXPECT_EQ(r[1].remarks, "OK (変名前：photo.jpg)");
        EXPECT_EQ(r[2].remarks, "x:Err");
        EXPECT_EQ(readFile(shm / "moved.jpg"), "a photo");
        EXPECT_FALSE(pathExists(shm / "moved.txt"));
        // The history is whole where it was, and its undo works.
        EXPECT_EQ(undo().statusText(), "1/1個が変名を戻されました。");
        EXPECT_EQ(readFile(dir / "photo.jpg"), "a photo");
        EXPECT_FALSE(pathExists(shm / "moved.jpg"));
    }

    // A new name that would be the history's.
    writeFile(dir / "notes.txt", "notes");
    std::vector<FileListRow> r{rowFor(dir / "notes.txt")};
    run(r, RenameMethod::RenameOnly, "", fixedName("rinoza"));
    EXPECT_EQ(r[0].remarks, "x:Err");
    EXPECT_EQ(readFile(dir / "notes.txt"), "notes");
}

TEST_F(Safety, RelativeRowsAndDestinationsAreRecordedAbsolute) {
    writeFile(dir / "work/a.txt", "A");
    writeFile(dir / "work/b.dat", "B");
    makeDirs(dir / "work/backup");
    {
        InFolder in(dir / "work");
        // The command line's "a.txt" gives a row in folder "."; a search of a folder typed with ".."
        // gives rows below that text.
        std::vector<FileListRow> rows{*addedPathRow(systemFileSystem(), "a.txt", false), rowFor(dir / "work/b.dat")};
        ASSERT_EQ(rows[0].folder, ".");
        rows[1].folder = dir / "work/backup/..";
        const RunResult result = run(rows, RenameMethod::RenameAndCopy, "./backup/", fixedName("copy"));
        EXPECT_EQ(result.renamed, 2);
        EXPECT_EQ(rows[0].folder, dir / "work/backup");
    }
    const auto l = lines();
    EXPECT_EQ(std::vector<std::string>(l.end() - 5, l.end() - 1),
              (std::vector<std::string>{"[B]" + (dir / "work/a.txt"), "[A]" + (dir / "work/backup/copy.txt"),
                                        "[B]" + (dir / "work/b.dat"), "[A]" + (dir / "work/backup/copy.dat")}));
    // Undone from another folder.
    EXPECT_EQ(undo().statusText(), "2/2個が変名を戻されました。");
    EXPECT_FALSE(pathExists(dir / "work/backup/copy.txt"));
    EXPECT_FALSE(pathExists(dir / "work/backup/copy.dat"));
    EXPECT_EQ(readFile(dir / "work/a.txt"), "A");
}

TEST(RunPaths, AbsolutePath) {
    TempDir dir;
    makeDirs(dir / "real/sub");
    ASSERT_EQ(::symlink((dir / "real/sub").c_str(), (dir / "link").c_str()), 0);
    const std::string base = dir / "real";
    const std::pair<std::string, std::string> cases[] = {
        {"backup", base + "/backup"},
        {"./backup/", base + "/backup"},
        {"a//b/./c", base + "/a/b/c"},
        {"/x/./y/", "/x/y"},
        {"/x/y", "/x/y"}, // already clean
        {"/x/.y/..z", "/x/.y/..z"},
        {"/x//y", "/x/y"},
        {"/x/.", "/x"},
        {"/x/y/", "/x/y"},
        {"/", "/"},
        {"/..", "/"},
        {"", ""},
        {"..", dir.path()},
        {"../real/sub/..", base},
        {dir / "link/..", base},                  // after a link, ".." leaves where the link leads
        {"missing/../x", base + "/missing/../x"}, // not there yet: kept as typed
    };
    PosixFileSystem fs;
    for (const auto& [in, out] : cases)
        EXPECT_EQ(absolutePath(in, base, fs), out) << in;
    EXPECT_EQ(absolutePath("rel", "", fs), "rel");
    EXPECT_TRUE(isRecordablePath("/a/b..c/.d"));
    EXPECT_FALSE(isRecordablePath("a/b"));
    EXPECT_FALSE(isRecordablePath("/a/../b"));
    EXPECT_FALSE(isRecordablePath("/a/.."));
}

TEST_F(Safety, ACopyReplacedBySameSizeSameTimeBytesIsKept) {
    // The copy is gone and another file of its size came with cp -p: same size, same time.
    const FileTime time{1'700'000'000, 0};
    struct Case {
        const char* what;
        std::string copy;
        bool deleted;
    } cases[] = {
        {"the copy itself", "original", true},
        {"other bytes", "ORIGINAL", false},
        {"a long file off in its last byte", std::string(200'000, 'o') + "!", false},
    };
    for (const Case& c : cases) {
        const std::string source = c.copy.size() > 100 ? std::string(200'000, 'o') + "?" : "original";
        writeFile(dir / "a.txt", source);
        writeFile(dir / "copy.txt", c.copy);
        ASSERT_EQ(fs.setTimes(dir / "a.txt", std::nullopt, time), 0);
        ASSERT_EQ(fs.setTimes(dir / "copy.txt", std::nullopt, time), 0);
        writeFile(historyPath, crlfLines(historyOf("[Copyed]", {{dir / "a.txt", dir / "copy.txt"}})));
        EXPECT_EQ(undo().restored, c.deleted ? 1 : 0) << c.what;
        EXPECT_EQ(pathExists(dir / "copy.txt"), !c.deleted) << c.what;
        EXPECT_EQ(readFile(dir / "a.txt"), source) << c.what;
        ::unlink((dir / "copy.txt").c_str());
    }
}

TEST_F(Safety, HandEditedRecordsOnlyReachRegularFilesAndLinks) {
    makeDirs(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("rinoza.txt", (dir / "history-link").c_str()), 0);
    writeFile(dir / "sub/file", "f");
    // A source with the history's very bytes and time, so that only the history rule saves it.
    const auto records = [&] {
        return Records{{dir / "was-folder", dir / "folder"},  {dir / "was-pipe", dir / "pipe"},
                       {dir / "was-history", historyPath},    {dir / "was-link", dir / "history-link"},
                       {dir / "sub/../up", dir / "sub/file"}, {dir / "back", dir / "sub/../sub/file"},
                       {dir / "twin.txt", historyPath}};
    };
    for (const char* method : {"[Changed]", "[Moved]", "[Copyed]"}) {
        SCOPED_TRACE(method);
        writeFile(historyPath, crlfLines(historyOf(method, records())));
        ::unlink((dir / "twin.txt").c_str());
        ASSERT_EQ(fs.copyNoReplace(historyPath, dir / "twin.txt"), 0);
        const std::string historyBytes = readFile(historyPath);
        const auto before = snapshotTree(dir.path());
        EXPECT_EQ(undo().statusText(), "0/7個が変名を戻されました。");
        EXPECT_EQ(snapshotTree(dir.path()), before);
        EXPECT_EQ(readFile(historyPath), historyBytes);
    }
}

namespace {

// Every file gets a serial number for its name ("001", "002", ...).
RenameRuleSet serialNames() {
    RenameRuleSet r = RenameRuleSet::defaults();
    r.elements[1].checked = false;
    r.elements[3].checked = true;
    r.renKeta = "3";
    return r;
}

void putStranger(const std::string& p, const std::string& content) {
    ASSERT_EQ(::rename(p.c_str(), (p + ".aside").c_str()), 0);
    writeFile(p, content);
}

} // namespace

TEST_F(Safety, TheUndoTakesBackOnlyTheFileTheRunLeft) {
    const struct {
        const char* what;
        void (*apply)(const std::string& renamed);
        bool restored, counted; // counted: as a file that is not the run's
    } tampers[] = {
        {"untouched", [](const std::string&) {}, true, false},
        {"moved away, a stranger at its name", [](const std::string& p) { putStranger(p, "a stranger"); }, false, true},
        {"moved away, a stranger of its size and time",
         [](const std::string& p) {
             FileInfo run;
             ASSERT_EQ(systemFileSystem().stat(p, run, false), 0);
             putStranger(p, std::string(static_cast<std::size_t>(run.size), 's'));
             ASSERT_EQ(systemFileSystem().setTimes(p, std::nullopt, *run.lastWrite), 0);
         },
         false, true},
        {"written to since", [](const std::string& p) { writeFile(p, readFile(p) + " and more"); }, false, true},
        {"touched since",
         [](const std::string& p) {
             ASSERT_EQ(systemFileSystem().setTimes(p, {}, FileTime{2'000'000'000, 0}), 0);
         },
         false, true},
        {"deleted", [](const std::string& p) { ASSERT_EQ(::unlink(p.c_str()), 0); }, false, false},
    };
    TempDir shm("/dev/shm");
    const std::pair<RenameMethod, std::string> methods[] = {{RenameMethod::RenameOnly, ""},
                                                            {RenameMethod::RenameAndMove, dir / "to"},
                                                            {RenameMethod::RenameAndMove, shm / "to"}};
    for (const auto& [method, destination] : methods) {
        SCOPED_TRACE(destination);
        const std::string from = dir / ("from" + std::to_string(destination.size()));
        std::vector<FileListRow> rows;
        for (std::size_t i = 0; i < std::size(tampers); ++i) {
            writeFile(from + "/f" + std::to_string(i), "file " + std::to_string(i));
            rows.push_back(rowFor(from + "/f" + std::to_string(i)));
        }
        if (!destination.empty())
            makeDirs(destination);
        ASSERT_EQ(run(rows, method, destination, serialNames()).renamed, static_cast<int>(rows.size()));
        for (std::size_t i = 0; i < rows.size(); ++i)
            tampers[i].apply(joinPath(rows[i].folder, rows[i].name));

        EXPECT_EQ(undo().statusText(),
                  "1/6個が変名を戻されました。4個は変名後に別のファイルに替わったか変更されたため、戻していません。");
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(pathExists(from + "/f" + std::to_string(i)), tampers[i].restored) << tampers[i].what;
            EXPECT_EQ(pathExists(joinPath(rows[i].folder, rows[i].name)), tampers[i].counted) << tampers[i].what;
        }
    }
}

TEST_F(Safety, IdentityLinesDecideOnlyForTheRecordTheyFollow) {
    // Without identity lines (a history of the Windows version, of an older run, or of a run killed
    // before a move's identity was written) the undo works as before; a damaged one proves nothing.
    const struct {
        void (*edit)(std::vector<std::string>& lines);
        const char* status;
    } cases[] = {
        {[](std::vector<std::string>&) {}, "2/2個が変名を戻されました。"},
        {[](std::vector<std::string>& l) { std::erase_if(l, [](auto& s) { return s.starts_with("{識別:"); }); },
         "2/2個が変名を戻されました。"},
        {[](std::vector<std::string>& l) { l[12].insert(l[12].size() - 1, "x"); },
         "1/2個が変名を戻されました。1個は変名後に別のファイルに替わったか変更されたため、戻していません。"},
        {[](std::vector<std::string>& l) { std::swap(l[11], l[12]); }, // not right after "[A]": a comment
         "2/2個が変名を戻されました。"},
    };
    for (const auto& c : cases) {
        removeTree(dir / "w");
        writeFile(dir / "w/a", "a");
        writeFile(dir / "w/b", "b");
        std::vector<FileListRow> rows{rowFor(dir / "w/a"), rowFor(dir / "w/b")};
        ASSERT_EQ(run(rows, RenameMethod::RenameOnly, "", serialNames()).renamed, 2);
        std::vector<std::string> l = lines();
        ASSERT_EQ(l.size(), 17u);
        FileInfo renamed;
        ASSERT_EQ(fs.stat(joinPath(rows[0].folder, rows[0].name), renamed, false), 0);
        EXPECT_EQ(l[12], history::identityLine(*identityOf(renamed)));
        c.edit(l);
        writeFile(historyPath, crlfLines(l));
        EXPECT_EQ(undo().statusText(), c.status);
        EXPECT_EQ(progress.maximum, 4); // identity lines are not records
    }
}
