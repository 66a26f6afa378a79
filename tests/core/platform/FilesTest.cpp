#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixPaths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Sets an environment variable for one scope, or removes it (value nullptr).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        m_had = std::getenv(name) != nullptr;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { m_had ? ::setenv(m_name, m_old.c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

} // namespace

TEST(ReplaceFileDurably, ReplacesOrRefusesByWhatIsThere) {
    // Each case: how the path is prepared, the error, and where the new content lands then.
    struct Case {
        const char* what;
        void (*prepare)(const TempDir&);
        int error;
        const char* written; // relative to the folder; nullptr when nothing may change
    };
    const Case cases[] = {
        {"no file yet", [](const TempDir&) {}, 0, "f"},
        {"a file", [](const TempDir& t) { writeFile(t / "f", "old"); }, 0, "f"},
        {"a link to a file elsewhere",
         [](const TempDir& t) {
             writeFile(t / "sub/real", "old");
             ASSERT_EQ(::symlink("sub/real", (t / "f").c_str()), 0);
         },
         0, "sub/real"},
        {"a dangling link",
         [](const TempDir& t) {
             makeDirs(t / "sub");
             ASSERT_EQ(::symlink("sub/new", (t / "f").c_str()), 0);
         },
         0, "sub/new"},
        {"a read-only file, for root too",
         [](const TempDir& t) {
             writeFile(t / "f", "old");
             ASSERT_EQ(::chmod((t / "f").c_str(), 0444), 0);
         },
         EACCES, nullptr},
        {"a folder", [](const TempDir& t) { makeDirs(t / "f"); }, EISDIR, nullptr},
        {"a pipe", [](const TempDir& t) { ASSERT_EQ(::mkfifo((t / "f").c_str(), 0644), 0); }, EEXIST, nullptr},
        {"a link loop", [](const TempDir& t) { ASSERT_EQ(::symlink("f", (t / "f").c_str()), 0); }, ELOOP, nullptr},
        {"a missing folder", [](const TempDir&) {}, ENOENT, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir t;
        c.prepare(t);
        const auto before = snapshotTree(t.path());
        const std::string path = c.error == ENOENT ? t / "missing/f" : t / "f";
        EXPECT_EQ(replaceFileDurably(path, "new\r\n"), c.error);
        if (c.written) {
            EXPECT_EQ(readFile(t / c.written), "new\r\n");
            auto after = snapshotTree(t.path());
            after.erase(c.written);
            auto expected = before;
            expected.erase(c.written);
            EXPECT_EQ(after, expected) << "nothing else changes, no temporary stays";
        } else {
            EXPECT_EQ(snapshotTree(t.path()), before);
        }
        ::chmod((t / "f").c_str(), 0644);
    }
}

TEST(ReplaceFileDurably, KeepsTheModeOfTheOldFileAndGivesANewOneTheModeAsked) {
    TempDir t;
    writeFile(t / "old", "x");
    ASSERT_EQ(::chmod((t / "old").c_str(), 0604), 0);
    ASSERT_EQ(replaceFileDurably(t / "old", "y"), 0);
    EXPECT_EQ(modeOf(t / "old"), 0604u);

    const mode_t mask = ::umask(022);
    ReplaceOptions o;
    o.newFileMode = 0640;
    EXPECT_EQ(replaceFileDurably(t / "new", "y", o), 0);
    ::umask(mask);
    EXPECT_EQ(modeOf(t / "new"), 0640u);
}

TEST(ReplaceFileDurably, KeptOpenTheFileGrowsAndIsCutBack) {
    TempDir t;
    std::unique_ptr<AppendFile> f;
    ASSERT_EQ(replaceFileDurably(t / "h", "head\n", {}, &f), 0);
    ASSERT_TRUE(f && f->isOpen());
    std::size_t written = 0;
    EXPECT_EQ(f->append("one\n", &written), 0);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(f->truncate(5), 0);
    EXPECT_EQ(f->sync(), 0);
    EXPECT_EQ(f->append("two\n"), 0);
    EXPECT_EQ(f->close(), 0);
    EXPECT_FALSE(f->isOpen());
    EXPECT_EQ(f->append("late"), EBADF);
    EXPECT_EQ(f->sync(), EBADF);
    EXPECT_EQ(readFile(t / "h"), "head\ntwo\n");

    std::string content;
    EXPECT_EQ(readWholeFile(t / "h", content), 0);
    EXPECT_EQ(content, "head\ntwo\n");
    EXPECT_EQ(readWholeFile(t / "none", content), ENOENT);
    // A file larger than one read, and one whose size the system does not tell.
    std::string big(200001, 'x');
    big[100000] = '\n';
    writeFile(t / "big", big);
    EXPECT_EQ(readWholeFile(t / "big", content), 0);
    EXPECT_EQ(content, big);
    EXPECT_EQ(readWholeFile("/proc/self/status", content), 0);
    EXPECT_NE(content.find("Name:"), std::string::npos);
}

TEST(Files, ReadFileHeadStopsAtItsLimitAndNeverWaitsForAWriter) {
    TempDir t;
    writeFile(t / "f", "0123456789");
    std::string content;
    EXPECT_EQ(readFileHead(t / "f", 4, content), 0);
    EXPECT_EQ(content, "0123");
    EXPECT_EQ(readFileHead(t / "f", 64, content), 0);
    EXPECT_EQ(content, "0123456789");
    ASSERT_EQ(::mkfifo((t / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(readFileHead(t / "pipe", 64, content), 0); // no writer: at its end at once
    EXPECT_EQ(content, "");
    EXPECT_EQ(readFileHead(t / "none", 4, content), ENOENT);
}

TEST(Paths, HomeFolderFromTheEnvironmentElseTheAccount) {
    const passwd* pw = ::getpwuid(::getuid());
    std::string account = pw && pw->pw_dir && *pw->pw_dir ? pw->pw_dir : "/";
    while (account.size() > 1 && account.back() == '/')
        account.pop_back();
    const struct {
        const char* home;
        std::string expected;
    } rows[] = {
        {"/home/u", "/home/u"}, {"/home/u//", "/home/u"}, {"/", "/"}, {"", account}, {nullptr, account},
    };
    for (const auto& r : rows) {
        ScopedEnv env("HOME", r.home);
        EXPECT_EQ(homeFolder(), r.expected) << (r.home ? r.home : "(unset)");
    }
}

TEST(Paths, CurrentFolderIsTheWorkingFolderOrNothing) {
    const std::string before = currentFolder();
    ASSERT_FALSE(before.empty());
    {
        TempDir t;
        makeDirs(t / "gone");
        ASSERT_EQ(::chdir((t / "gone").c_str()), 0);
        EXPECT_EQ(currentFolder(), resolvedPath(t / "gone"));
        ASSERT_EQ(::rmdir((t / "gone").c_str()), 0);
        EXPECT_EQ(currentFolder(), "");
    }
    ASSERT_EQ(::chdir(before.c_str()), 0);
}

TEST(OpenFolder, TellsEachKindAndResolvesLinks) {
    PosixFileSystem fs;
    TempDir t;
    writeFile(t / "file", "");
    makeDirs(t / "dir");
    ASSERT_EQ(::symlink("dir", (t / "dirlink").c_str()), 0);
    ASSERT_EQ(::symlink("file", (t / "filelink").c_str()), 0);
    ASSERT_EQ(::symlink("nowhere", (t / "dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo((t / "pipe").c_str(), 0644), 0);

    std::unique_ptr<Folder> opened;
    ASSERT_EQ(fs.openFolder(t.path(), nullptr, opened), 0);
    const Folder& folder = *opened;
    std::map<std::string, std::pair<EntryType, bool>> seen;
    // Read twice: a folder is read from its first name each time.
    for (int pass = 0; pass < 2; ++pass) {
        seen.clear();
        EXPECT_EQ(fs.readFolder(folder,
                                [&](const FolderEntry& e) {
                                    seen[std::string(e.name)] = {e.type, e.looked};
                                    return true;
                                }),
                  0);
    }
    const std::map<std::string, std::pair<EntryType, bool>> want = {
        {"file", {EntryType::File, false}},        {"dir", {EntryType::Directory, false}},
        {"dirlink", {EntryType::Directory, true}}, {"filelink", {EntryType::File, true}},
        {"dangling", {EntryType::Unknown, true}},  {"pipe", {EntryType::Other, false}},
    };
    EXPECT_EQ(seen, want);

    std::unique_ptr<Folder> inner, dir, file;
    ASSERT_EQ(fs.openFolderAt(folder, "dirlink", inner), 0);
    ASSERT_EQ(fs.openFolderAt(folder, "dir", dir), 0);
    EXPECT_EQ(inner->id(), dir->id());
    EXPECT_EQ(inner->path(), t / "dirlink");
    EXPECT_EQ(fs.openFolderAt(folder, "file", file), ENOTDIR);

    FileInfo info;
    ASSERT_EQ(fs.statAt(folder, "filelink", info), 0);
    EXPECT_TRUE(info.isRegular);
    EXPECT_EQ(info.name, "filelink");
    EXPECT_EQ(fs.statAt(folder, "dangling", info), ENOENT);
}
