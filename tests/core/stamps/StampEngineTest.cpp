#include "stamps/StampEngine.h"

#include "platform/posix/DosAttrib.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace rinoza;
using rinoza::test::readFile;
using rinoza::test::TempDir;
using rinoza::test::writeFile;

namespace {

// Local time is Japan's, so that local and universal time differ and no daylight saving gets in the way.
const bool kZoneSet = [] {
    setenv("TZ", "JST-9", 1);
    tzset();
    return true;
}();

FileTime local(int y, int mo, int d, int h, int mi, int s) {
    return *fromLocal(LocalDateTime{y, mo, d, h, mi, s, 0});
}

bool xattrsWork(const std::string& dir) {
    writeFile(dir + "/.probe", "");
    const bool ok = setxattr((dir + "/.probe").c_str(), "user.probe", "1", 1, 0) == 0;
    std::remove((dir + "/.probe").c_str());
    return ok;
}

DateTimeFields fields(std::optional<int> y, std::optional<int> m, std::optional<int> d, std::optional<int> h = {},
                      std::optional<int> n = {}) {
    return DateTimeFields{y, m, d, h, n};
}

struct Files {
    TempDir dir;
    std::vector<FileListRow> rows;

    // A file with the given last write time (and, when given, creation time) as a listed row.
    void add(const std::string& name, FileTime written, std::optional<FileTime> created = {}) {
        writeFile(dir / name, "data");
        EXPECT_EQ(systemFileSystem().setTimes(dir / name, created, written), 0);
        FileInfo info;
        EXPECT_EQ(systemFileSystem().stat(dir / name, info), 0);
        rows.push_back(makeFileListRow(info, dir.path(), false));
    }
    FileInfo info(std::size_t i) const {
        FileInfo fi;
        EXPECT_EQ(systemFileSystem().stat(dir / rows[i].name, fi), 0);
        return fi;
    }
};

StampRequest timesRequest(TimeChange c) {
    StampRequest r;
    r.kind = StampRequest::Kind::Times;
    r.times = c;
    return r;
}

StampRequest attrRequest(uint32_t change, uint32_t set) {
    StampRequest r;
    r.kind = StampRequest::Kind::Attributes;
    r.attributes = {change, set};
    return r;
}

} // namespace

TEST(StampEngine, BothDatesAreCheckedWhateverIsTicked) {
    struct Case {
        const char* what;
        DateTimeFields crt, upd;
        DateCheck expected;
    } cases[] = {
        {"placeholders: 1111/11/11", {}, {}, DateCheck::Valid},
        {"1111/2/30", fields({}, 2, 30), {}, DateCheck::BadCreation},
        {"update 1111/2/30", {}, fields({}, 2, 30), DateCheck::BadUpdate},
        {"leap day 2024", fields(2024, 2, 29), fields(2024, 2, 29), DateCheck::Valid},
        {"no leap day 2023", fields(2023, 2, 29), {}, DateCheck::BadCreation},
        {"\"--\" month with day 31 is November 31", fields(2024, {}, 31), {}, DateCheck::BadCreation},
        {"both wrong: the creation date first", fields(2023, 2, 29), fields({}, 4, 31), DateCheck::BadCreation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool crt : {false, true}) {
            TimeChange change{crt, !crt, c.crt, c.upd};
            EXPECT_EQ(checkDates(change), c.expected);
        }
    }
}

TEST(StampEngine, PlaceholdersOnlyZeroTheSecondsOfEveryFile) {
    Files f;
    if (!xattrsWork(f.dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    f.add("a.txt", local(2021, 6, 7, 8, 9, 41), local(2020, 1, 2, 3, 4, 5));
    f.add("b.txt", local(2022, 12, 31, 23, 59, 59), local(2019, 7, 8, 9, 10, 11));
    StampEngine engine(systemFileSystem());
    const StampResult r = engine.run(f.rows, timesRequest({true, true, {}, {}}), {});
    EXPECT_EQ(r.changed, 2);
    EXPECT_FALSE(r.cancelled);
    EXPECT_EQ(r.statusText(), "2個のファイルが正常に変更されました。");
    EXPECT_EQ(f.rows[0].remarks, "OK");
    EXPECT_EQ(f.rows[1].remarks, "OK");
    EXPECT_EQ(f.info(0).lastWrite, local(2021, 6, 7, 8, 9, 0));
    EXPECT_EQ(f.info(0).creation, local(2020, 1, 2, 3, 4, 0));
    EXPECT_EQ(f.info(1).lastWrite, local(2022, 12, 31, 23, 59, 0));
    EXPECT_EQ(f.info(1).creation, local(2019, 7, 8, 9, 10, 0));
}

TEST(StampEngine, RowColumnsAfterTheChangeFollowTheColumnRule) {
    Files f;
    if (!xattrsWork(f.dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    f.add("a.txt", local(2021, 6, 7, 8, 9, 41), local(2020, 1, 2, 3, 4, 5));
    const FileTime accessed = local(2023, 4, 5, 6, 7, 9);
    const struct timespec times[2] = {{accessed.sec, 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(utimensat(AT_FDCWD, (f.dir / "a.txt").c_str(), times, 0), 0);
    f.rows[0].remarks = "old";

    StampEngine engine(systemFileSystem());
    ASSERT_TRUE(
        engine.changeRow(f.rows[0], timesRequest({true, true, fields(2027, 3, 3, 9, 5), fields({}, {}, 1, 0, 0)})));
    EXPECT_EQ(f.rows[0].createdText(), "2027/03/03 09:05:00");
    EXPECT_EQ(f.rows[0].updatedText(), "2021/06/01");           // midnight shows the date alone
    EXPECT_EQ(f.rows[0].accessedText(), "2023/04/05 06:07:08"); // two-second grain
    EXPECT_EQ(f.rows[0].remarks, "OK");

    ASSERT_TRUE(
        engine.changeRow(f.rows[0], attrRequest(AttrReadOnly | AttrHidden | AttrArchive, AttrReadOnly | AttrHidden)));
    EXPECT_EQ(f.rows[0].attributeText(), "RH    ");
    EXPECT_EQ(f.rows[0].name, "a.txt");
    EXPECT_EQ(f.rows[0].sizeText(), "1KB");
}

TEST(StampEngine, ReadOnlyFileRefusesTimesButTakesAttributes) {
    Files f;
    f.add("ro.txt", local(2021, 6, 7, 8, 9, 41));
    ASSERT_EQ(chmod((f.dir / "ro.txt").c_str(), 0444), 0);
    f.rows[0] = makeFileListRow(f.info(0), f.dir.path(), false);
    StampEngine engine(systemFileSystem());

    const StampRequest times = timesRequest({false, true, {}, fields(2024, 2, 29, 12, 0)});
    EXPECT_FALSE(engine.changeRow(f.rows[0], times));
    EXPECT_EQ(f.rows[0].remarks, "x:Err(Date&Time<13>)");
    EXPECT_EQ(f.info(0).lastWrite, local(2021, 6, 7, 8, 9, 41));

    // Clearing the read-only bit, then the same change works.
    EXPECT_TRUE(engine.changeRow(f.rows[0], attrRequest(AttrReadOnly, 0)));
    EXPECT_EQ(f.rows[0].remarks, "OK");
    EXPECT_EQ(f.rows[0].attributeText().substr(0, 1), " ");
    EXPECT_TRUE(engine.changeRow(f.rows[0], times));
    EXPECT_EQ(f.info(0).lastWrite, local(2024, 2, 29, 12, 0, 0));
}

TEST(StampEngine, FailedRowsDoNotStopTheRun) {
    Files f;
    f.add("a.txt", local(2021, 6, 7, 8, 9, 41));
    f.add("gone.txt", local(2021, 6, 7, 8, 9, 41));
    f.add("c.txt", local(2021, 6, 7, 8, 9, 41));
    const FileListRow goneBefore = f.rows[1];
    std::remove((f.dir / "gone.txt").c_str());
    const StampResult r = StampEngine(systemFileSystem()).run(f.rows, timesRequest({false, true, {}, {}}), {});
    EXPECT_EQ(r.changed, 2);
    EXPECT_EQ(f.rows[1].remarks, "x:Err(Date&Time<2>)");
    EXPECT_EQ(f.rows[1].updatedText(), goneBefore.updatedText()); // nothing to refresh from
    EXPECT_EQ(f.rows[2].remarks, "OK");

    const StampResult a = StampEngine(systemFileSystem()).run(f.rows, attrRequest(AttrReadOnly, AttrReadOnly), {});
    EXPECT_EQ(a.changed, 2);
    EXPECT_EQ(f.rows[1].remarks, "x:Err(Attr)");
}

TEST(StampEngine, StopFlagEndsBeforeTheNextRowAndRowsGoOutInBatches) {
    Files f;
    for (int i = 0; i < 5; ++i)
        f.add("f" + std::to_string(i), local(2021, 6, 7, 8, 9, 41));
    StampCallbacks cb;
    int asked = 0, pumps = 0;
    std::vector<std::pair<std::size_t, std::size_t>> batches;
    cb.cancelRequested = [&] { return ++asked > 3; }; // set while the third row is changed
    cb.pumpEvents = [&] { ++pumps; };
    cb.rowsChanged = [&](std::size_t first, std::size_t count) { batches.emplace_back(first, count); };
    cb.pumpInterval = std::chrono::hours(1);
    const StampResult r = StampEngine(systemFileSystem()).run(f.rows, timesRequest({false, true, {}, {}}), cb);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.changed, 3);
    EXPECT_EQ(r.statusText(), "変更処理が途中で終了しました。3個のファイルが正常に変更されました。");
    EXPECT_EQ(f.rows[3].remarks, " ");
    // All within one time slice: the rows go out as one batch, with the one pump on the way out.
    EXPECT_EQ(batches, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 3}}));
    EXPECT_EQ(pumps, 1);
}

TEST(StampEngine, DosAttribOfAHiddenSystemFileWithACreationTimeMatchesTheFixture) {
    Files f;
    if (!xattrsWork(f.dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    f.add("photo.jpg", local(2021, 6, 7, 8, 9, 41), local(2020, 1, 2, 3, 4, 5));
    StampEngine engine(systemFileSystem());
    ASSERT_TRUE(engine.changeRow(f.rows[0], attrRequest(AttrHidden | AttrSystem, AttrHidden | AttrSystem)));
    ASSERT_TRUE(engine.changeRow(f.rows[0], timesRequest({true, false, fields(2027, 3, 3, 9, 5), {}})));
    EXPECT_EQ(f.rows[0].attributeText(), "  HSA");

    char buf[256];
    const ssize_t n = getxattr((f.dir / "photo.jpg").c_str(), kDosAttribName, buf, sizeof buf);
    ASSERT_GT(n, 0);
    const char* src = std::getenv("RINOZA_TEST_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    const std::string expected = readFile(std::string(src) + "/core/stamps/data/hidden-system-created.dosattrib");
    EXPECT_EQ(std::string(buf, static_cast<std::size_t>(n)), expected);
}

namespace {

// An ext4 file system with 128-byte inodes, loop-mounted in a temporary folder where root and loop
// devices allow: it keeps last write times from 1901-12-13 to 2038-01-19 and clamps any other.
struct SmallInodeExt4 {
    TempDir dir;
    std::string path = dir / "mnt";
    bool mounted =
        ::geteuid() == 0 &&
        std::system(("(mkdir '" + path + "' && truncate -s 4M '" + path + ".img' && mkfs.ext4 -q -F -I 128 '" + path +
                     ".img' && mount -o loop '" + path + ".img' '" + path + "') >/dev/null 2>&1")
                        .c_str()) == 0;
    ~SmallInodeExt4() {
        if (mounted) {
            EXPECT_EQ(std::system(("umount '" + path + "'").c_str()), 0);
        }
    }
};

} // namespace

TEST(StampEngine, ATimeTheFileSystemDoesNotKeepFailsItsRow) {
    SmallInodeExt4 ext4;
    if (!ext4.mounted)
        GTEST_SKIP() << "no loop-mounted ext4 here (needs root and loop devices)";
    ASSERT_TRUE(xattrsWork(ext4.path));
    struct Case {
        const char* what;
        TimeChange change;
        const char* remarks;
        const char* updatedText; // the column as the file now has it
    } cases[] = {
        {"a year it keeps", {false, true, {}, fields(2037, 12, 31, 23, 59)}, "OK", "2037/12/31 23:59:00"},
        {"past 2038, from the window's lists",
         {false, true, {}, fields(2100, 1, 1, 9, 0)},
         "x:Err(Date&Time<34>)",
         "2038/01/19 12:14:06"},
        {"before 1901", {false, true, {}, fields(1800, 1, 1, 9, 0)}, "x:Err(Date&Time<34>)", "(不明)"}, // before 1980
        // The creation time lives in the stored attribute value, which keeps any year from 1601 on.
        {"a creation time in 2100", {true, false, fields(2100, 1, 1, 9, 0), {}}, "OK", "2021/06/07 08:09:40"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = ext4.path + "/a.txt";
        writeFile(path, "data");
        ASSERT_EQ(systemFileSystem().setTimes(path, std::nullopt, local(2021, 6, 7, 8, 9, 41)), 0);
        FileInfo info;
        ASSERT_EQ(systemFileSystem().stat(path, info), 0);
        FileListRow row = makeFileListRow(info, ext4.path, false);
        StampEngine engine(systemFileSystem());
        EXPECT_EQ(engine.changeRow(row, timesRequest(c.change)), std::string_view(c.remarks) == "OK");
        EXPECT_EQ(row.remarks, c.remarks);
        EXPECT_EQ(row.updatedText(), c.updatedText);
        std::remove(path.c_str());
    }
}

TEST(StampEngine, ACreationTimeBefore1601IsRefusedBeforeAnythingIsWritten) {
    Files f;
    if (!xattrsWork(f.dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    f.add("a.txt", local(2021, 6, 7, 8, 9, 41), local(2020, 1, 2, 3, 4, 5));
    StampEngine engine(systemFileSystem());
    EXPECT_FALSE(
        engine.changeRow(f.rows[0], timesRequest({true, true, fields(1600, 12, 31, 23, 0), fields(2024, 1, 1)})));
    EXPECT_EQ(f.rows[0].remarks, "x:Err(Date&Time<34>)");
    EXPECT_EQ(f.info(0).creation, local(2020, 1, 2, 3, 4, 5));
    EXPECT_EQ(f.info(0).lastWrite, local(2021, 6, 7, 8, 9, 41));
}
