#include "run/UndoEngine.h"

#include "RunTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Writes a history of the given method and (before, after) records; returns its path.
std::string writeHistory(const TempDir& dir, const std::string& method,
                         const std::vector<std::pair<std::string, std::string>>& records) {
    std::vector<std::string> lines = headerComments();
    lines.push_back(method);
    for (const auto& [b, a] : records) {
        lines.push_back("[B]" + b);
        lines.push_back("[A]" + a);
    }
    std::string path = dir / "rinoza.txt";
    writeFile(path, crlfLines(lines));
    return path;
}

struct UndoFixture : ::testing::Test {
    TempDir dir;
    ScriptedFileSystem fs;
    RecordingProgress progress;

    UndoResult undo(const std::string& path) {
        UndoEngine engine(fs);
        return engine.run(path, progress.callbacks());
    }
};

} // namespace

TEST_F(UndoFixture, ChangedRecordsAreRestoredAndASecondUndoRestoresNothing) {
    writeFile(dir / "new1.txt", "one");
    writeFile(dir / "new2.txt", "two");
    writeFile(dir / "NEW3.TXT", "three");
    auto path = writeHistory(dir, "[Changed]",
                             {{dir / "old1.txt", dir / "new1.txt"},
                              {dir / "old2.txt", dir / "new2.txt"},
                              {dir / "new3.txt", dir / "NEW3.TXT"}});
    UndoResult r = undo(path);
    EXPECT_EQ(r.restored, 3);
    EXPECT_EQ(r.seen, 3);
    EXPECT_EQ(r.statusText(), "3/3個が変名を戻されました。");
    EXPECT_EQ(readFile(dir / "old1.txt"), "one");
    EXPECT_EQ(readFile(dir / "old2.txt"), "two");
    EXPECT_EQ(readFile(dir / "new3.txt"), "three");
    EXPECT_FALSE(pathExists(dir / "new1.txt"));
    EXPECT_FALSE(pathExists(dir / "NEW3.TXT"));
    // Five header lines too few for a record: ten header lines and three records give 3 + 2.
    EXPECT_EQ(r.maximum, 5);
    EXPECT_EQ(progress.maximum, 5);
    EXPECT_EQ(progress.lastPosition, 3);

    auto before = snapshotTree(dir.path());
    UndoResult again = undo(path);
    EXPECT_EQ(again.statusText(), "0/3個が変名を戻されました。");
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(UndoFixture, ChainsComeBackWholeAndNothingIsOverwritten) {
    // The run renamed b to c and then a to b.
    writeFile(dir / "c", "was b");
    writeFile(dir / "b", "was a");
    // A record whose old name is taken by another file since the run.
    writeFile(dir / "x2", "renamed x");
    writeFile(dir / "x", "a newcomer");
    auto path =
        writeHistory(dir, "[Changed]", {{dir / "b", dir / "c"}, {dir / "a", dir / "b"}, {dir / "x", dir / "x2"}});
    UndoResult r = undo(path);
    EXPECT_EQ(r.statusText(), "2/3個が変名を戻されました。");
    EXPECT_EQ(readFile(dir / "a"), "was a");
    EXPECT_EQ(readFile(dir / "b"), "was b");
    EXPECT_EQ(readFile(dir / "x"), "a newcomer");
    EXPECT_EQ(readFile(dir / "x2"), "renamed x");
}

TEST_F(UndoFixture, CopyUndoDeletesOnlyCopiesWhoseSourceIsStillThere) {
    writeFile(dir / "src/a.txt", "A");
    makeDirs(dir / "dst");
    ASSERT_EQ(fs.copyNoReplace(dir / "src/a.txt", dir / "dst/A1.txt"), 0);
    writeFile(dir / "dst/B1.txt", "B"); // its source b.txt is gone: this is the last copy
    writeFile(dir / "src/c.txt", "C");
    makeDirs(dir / "dst/C1"); // a folder where the copy was is never removed
    writeFile(dir / "src/d.txt", "D");
    auto path = writeHistory(dir, "[Copyed]",
                             {{dir / "src/a.txt", dir / "dst/A1.txt"},
                              {dir / "src/b.txt", dir / "dst/B1.txt"},
                              {dir / "src/c.txt", dir / "dst/C1"},
                              {dir / "src/d.txt", dir / "src/d.txt"}});
    UndoResult r = undo(path);
    EXPECT_EQ(r.statusText(), "1/4個が変名を戻されました。");
    EXPECT_FALSE(pathExists(dir / "dst/A1.txt"));
    EXPECT_EQ(readFile(dir / "src/a.txt"), "A");
    EXPECT_EQ(readFile(dir / "dst/B1.txt"), "B");
    EXPECT_TRUE(pathExists(dir / "dst/C1"));
    EXPECT_EQ(readFile(dir / "src/d.txt"), "D");
}

TEST_F(UndoFixture, CopyUndoLeavesFilesThatNoLongerLookLikeTheCopy) {
    // Each case: the file at the copy's path when the undo runs. Only a file of the source's size
    // and last write time, and not the source itself, is taken for the copy the run made. The time
    // counts as the source's as a file system of coarser times stores it (whole seconds, FAT's two
    // seconds rounded either way); anything further off is another file.
    enum class Copy { Made, MadeAt, Rewritten, SameSizeOtherTime, HardLink };
    const FileTime sourceTime{1'700'000'001, 700'000'000};
    struct Case {
        const char* name;
        Copy copy;
        FileTime copyTime; // for MadeAt
        bool deleted;
    };
    const Case cases[] = {
        {"made", Copy::Made, {}, true},
        {"stored in whole seconds", Copy::MadeAt, {1'700'000'001, 0}, true},
        {"a nanosecond off", Copy::MadeAt, {1'700'000'001, 699'999'999}, true},
        {"rounded up to an even second", Copy::MadeAt, {1'700'000'002, 0}, true},
        {"rounded down to an even second", Copy::MadeAt, {1'700'000'000, 0}, true},
        {"two seconds later", Copy::MadeAt, {1'700'000'003, 700'000'000}, false},
        {"two seconds earlier", Copy::MadeAt, {1'699'999'999, 700'000'000}, false},
        {"three seconds later, whole", Copy::MadeAt, {1'700'000'004, 0}, false},
        // Undone once, then the user saved new work under the copy's name.
        {"rewritten", Copy::Rewritten, {}, false},
        {"same size, other time", Copy::SameSizeOtherTime, {}, false},
        {"hard link to the source", Copy::HardLink, {}, false},
    };
    for (const Case& c : cases) {
        TempDir d;
        const std::string source = d / "a.txt";
        const std::string copy = d / "copy_a.txt";
        writeFile(source, "original");
        ASSERT_EQ(fs.setTimes(source, std::nullopt, sourceTime), 0);
        switch (c.copy) {
        case Copy::Made:
            ASSERT_EQ(fs.copyNoReplace(source, copy), 0);
            break;
        case Copy::MadeAt:
            ASSERT_EQ(fs.copyNoReplace(source, copy), 0);
            ASSERT_EQ(fs.setTimes(copy, std::nullopt, c.copyTime), 0);
            break;
        case Copy::Rewritten:
            writeFile(copy, "the user's new work");
            break;
        case Copy::SameSizeOtherTime:
            writeFile(copy, "ORIGINAL");
            ASSERT_EQ(fs.setTimes(copy, std::nullopt, FileTime{sourceTime.sec - 60, 0}), 0);
            break;
        case Copy::HardLink:
            ASSERT_EQ(::link(source.c_str(), copy.c_str()), 0);
            break;
        }
        const std::string content = readFile(copy);
        auto path = writeHistory(d, "[Copyed]", {{source, copy}});
        UndoResult r = undo(path);
        EXPECT_EQ(r.restored, c.deleted ? 1 : 0) << c.name;
        EXPECT_EQ(r.seen, 1) << c.name;
        EXPECT_EQ(pathExists(copy), !c.deleted) << c.name;
        if (!c.deleted) {
            EXPECT_EQ(readFile(copy), content) << c.name;
        }
        EXPECT_EQ(readFile(source), "original") << c.name;
    }
}

TEST_F(UndoFixture, CopyOfALinkIsTheCopyOfWhatItPointsTo) {
    // The run copied the file a link in the list points to; the undo takes that file's size and time.
    writeFile(dir / "src/real.txt", "the linked data");
    ASSERT_EQ(fs.setTimes(dir / "src/real.txt", std::nullopt, FileTime{1'600'000'000, 123'456'789}), 0);
    ASSERT_EQ(::symlink("real.txt", (dir / "src/link.txt").c_str()), 0);
    makeDirs(dir / "dst");
    ASSERT_EQ(fs.copyNoReplace(dir / "src/link.txt", dir / "dst/copy.txt"), 0);
    // A link that points at the file standing where the copy was is that file itself: never deleted.
    writeFile(dir / "dst/self.txt", "only one of these");
    ASSERT_EQ(::symlink((dir / "dst/self.txt").c_str(), (dir / "src/self-link.txt").c_str()), 0);
    // A link whose target is gone has no source left.
    writeFile(dir / "dst/orphan.txt", "x");
    ASSERT_EQ(::symlink("gone.txt", (dir / "src/dangling.txt").c_str()), 0);

    auto path = writeHistory(dir, "[Copyed]",
                             {{dir / "src/link.txt", dir / "dst/copy.txt"},
                              {dir / "src/self-link.txt", dir / "dst/self.txt"},
                              {dir / "src/dangling.txt", dir / "dst/orphan.txt"}});
    UndoResult r = undo(path);
    EXPECT_EQ(r.statusText(), "1/3個が変名を戻されました。");
    EXPECT_FALSE(pathExists(dir / "dst/copy.txt"));
    EXPECT_EQ(readFile(dir / "src/link.txt"), "the linked data");
    EXPECT_EQ(readFile(dir / "dst/self.txt"), "only one of these");
    EXPECT_EQ(readFile(dir / "dst/orphan.txt"), "x");
}

TEST_F(UndoFixture, MovedRecordsGoBackAcrossFileSystems) {
    TempDir shm("/dev/shm");
    writeFile(shm / "moved 1.txt", "one");
    writeFile(dir / "back/moved2", "two");
    auto path =
        writeHistory(dir, "[Moved]", {{dir / "orig/1.txt", shm / "moved 1.txt"}, {shm / "2.txt", dir / "back/moved2"}});
    makeDirs(dir / "orig");
    UndoResult r = undo(path);
    EXPECT_EQ(r.statusText(), "2/2個が変名を戻されました。");
    EXPECT_EQ(readFile(dir / "orig/1.txt"), "one");
    EXPECT_EQ(readFile(shm / "2.txt"), "two");
    EXPECT_FALSE(pathExists(shm / "moved 1.txt"));
    EXPECT_FALSE(pathExists(dir / "back/moved2"));
}

TEST_F(UndoFixture, OddLinesFollowTheReadingRules) {
    writeFile(dir / "n1", "1");
    writeFile(dir / "n2", "2");
    writeFile(dir / "n3", "3");
    writeFile(dir / "n4", "4");
    std::vector<std::string> lines = headerComments();
    lines.push_back("[Changed]");
    lines.push_back("[A]" + (dir / "n1")); // no "[B]" yet: the before path is empty, nothing happens
    lines.push_back("[B]" + (dir / "o2"));
    lines.push_back("[A]" + (dir / "n2"));
    lines.push_back("[A]" + (dir / "n3")); // uses the before path of the previous record
    lines.push_back("[changed]");          // not a method line; ignored
    lines.push_back("[B]" + (dir / "o4"));
    lines.push_back("some other line");
    lines.push_back("{ a comment");
    lines.push_back("[A]" + (dir / "n4"));
    lines.push_back("[B]" + (dir / "dangling")); // a "[B]" without "[A]" changes nothing
    writeFile(dir / "rinoza.txt", crlfLines(lines));
    UndoResult r = undo(dir / "rinoza.txt");
    EXPECT_EQ(r.statusText(), "2/4個が変名を戻されました。");
    // Undone last first: n3 takes o2, after which n2 finds o2 taken.
    EXPECT_EQ(readFile(dir / "o2"), "3");
    EXPECT_EQ(readFile(dir / "n2"), "2");
    EXPECT_EQ(readFile(dir / "o4"), "4");
    EXPECT_EQ(readFile(dir / "n1"), "1");
    EXPECT_EQ(r.maximum, static_cast<int>((lines.size() - 6) / 2));
}

TEST_F(UndoFixture, RecordsWithRelativePathsAreSeenButNeverFollowed) {
    // A history broken up by a line end inside a path can yield such lines; a relative path would
    // resolve against whatever folder the program runs in.
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    writeFile(dir / "rel_new", "1");
    writeFile(dir / "n2", "2");
    writeFile(dir / "n3", "3");
    writeFile(dir / "src.txt", "4");
    ASSERT_EQ(fs.copyNoReplace(dir / "src.txt", dir / "copy.txt"), 0);
    auto before = snapshotTree(dir.path());
    const std::pair<const char*, std::vector<std::pair<std::string, std::string>>> histories[] = {
        {"[Changed]", {{"rel_old", "rel_new"}, {dir / "o2", "n2"}, {"o3", dir / "n3"}, {"", dir / "n3"}}},
        {"[Moved]", {{"rel_old", "rel_new"}, {dir / "o2", "n2"}, {"o3", dir / "n3"}}},
        {"[Copyed]", {{"src.txt", dir / "copy.txt"}, {dir / "src.txt", "copy.txt"}}},
    };
    for (const auto& [method, records] : histories) {
        UndoResult r = undo(writeHistory(dir, method, records));
        EXPECT_EQ(r.restored, 0) << method;
        EXPECT_EQ(r.seen, static_cast<int>(records.size())) << method;
        auto now = snapshotTree(dir.path());
        now.erase("rinoza.txt");
        EXPECT_EQ(now, before) << method;
    }
    ASSERT_EQ(::chdir(cwd), 0);
}

TEST_F(UndoFixture, HeaderOnlyAndWindowsFiles) {
    // A run in which nothing succeeded.
    auto path = writeHistory(dir, "[Changed]", {});
    UndoResult r = undo(path);
    EXPECT_EQ(r.statusText(), "0/0個が変名を戻されました。");
    EXPECT_EQ(r.maximum, 2);

    // A file of the Windows version: the title in its code page, ASCII paths.
    writeFile(dir / "B.TXT", "b");
    std::string title = "{---------\x81\x83\x95\xCF\x8D\x58\x97\x9A\x97\xF0\x83\x74\x83\x40\x83\x43\x83\x8B\x81\x84"
                        "---------}";
    writeFile(path, title + "\r\n[Changed]\r\n[B]" + (dir / "a.txt") + "\r\n[A]" + (dir / "B.TXT") + "\r\n");
    r = undo(path);
    EXPECT_EQ(r.statusText(), "1/1個が変名を戻されました。");
    EXPECT_EQ(readFile(dir / "a.txt"), "b");
}

TEST_F(UndoFixture, CancelStopsBeforeTheNextRecordAndMissingFileIsAnError) {
    std::vector<std::pair<std::string, std::string>> records;
    for (int i = 0; i < 5; ++i) {
        writeFile(dir / ("n" + std::to_string(i)), "x");
        records.push_back({dir / ("o" + std::to_string(i)), dir / ("n" + std::to_string(i))});
    }
    auto path = writeHistory(dir, "[Changed]", records);
    ProgressCallbacks cb = progress.callbacks();
    int pumps = 0;
    cb.pumpEvents = [&] {
        if (++pumps == 2)
            progress.cancel = true;
    };
    UndoEngine engine(fs);
    UndoResult r = engine.run(path, cb);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.statusText(), "2/2個が変名を戻されました。");
    // The last records go back first.
    EXPECT_TRUE(pathExists(dir / "o4"));
    EXPECT_TRUE(pathExists(dir / "o3"));
    EXPECT_TRUE(pathExists(dir / "n2"));

    UndoResult missing = engine.run(dir / "gone.txt", cb);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_FALSE(missing.errorMessage.empty());
}

TEST_F(UndoFixture, ARenameWrittenAheadThatNeverHappenedIsNoRecordUntilTheRunsEndLine) {
    // A run writes its records a batch ahead of the renames. Cut off in between, it leaves records
    // whose files are still at their old names with the identity recorded: without the end line
    // those are no records at all; after it, they count as ever.
    struct Case {
        const char* what;
        bool renamed;   // the file is at the record's after path
        bool otherFile; // another file holds the after path
        bool endLine;
        const char* status;
    };
    const Case cases[] = {
        {"never renamed", false, false, false, "0/0個が変名を戻されました。"},
        {"never renamed, name taken", false, true, false, "0/0個が変名を戻されました。"},
        {"renamed", true, false, false, "1/1個が変名を戻されました。"},
        {"settled, back by hand", false, false, true, "0/1個が変名を戻されました。"},
        {"settled, name taken since", false, true, true,
         "0/1個が変名を戻されました。1個は変名後に別のファイルに替わったか変更されたため、戻していません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        writeFile(d / "old.txt", "mine");
        FileInfo info;
        ASSERT_EQ(fs.stat(d / "old.txt", info, false), 0);
        if (c.renamed) {
            ASSERT_EQ(::rename((d / "old.txt").c_str(), (d / "new.txt").c_str()), 0);
        }
        if (c.otherFile)
            writeFile(d / "new.txt", "another");
        std::vector<std::string> lines = headerComments();
        lines.insert(lines.end(), {"[Changed]", "[B]" + d / "old.txt", "[A]" + d / "new.txt",
                                   history::identityLine(*identityOf(info))});
        if (c.endLine)
            lines.emplace_back(history::kRecordsEndLine);
        writeFile(d / "rinoza.txt", crlfLines(lines));
        const auto before = snapshotTree(d.path());
        const UndoResult r = undo(d / "rinoza.txt");
        EXPECT_EQ(r.statusText(), c.status);
        if (c.renamed) {
            EXPECT_EQ(readFile(d / "old.txt"), "mine");
        } else {
            EXPECT_EQ(snapshotTree(d.path()), before);
        }
    }
}

TEST_F(UndoFixture, ARecordWhoseWriteWasCutShortBeforeItsIdentityNamesNoRename) {
    // A kill stops a long write of records where it finds it: the last record may lack the identity
    // line that every other record has. Its rename was not made; with an end line it counts as ever.
    for (const auto& [endLine, cutInPath] : {std::pair{false, false}, {false, true}, {true, false}}) {
        SCOPED_TRACE(std::string(endLine ? "end line" : "cut short") + (cutInPath ? " in the path" : ""));
        TempDir d;
        writeFile(d / "a", "a");
        writeFile(d / "b", "b");
        FileInfo a;
        ASSERT_EQ(fs.stat(d / "a", a, false), 0);
        ASSERT_EQ(::rename((d / "a").c_str(), (d / "A").c_str()), 0);
        std::vector<std::string> lines = headerComments();
        lines.insert(lines.end(), {"[Changed]", "[B]" + d / "a", "[A]" + d / "A", history::identityLine(*identityOf(a)),
                                   "[B]" + d / "b", "[A]" + (cutInPath ? d.path().substr(0, 5) : d / "B")});
        if (endLine)
            lines.emplace_back(history::kRecordsEndLine);
        writeFile(d / "rinoza.txt", crlfLines(lines));
        EXPECT_EQ(undo(d / "rinoza.txt").statusText(),
                  endLine ? "1/2個が変名を戻されました。" : "1/1個が変名を戻されました。");
        EXPECT_EQ(readFile(d / "a"), "a");
        EXPECT_EQ(readFile(d / "b"), "b");
    }
}
