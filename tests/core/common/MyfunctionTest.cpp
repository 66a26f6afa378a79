#include "common/Myfunction.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

FileInfo infoOf(const std::string& path) {
    FileInfo info;
    EXPECT_EQ(systemFileSystem().stat(path, info), 0) << path;
    return info;
}

bool xattrsWork(const std::string& dir) {
    const std::string probe = dir + "/.xattr-probe";
    writeFile(probe, "");
    const bool ok = setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
    unlink(probe.c_str());
    return ok;
}

FileTime operator+(FileTime t, int32_t ns) {
    return FileTime{t.sec, t.nsec + ns};
}

FileTime localTime(int y, int mo, int d, int h, int mi, int s, int ms) {
    return *fromLocal(LocalDateTime{y, mo, d, h, mi, s, ms});
}

} // namespace

// ---- text checks --------------------------------------------------------------------------------

TEST(Myfunction, FixNumberText) {
    const std::pair<std::string, std::string> cases[] = {
        {"12a4", "124"}, {"a12", "12"}, {"-", "-"},     {"007", "7"},
        {"+5", "5"},     {"", "0"},     {"-12", "-12"}, {" 5", "5"},
        {"1あ2", "12"},  {"あ1", "1"},  {"12-", "12"},  {"99999999999999999999", "9999999999999999999"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(FixNumberText(in), out) << "input '" << in << "'";
}

TEST(Myfunction, RemoveBadNameCharsTakesTheFirstOfEachOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"a//b", "a/b"},     {"a/b:c", "abc"},      {"\\/:,;*?\"<>|", ""},
        {"a**b**", "a*b**"}, {"日本:語", "日本語"}, {"plain.txt", "plain.txt"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RemoveBadNameChars(in), out) << "input '" << in << "'";
}

TEST(Myfunction, IsDateText) {
    const std::pair<std::string, bool> cases[] = {
        {"----/--/--", true},  {"2000/02/29", true},  {"2001/02/29", false}, {"----/02/29", false},
        {"1900/02/29", false}, {"2024/2/29", true},   {"2024/13/01", false}, {"2024/04/31", false},
        {"2024/04/30", true},  {"2024/04", false},    {"2024-04-01", false}, {"", false},
        {"0000/01/01", false}, {"2024/01/00", false}, {"a/1/1", false},      {"2024/01/01/", false},
    };
    for (const auto& [in, valid] : cases)
        EXPECT_EQ(IsDateText(in), valid) << "input '" << in << "'";
}

TEST(Myfunction, KbTextToInt) {
    EXPECT_EQ(KbTextToInt("0KB"), 0);
    EXPECT_EQ(KbTextToInt("1024KB"), 1024);
    EXPECT_EQ(KbTextToInt("8589934592KB"), 8589934592LL);
    for (const char* bad : {"KB", "", "xKB", "1.5KB", "K"})
        EXPECT_THROW(KbTextToInt(bad), std::invalid_argument) << bad;
}

TEST(Myfunction, TrailingSeparatorsAndLastCharacter) {
    EXPECT_EQ(TrimTrailingBackslash("/a/b//"), "/a/b");
    EXPECT_EQ(TrimTrailingBackslash("/"), "/");
    EXPECT_EQ(TrimTrailingBackslash("///"), "/");
    EXPECT_EQ(TrimTrailingBackslash(""), "");
    EXPECT_EQ(LastCharPos(U'/', "/a/b.txt"), 3u);
    EXPECT_EQ(LastCharPos(U'/', "name"), 0u);
    EXPECT_EQ(LastCharPos(U'表', "a表b表"), 6u);
}

// ---- paths --------------------------------------------------------------------------------------

TEST(Myfunction, FolderOfPath) {
    TempDir dir;
    writeFile(dir / "a.txt", "");
    makeDirs(dir / "表");
    EXPECT_EQ(FolderOfPath(dir / "a.txt", systemFileSystem()), dir.path());
    EXPECT_EQ(FolderOfPath(dir.path() + "/", systemFileSystem()), dir.path());
    EXPECT_EQ(FolderOfPath(dir / "表", systemFileSystem()), dir / "表");
    EXPECT_EQ(FolderOfPath(dir / "missing/", systemFileSystem()), dir / "missing");
    EXPECT_EQ(FolderOfPath("/", systemFileSystem()), "/");
    EXPECT_EQ(FolderOfPath("/etc/passwd", systemFileSystem()), "/etc");
}

TEST(Myfunction, GetLongPath) {
    TempDir dir;
    writeFile(dir / "sub/a.txt", "");
    EXPECT_EQ(GetLongPath(dir.path() + "//sub/./../sub/a.txt", systemFileSystem()), dir / "sub/a.txt");
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    const std::string rel = GetLongPath("sub/a.txt", systemFileSystem());
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(rel, dir / "sub/a.txt");
    for (const std::string& bad : {dir / "missing/a.txt", dir / "sub/missing", std::string("/")}) {
        try {
            GetLongPath(bad, systemFileSystem());
            ADD_FAILURE() << bad << " gave no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "ファイルが見つかりません。");
        }
    }
}

TEST(Myfunction, GetLongPathFollowsLinksBeforeGoingUp) {
    TempDir dir;
    writeFile(dir / "home/x", "beside the link");
    writeFile(dir / "elsewhere/x", "beside the target");
    writeFile(dir / "elsewhere/deep/f", "");
    ASSERT_EQ(symlink((dir / "elsewhere/deep").c_str(), (dir / "home/link").c_str()), 0);
    ASSERT_EQ(symlink("missing", (dir / "home/dangling").c_str()), 0);
    char* resolved = realpath(dir.path().c_str(), nullptr); // where going up from a link lands
    ASSERT_NE(resolved, nullptr);
    const std::string real = resolved;
    free(resolved);
    struct Case {
        std::string in, out; // out empty: not found
    };
    const Case cases[] = {
        {dir / "home/link/../x", real + "/elsewhere/x"},
        {dir / "home/link/f", dir / "home/link/f"}, // a link inside the path stays
        {dir / "home/link", dir / "home/link"},     // so does a link at the end
        {dir / "home/link/./f/", dir / "home/link/f"},
        {dir / "home/dangling", dir / "home/dangling"}, // the link itself exists
        {dir / "home/dangling/..", ""},
        {dir / "home/x/..", ""}, // a file has no ".."
        {dir / "home/link/../../home/x", real + "/home/x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        if (!c.out.empty()) {
            EXPECT_EQ(GetLongPath(c.in, systemFileSystem()), c.out);
            continue;
        }
        try {
            GetLongPath(c.in, systemFileSystem());
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "ファイルが見つかりません。");
        }
    }
}

TEST(Myfunction, CountFileLines) {
    TempDir dir;
    const std::pair<std::string, int64_t> cases[] = {
        {"", 0}, {"one", 1}, {"one\r\n", 1}, {"one\r\ntwo", 2}, {"one\r\ntwo\r\n", 2}, {"\n\n", 2},
    };
    for (const auto& [content, lines] : cases) {
        writeFile(dir / "f.txt", content);
        EXPECT_EQ(CountFileLines(dir / "f.txt", systemFileSystem()), lines) << "'" << content << "'";
    }
    EXPECT_THROW(CountFileLines(dir / "missing.txt", systemFileSystem()), std::system_error);
    EXPECT_THROW(CountFileLines(dir.path(), systemFileSystem()), std::system_error); // a folder cannot be read as text
}

TEST(Myfunction, RenameFileToNeverReplaces) {
    TempDir dir;
    writeFile(dir / "a", "a");
    writeFile(dir / "b", "b");
    EXPECT_FALSE(RenameFileTo(dir / "a", dir / "b", systemFileSystem()));
    EXPECT_EQ(readFile(dir / "b"), "b");
    EXPECT_TRUE(RenameFileTo(dir / "a", dir / "c", systemFileSystem()));
    EXPECT_EQ(readFile(dir / "c"), "a");
    EXPECT_FALSE(RenameFileTo(dir / "a", dir / "d", systemFileSystem()));
}

// ---- times and attributes -----------------------------------------------------------------------

TEST(Myfunction, SetFileDateTimesPlaceholdersOnlyZeroTheSeconds) {
    TempDir dir;
    const std::string f = dir / "f.txt";
    writeFile(f, "x");
    const FileTime written = localTime(2023, 2, 10, 12, 34, 56, 789);
    ASSERT_EQ(systemFileSystem().setTimes(f, std::nullopt, FileTime{written.sec, written.nsec + 4321}), 0);
    const auto accessed = infoOf(f).lastAccess;

    EXPECT_TRUE(SetFileDateTimes(f, "----", "--", "--", "--", "--", "----", "--", "--", "--", "--", false, true,
                                 systemFileSystem()));
    const FileInfo after = infoOf(f);
    EXPECT_EQ(after.lastWrite, std::optional<FileTime>(localTime(2023, 2, 10, 12, 34, 0, 789) + 4321));
    EXPECT_EQ(after.lastAccess, accessed);

    EXPECT_TRUE(SetFileDateTimes(f, "1999", "1", "2", "3", "4", "2024", "--", "--", "7", "--", false, true,
                                 systemFileSystem()));
    EXPECT_EQ(infoOf(f).lastWrite, std::optional<FileTime>(localTime(2024, 2, 10, 7, 34, 0, 789) + 4321));

    // Neither flag: nothing happens, even with texts that make no date.
    EXPECT_TRUE(SetFileDateTimes(f, "x", "99", "99", "99", "99", "x", "99", "99", "99", "99", false, false,
                                 systemFileSystem()));
    EXPECT_EQ(infoOf(f).lastWrite, std::optional<FileTime>(localTime(2024, 2, 10, 7, 34, 0, 789) + 4321));
}

TEST(Myfunction, SetFileDateTimesRefusesWithoutWriting) {
    TempDir dir;
    const std::string f = dir / "f.txt";
    writeFile(f, "x");
    const FileTime feb = localTime(2023, 2, 10, 12, 34, 56, 0);
    ASSERT_EQ(systemFileSystem().setTimes(f, std::nullopt, feb), 0);
    struct Case {
        const char* what;
        const char* day;
        const char* hour;
        bool creation;
    } cases[] = {
        {"day 30 kept with February", "30", "--", false},
        {"hour 25", "--", "25", false},
        {"not a number", "x", "--", false},
        {"impossible creation stops the update too", "30", "--", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(SetFileDateTimes(f, "----", "--", c.day, c.hour, "--", "----", "--", c.day, c.hour, "--",
                                      c.creation, true, systemFileSystem()));
        EXPECT_EQ(infoOf(f).lastWrite, std::optional<FileTime>(feb));
    }
    ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    EXPECT_FALSE(SetFileDateTimes(f, "----", "--", "--", "--", "--", "2020", "--", "--", "--", "--", false, true,
                                  systemFileSystem()));
    EXPECT_EQ(infoOf(f).lastWrite, std::optional<FileTime>(feb));
    EXPECT_FALSE(SetFileDateTimes(dir / "missing", "", "", "", "", "", "2020", "--", "--", "--", "--", false, true,
                                  systemFileSystem()));
}

TEST(Myfunction, SetFileDateTimesCreation) {
    TempDir dir;
    if (!xattrsWork(dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    const std::string f = dir / "f.txt";
    writeFile(f, "x");
    ASSERT_EQ(systemFileSystem().setTimes(f, localTime(2010, 5, 6, 7, 8, 9, 10), std::nullopt), 0);
    const auto written = infoOf(f).lastWrite;
    EXPECT_TRUE(
        SetFileDateTimes(f, "2011", "--", "--", "--", "--", "", "", "", "", "", true, false, systemFileSystem()));
    const FileInfo after = infoOf(f);
    EXPECT_EQ(after.creation, std::optional<FileTime>(localTime(2011, 5, 6, 7, 8, 0, 10)));
    EXPECT_EQ(after.lastWrite, written);
}

TEST(Myfunction, SetFileAttrBitsReadsBackThroughStat) {
    TempDir dir;
    if (!xattrsWork(dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    const std::string f = dir / "f.txt";
    writeFile(f, "x");
    struct Case {
        bool r, a, h, s;
    } flags[] = {{true, false, false, false},
                 {false, true, false, false},
                 {false, false, true, false},
                 {false, false, false, true}};
    const uint32_t bits[] = {AttrReadOnly, AttrArchive, AttrHidden, AttrSystem};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(bits[k]);
        const auto& c = flags[k];
        const uint32_t before = infoOf(f).attributes;
        EXPECT_TRUE(SetFileAttrBits(f, c.r, c.a, c.h, c.s, true, true, true, true, systemFileSystem()));
        EXPECT_EQ(infoOf(f).attributes, before | bits[k]);
        EXPECT_TRUE(SetFileAttrBits(f, c.r, c.a, c.h, c.s, false, false, false, false, systemFileSystem()));
        EXPECT_EQ(infoOf(f).attributes, before & ~bits[k]);
    }
    EXPECT_FALSE(
        SetFileAttrBits(dir / "missing", true, false, false, false, true, false, false, false, systemFileSystem()));
}
