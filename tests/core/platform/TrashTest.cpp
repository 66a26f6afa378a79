#include "platform/posix/Trash.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <regex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Points the home trash at a temporary folder for the life of a test.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const std::string& dir) {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            m_old = old;
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
    }
    ~ScopedDataHome() {
        if (m_old)
            setenv("XDG_DATA_HOME", m_old->c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }

private:
    std::optional<std::string> m_old;
};

// Each test trashes into a home trash of its own.
class Trash : public ::testing::Test {
protected:
    TempDir home;
    ScopedDataHome env{home.path()};
    PosixFileSystem fs;
};

} // namespace

TEST_F(Trash, PathIsPercentEncodedExceptUnreservedAndSlash) {
    EXPECT_EQ(percentEncodePath("/home/u/a b.txt"), "/home/u/a%20b.txt");
    EXPECT_EQ(percentEncodePath("/x/日本"), "/x/%E6%97%A5%E6%9C%AC");
    EXPECT_EQ(percentEncodePath("A-z_0.9~%#?&+\\"), "A-z_0.9~%25%23%3F%26%2B%5C");
    EXPECT_EQ(percentEncodePath(std::string("\x82\xa0\n", 3)), "%82%A0%0A");
    EXPECT_EQ(trashInfoText("/a b", LocalDateTime{2024, 3, 5, 7, 8, 9, 999}),
              "[Trash Info]\nPath=/a%20b\nDeletionDate=2024-03-05T07:08:09\n");
}

TEST_F(Trash, HomeTrashRecordsAbsolutePathAndDate) {
    TempDir files;
    ScopedDataHome share(home / "share");
    const std::string f = files / "a b 日本.txt";
    writeFile(f, "content");

    const TrashResult r = fs.moveToTrash(f);
    ASSERT_EQ(r.error, 0);
    EXPECT_FALSE(pathExists(f));
    EXPECT_EQ(r.trashedPath, home / "share/Trash/files/a b 日本.txt");
    EXPECT_EQ(r.infoPath, home / "share/Trash/info/a b 日本.txt.trashinfo");
    EXPECT_EQ(readFile(r.trashedPath), "content");
    const std::string info = readFile(r.infoPath);
    const std::regex shape("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(info, m, shape)) << info;
    EXPECT_EQ(m[1].str(), percentEncodePath(files.path()) + "/a%20b%20%E6%97%A5%E6%9C%AC.txt");
    struct stat st {};
    ASSERT_EQ(stat((home / "share/Trash/files").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(Trash, SameNameTwiceGetsANumberedName) {
    TempDir files;
    writeFile(files / "one/report.txt", "first");
    writeFile(files / "two/report.txt", "second");
    writeFile(files / "three/report.txt", "third");
    ASSERT_EQ(fs.moveToTrash(files / "one/report.txt").error, 0);
    const TrashResult second = fs.moveToTrash(files / "two/report.txt");
    const TrashResult third = fs.moveToTrash(files / "three/report.txt");
    ASSERT_EQ(second.error, 0);
    ASSERT_EQ(third.error, 0);
    EXPECT_EQ(baseNameOf(second.trashedPath), "report.txt.2");
    EXPECT_EQ(baseNameOf(third.infoPath), "report.txt.3.trashinfo");
    EXPECT_EQ(readFile(home / "Trash/files/report.txt"), "first");
    EXPECT_EQ(readFile(second.trashedPath), "second");
    EXPECT_NE(readFile(second.infoPath).find("/two/report.txt\n"), std::string::npos);
}

TEST(TrashStoredName, ANameTooLongForItsInfoFileIsShortenedApartFromOthers) {
    const std::string kana = "あ"; // three bytes
    std::string longKana;
    while (longKana.size() < 240)
        longKana += kana;
    const std::string a = longKana + "1.jpeg", b = longKana + "2.jpeg";
    const std::string bare(250, 'x');
    const struct {
        std::string name;
        int n;
        std::string expected; // empty: shortened, checked below
    } rows[] = {
        {"report.txt", 1, "report.txt"},
        {"report.txt", 3, "report.txt.3"},
        {std::string(245, 'y'), 1, std::string(245, 'y')}, // exactly fits with ".trashinfo"
        {a, 1, ""},
        {b, 1, ""},
        {a, 2, ""},
        {bare, 1, ""},
    };
    std::set<std::string> seen;
    for (const auto& r : rows) {
        const std::string stored = trashStoredName(r.name, r.n);
        SCOPED_TRACE(stored);
        EXPECT_LE(stored.size() + std::string(".trashinfo").size(), 255u);
        EXPECT_TRUE(seen.insert(stored).second); // every name and try apart
        if (!r.expected.empty()) {
            EXPECT_EQ(stored, r.expected);
            continue;
        }
        EXPECT_EQ(stored.compare(0, 60, r.name, 0, 60), 0); // its start kept
        const std::string ext = r.name == bare ? "" : ".jpeg";
        EXPECT_EQ(stored.substr(stored.size() - ext.size()), ext); // its extension kept
        EXPECT_NE(stored.find('~'), std::string::npos);
        // Never a character cut in two: the kana start stays whole.
        const std::size_t tilde = stored.find('~');
        EXPECT_EQ(r.name == bare ? 0u : tilde % 3, 0u);
    }
}

TEST_F(Trash, ALongNameIsTrashedUnderAShortOneAndRestoredByItsFullPath) {
    TempDir files;
    std::string name;
    while (name.size() < 246)
        name += "長";
    name += ".txt"; // 250 bytes: name.trashinfo would pass the limit of a name
    ASSERT_EQ(name.size(), 250u);
    const std::string f = files / name;
    writeFile(f, "long");
    const TrashResult r = fs.moveToTrash(f);
    ASSERT_EQ(r.error, 0);
    EXPECT_FALSE(pathExists(f));
    EXPECT_EQ(readFile(r.trashedPath), "long");
    EXPECT_EQ(baseNameOf(r.infoPath), baseNameOf(r.trashedPath) + ".trashinfo");
    EXPECT_NE(readFile(r.infoPath).find("Path=" + percentEncodePath(f) + "\n"), std::string::npos);

    // What a trash client shows: the file by its whole original path.
    if (::access("/usr/bin/trash-list", X_OK) != 0)
        GTEST_SKIP() << "trash-list (Debian package trash-cli) is not installed";
    FILE* p = ::popen("trash-list 2>/dev/null", "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    ::pclose(p);
    EXPECT_NE(out.find(" " + f + "\n"), std::string::npos) << out;
}

namespace {

// A file system other than the home trash's, whose top folder (/dev/shm) gets a per-user trash during
// the test; skips when that is not possible without touching someone's existing trash.
struct OtherDeviceTrash {
    std::string top = "/dev/shm";
    std::string userTrash = top + "/.Trash-" + std::to_string(getuid());
    std::string skipReason;

    explicit OtherDeviceTrash(const std::string& homePath) {
        struct stat a {
        }, b{};
        if (stat(homePath.c_str(), &a) != 0 || stat(top.c_str(), &b) != 0 || a.st_dev == b.st_dev ||
            access(top.c_str(), W_OK) != 0)
            skipReason = "/dev/shm is missing, read-only or on the same file system as the temporary folder";
        else if (pathExists(userTrash) || pathExists(top + "/.Trash"))
            skipReason = "a trash already exists in /dev/shm; not touching it";
    }
    ~OtherDeviceTrash() {
        if (skipReason.empty())
            removeTree(userTrash);
    }
};

// The home trash lies on another device than /dev/shm, which gets a per-user trash during the test.
class TrashOnOtherDevice : public Trash {
protected:
    OtherDeviceTrash trash{home.path()};
    void SetUp() override {
        if (!trash.skipReason.empty())
            GTEST_SKIP() << trash.skipReason;
    }
};

std::string pathValueOf(const std::string& info) {
    const auto at = info.find("\nPath=");
    if (at == std::string::npos)
        return "";
    return info.substr(at + 6, info.find('\n', at + 6) - at - 6);
}

// Ways to make a trash folder that is not privately ours; each is false when it cannot be set up here.
bool makeDirWithMode(const std::string& dir, mode_t mode) {
    return mkdir(dir.c_str(), 0700) == 0 && chmod(dir.c_str(), mode) == 0;
}
bool makeDirOfAnotherUser(const std::string& dir) {
    return getuid() == 0 && mkdir(dir.c_str(), 0700) == 0 && chown(dir.c_str(), 4242, 4242) == 0;
}
bool makeLinkToOwnFolder(const std::string& link, const std::string& folder) {
    return mkdir(folder.c_str(), 0700) == 0 && symlink(folder.c_str(), link.c_str()) == 0;
}

} // namespace

TEST_F(TrashOnOtherDevice, OtherFileSystemUsesItsTopFolderTrashOrLeavesTheFileAlone) {
    // The fixture skips when a shared .Trash is there: it would take the file even with the per-user folder blocked.
    TempDir files(trash.top);
    const std::string topTrash = trash.userTrash;
    const std::string f = files / "keep me.txt";
    writeFile(f, "data");

    // No usable trash on that file system: a plain file blocks the per-user folder.
    writeFile(topTrash, "");
    TrashResult r = fs.moveToTrash(f);
    unlink(topTrash.c_str());
    EXPECT_NE(r.error, 0);
    EXPECT_EQ(readFile(f), "data");
    EXPECT_FALSE(pathExists(home / "Trash/files/keep me.txt"));

    r = fs.moveToTrash(f);
    ASSERT_EQ(r.error, 0);
    EXPECT_EQ(r.trashedPath, topTrash + "/files/keep me.txt");
    const std::string info = readFile(r.infoPath);
    removeTree(topTrash);
    EXPECT_NE(info.find("\nPath=" + percentEncodePath(files.path().substr(9)) + "/keep%20me.txt\n"), std::string::npos)
        << info; // relative to /dev/shm
    EXPECT_FALSE(pathExists(f));
}

TEST_F(Trash, FileThatCannotBeTrashedStaysWithoutInfo) {
    // /proc has no trash and none can be made there.
    EXPECT_NE(fs.moveToTrash("/proc/self/status").error, 0);
    EXPECT_TRUE(pathExists("/proc/self/status"));
    EXPECT_EQ(fs.moveToTrash(home / "missing").error, ENOENT);
    EXPECT_FALSE(pathExists(home / "Trash/info/missing.trashinfo"));
}

TEST_F(TrashOnOtherDevice, FileReachedThroughALinkIsRecordedWhereItLies) {
    TempDir real("/dev/shm");
    makeDirs(real / "dir");
    // The real folder's path relative to /dev/shm.
    const std::string relative = real.path().substr(trash.top.size() + 1) + "/dir/f";

    struct Case {
        const char* what;
        std::string link; // a link to real/dir; empty when it cannot be made here
    };
    // A link with a path shorter than the top folder needs a place at the root, so only root has it.
    std::string shortLink = "/r" + std::to_string(getpid() % 100);
    if (getuid() != 0 || pathExists(shortLink))
        shortLink.clear();
    const Case cases[] = {
        {"link in another folder", home / "via"},
        {"link shorter than the top folder", shortLink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.link.empty())
            continue;
        ASSERT_EQ(symlink((real / "dir").c_str(), c.link.c_str()), 0);
        const std::unique_ptr<const char, int (*)(const char*)> removeLink(c.link.c_str(), unlink);
        writeFile(real / "dir/f", c.what);
        const TrashResult r = fs.moveToTrash(c.link + "/f");
        ASSERT_EQ(r.error, 0);
        EXPECT_FALSE(pathExists(real / "dir/f"));
        EXPECT_EQ(parentOf(parentOf(r.trashedPath)), trash.userTrash);
        EXPECT_EQ(readFile(r.trashedPath), c.what);
        EXPECT_EQ(pathValueOf(readFile(r.infoPath)), percentEncodePath(relative));
    }
}

TEST_F(TrashOnOtherDevice, SharedTrashFolderThatIsNotPrivatelyOursIsPassedOver) {
    const std::string shared = trash.top + "/.Trash";
    const std::string mine = shared + "/" + std::to_string(getuid());
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    const std::unique_ptr<const std::string, void (*)(const std::string*)> removeShared(
        &shared, [](const std::string* p) { removeTree(*p); });
    TempDir files("/dev/shm");

    struct Case {
        const char* what;
        std::function<bool()> spoil; // false when this case cannot be set up here
    };
    const Case cases[] = {
        {"writable by the group", [&] { return makeDirWithMode(mine, 0770); }},
        {"writable by everyone", [&] { return makeDirWithMode(mine, 0707); }},
        {"owned by another user", [&] { return makeDirOfAnotherUser(mine); }},
        {"a link to our own folder", [&] { return makeLinkToOwnFolder(mine, files / "decoy"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        removeTree(mine);
        removeTree(files / "decoy");
        if (!c.spoil())
            continue;
        writeFile(files / "f", c.what);
        const TrashResult r = fs.moveToTrash(files / "f");
        ASSERT_EQ(r.error, 0);
        EXPECT_EQ(r.trashedPath, trash.userTrash + "/files/f");
        EXPECT_EQ(readFile(r.trashedPath), c.what);
        EXPECT_FALSE(pathExists(mine + "/files/f"));
        EXPECT_FALSE(pathExists(files / "decoy/files"));
        removeTree(trash.userTrash);
    }
}

TEST_F(TrashOnOtherDevice, TopFolderTrashThatIsNotPrivatelyOursLeavesTheFileAlone) {
    TempDir files("/dev/shm");
    const std::string& mine = trash.userTrash;

    struct Case {
        const char* what;
        std::function<bool()> spoil; // false when this case cannot be set up here
        int error;
    };
    const Case cases[] = {
        {"writable by everyone", [&] { return makeDirWithMode(mine, 0777); }, EPERM},
        {"writable by the group", [&] { return makeDirWithMode(mine, 0770); }, EPERM},
        {"writable by others", [&] { return makeDirWithMode(mine, 0703); }, EPERM},
        {"owned by another user", [&] { return makeDirOfAnotherUser(mine); }, EPERM},
        {"a link to our own folder", [&] { return makeLinkToOwnFolder(mine, files / "decoy"); }, ENOTDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        removeTree(mine);
        removeTree(files / "decoy");
        if (!c.spoil())
            continue;
        writeFile(files / "f", c.what);
        const TrashResult r = fs.moveToTrash(files / "f");
        EXPECT_EQ(r.error, c.error);
        EXPECT_EQ(readFile(files / "f"), c.what);
        EXPECT_FALSE(pathExists(mine + "/files"));
        EXPECT_FALSE(pathExists(mine + "/info"));
        EXPECT_FALSE(pathExists(files / "decoy/files"));
        EXPECT_FALSE(pathExists(home / "Trash/files/f"));
    }
    removeTree(mine);
}
