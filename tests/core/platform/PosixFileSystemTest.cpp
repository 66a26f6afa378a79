#include "platform/posix/PosixFileSystem.h"
#include "platform/Paths.h"
#include "platform/posix/DosAttrib.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

std::set<std::string> namesIn(const std::string& dir) {
    std::set<std::string> names;
    systemFileSystem().listDirectory(dir, [&](const DirEntry& e) {
        names.insert(e.name);
        return true;
    });
    return names;
}

bool setUserXattr(const std::string& path, const std::string& name, const std::string& value) {
    return setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

std::string userXattr(const std::string& path, const std::string& name) {
    char buf[512];
    ssize_t n = getxattr(path.c_str(), name.c_str(), buf, sizeof buf);
    return n < 0 ? std::string("<none>") : std::string(buf, static_cast<std::size_t>(n));
}

bool xattrsWork(const std::string& dir) {
    const std::string probe = dir + "/.xattr-probe";
    writeFile(probe, "");
    bool ok = setUserXattr(probe, "user.probe", "1");
    unlink(probe.c_str());
    return ok;
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

} // namespace

// ---- never overwrite ---------------------------------------------------------------------------

TEST(PosixFileSystem, NoOperationReplacesAnExistingFile) {
    PosixFileSystem fs;
    TempDir here;
    TempDir other(otherFileSystemBase(here.path())); // without a second file system, a second folder
    using Op = int (PosixFileSystem::*)(const std::string&, const std::string&);
    struct Case {
        const char* what;
        Op op;
        bool crossDevice;
    } cases[] = {
        {"rename", &PosixFileSystem::renameNoReplace, false},
        {"copy", &PosixFileSystem::copyNoReplace, false},
        {"copy to another file system", &PosixFileSystem::copyNoReplace, true},
        {"move", &PosixFileSystem::moveNoReplace, false},
        {"move to another file system", &PosixFileSystem::moveNoReplace, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string from = here / "source.txt";
        const std::string to = (c.crossDevice ? other : here) / "target.txt";
        writeFile(from, "source bytes");
        writeFile(to, "target bytes");
        EXPECT_EQ((fs.*c.op)(from, to), EEXIST);
        EXPECT_EQ(readFile(from), "source bytes");
        EXPECT_EQ(readFile(to), "target bytes");
        EXPECT_EQ(namesIn(c.crossDevice ? other.path() : here.path()).size(), c.crossDevice ? 1u : 2u);
        unlink(from.c_str());
        unlink(to.c_str());
    }
}

TEST(PosixFileSystem, SameFileUnderAnotherNameIsNotReplaced) {
    PosixFileSystem fs;
    TempDir dir;
    writeFile(dir / "a.txt", "one inode");
    ASSERT_EQ(link((dir / "a.txt").c_str(), (dir / "b.txt").c_str()), 0);
    // rename(2) between two links of one inode would succeed without doing anything; this must refuse.
    EXPECT_EQ(fs.renameNoReplace(dir / "a.txt", dir / "b.txt"), EEXIST);
    EXPECT_EQ(fs.copyNoReplace(dir / "a.txt", dir / "b.txt"), EEXIST);
    EXPECT_EQ(fs.copyNoReplace(dir / "a.txt", dir / "a.txt"), EEXIST);
    EXPECT_EQ(fs.moveNoReplace(dir / "a.txt", dir / "a.txt"), EEXIST);
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(readFile(dir / "a.txt"), "one inode");
}

TEST(PosixFileSystem, CaseOnlyRename) {
    PosixFileSystem fs;
    TempDir dir;
    writeFile(dir / "a.txt", "data");
    EXPECT_EQ(fs.renameNoReplace(dir / "a.txt", dir / "A.txt"), 0);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"A.txt"});
    EXPECT_EQ(readFile(dir / "A.txt"), "data");
}

TEST(PosixFileSystem, FailuresReportTheSystemError) {
    PosixFileSystem fs;
    TempDir dir;
    writeFile(dir / "a.txt", "data");
    EXPECT_EQ(fs.renameNoReplace(dir / "missing", dir / "b"), ENOENT);
    EXPECT_EQ(fs.copyNoReplace(dir / "missing", dir / "b"), ENOENT);
    EXPECT_EQ(fs.moveNoReplace(dir / "missing", dir / "b"), ENOENT);
    EXPECT_EQ(fs.copyNoReplace(dir / "a.txt", dir / "no-such-folder/b"), ENOENT);
    EXPECT_EQ(fs.copyNoReplace(dir / "a.txt", "/etc/passwd/x"), ENOTDIR);
    EXPECT_EQ(fs.moveNoReplace(dir / "a.txt", "/etc/passwd/x"), ENOTDIR);
    EXPECT_EQ(fs.copyNoReplace(dir.path(), dir / "copy-of-folder"), EISDIR);
    EXPECT_EQ(fs.removeFile(dir / "missing"), ENOENT);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"a.txt"});
}

// ---- copy and move across file systems ----------------------------------------------------------

TEST(PosixFileSystem, MoveAcrossFileSystemsKeepsContentModeXattrsAndTimes) {
    PosixFileSystem fs;
    TempDir here;
    const std::string otherBase = otherFileSystemBase(here.path());
    if (otherBase.empty())
        GTEST_SKIP() << "no second file system to move to";
    TempDir other(otherBase);
    ASSERT_NE(statOf(here.path()).st_dev, statOf(other.path()).st_dev);
    const std::string from = here / "photo.jpg";
    std::string content(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 251);
    writeFile(from, content);
    ASSERT_EQ(chmod(from.c_str(), 0640), 0);
    const bool xattrs = xattrsWork(here.path()) && xattrsWork(other.path());
    if (xattrs) {
        ASSERT_TRUE(setUserXattr(from, "user.comment", "keep me"));
    }
    ASSERT_EQ(fs.setTimes(from, std::nullopt, FileTime{1500000000, 123456789}), 0);

    const std::string to = other / "moved.jpg";
    ASSERT_EQ(fs.moveNoReplace(from, to), 0);
    EXPECT_FALSE(pathExists(from));
    EXPECT_EQ(readFile(to), content);
    const struct stat st = statOf(to);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
    if (xattrs) {
        EXPECT_EQ(userXattr(to, "user.comment"), "keep me");
    }
    EXPECT_EQ(namesIn(other.path()), std::set<std::string>{"moved.jpg"});
}

TEST(PosixFileSystem, FailedMoveOrCopyLeavesSourceAndNoTemporary) {
    TempDir here;
    const std::string otherBase = otherFileSystemBase(here.path());
    if (otherBase.empty())
        GTEST_SKIP() << "no second file system to move to";
    TempDir other(otherBase);
    for (const char* step : {"open", "data", "attributes", "publish", "unlink-source"}) {
        for (bool move : {false, true}) {
            if (!move && std::string(step) == "unlink-source")
                continue;
            SCOPED_TRACE(std::string(step) + (move ? " move" : " copy"));
            PosixFileSystem fs;
            fs.setFaultHook([&](std::string_view s) { return s == step ? ENOSPC : 0; });
            const std::string from = here / "source.bin";
            writeFile(from, std::string(100000, 'x'));
            const auto before = statOf(from);
            const int rc = move ? fs.moveNoReplace(from, other / "target.bin") : fs.copyNoReplace(from, here / "c.bin");
            EXPECT_EQ(rc, ENOSPC);
            EXPECT_EQ(readFile(from), std::string(100000, 'x'));
            EXPECT_EQ(statOf(from).st_ino, before.st_ino);
            EXPECT_TRUE(namesIn(other.path()).empty());
            EXPECT_EQ(namesIn(here.path()), std::set<std::string>{"source.bin"});
        }
    }
}

TEST(PosixFileSystem, CopyGetsANewCreationTimeAndMoveKeepsIt) {
    PosixFileSystem fs;
    TempDir here;
    TempDir other(otherFileSystemBase(here.path())); // without a second file system, a second folder
    if (!xattrsWork(here.path()) || !xattrsWork(other.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    const FileTime created{946684800, 500000000}; // 2000-01-01
    writeFile(here / "a.txt", "abc");
    ASSERT_EQ(fs.setTimes(here / "a.txt", created, std::nullopt), 0);
    ASSERT_EQ(fs.setAttributes(here / "a.txt", AttrHidden | AttrReadOnly, AttrHidden | AttrReadOnly), 0);

    ASSERT_EQ(fs.copyNoReplace(here / "a.txt", other / "copy.txt"), 0);
    FileInfo copy;
    ASSERT_EQ(fs.stat(other / "copy.txt", copy), 0);
    EXPECT_NE(copy.creation, std::optional<FileTime>(created));
    EXPECT_EQ(copy.attributes & (AttrHidden | AttrReadOnly | AttrArchive), AttrHidden | AttrReadOnly | AttrArchive);

    ASSERT_EQ(fs.moveNoReplace(here / "a.txt", other / "moved.txt"), 0);
    FileInfo moved;
    ASSERT_EQ(fs.stat(other / "moved.txt", moved), 0);
    EXPECT_EQ(moved.creation, std::optional<FileTime>(created));
    EXPECT_EQ(moved.attributes & (AttrHidden | AttrReadOnly), AttrHidden | AttrReadOnly);
}

// ---- attributes and times -----------------------------------------------------------------------

TEST(PosixFileSystem, AttributesWithoutStoredValueFollowTheNameAndMode) {
    PosixFileSystem fs;
    TempDir dir;
    writeFile(dir / ".hidden", "");
    writeFile(dir / "plain", "12345");
    ASSERT_EQ(chmod((dir / "plain").c_str(), 0444), 0);
    makeDirs(dir / "sub");
    FileInfo info;
    ASSERT_EQ(fs.stat(dir / ".hidden", info), 0);
    EXPECT_EQ(info.attributes, AttrHidden | AttrArchive);
    ASSERT_EQ(fs.stat(dir / "plain", info), 0);
    EXPECT_EQ(info.attributes, AttrReadOnly | AttrArchive);
    EXPECT_EQ(info.size, 5);
    EXPECT_TRUE(info.isRegular);
    ASSERT_EQ(fs.stat(dir / "sub", info), 0);
    EXPECT_TRUE(info.isDirectory);
    EXPECT_TRUE(info.attributes & AttrDirectory);
    EXPECT_EQ(fs.stat(dir / "missing", info), ENOENT);

    ASSERT_EQ(symlink("plain", (dir / "link").c_str()), 0);
    ASSERT_EQ(fs.stat(dir / "link", info, false), 0);
    EXPECT_TRUE(info.isSymlink);
    ASSERT_EQ(fs.stat(dir / "link", info), 0);
    EXPECT_TRUE(info.isRegular);
    EXPECT_EQ(info.name, "link");
}

TEST(PosixFileSystem, EachAttributeBitSetsAndClears) {
    PosixFileSystem fs;
    TempDir dir;
    if (!xattrsWork(dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    const std::string f = dir / "file.txt";
    writeFile(f, "x");
    for (uint32_t bit : {AttrReadOnly, AttrHidden, AttrSystem, AttrArchive}) {
        SCOPED_TRACE(bit);
        FileInfo before, after;
        ASSERT_EQ(fs.stat(f, before), 0);
        ASSERT_EQ(fs.setAttributes(f, bit, bit), 0);
        ASSERT_EQ(fs.stat(f, after), 0);
        EXPECT_EQ(after.attributes, before.attributes | bit);
        ASSERT_EQ(fs.setAttributes(f, bit, 0), 0);
        ASSERT_EQ(fs.stat(f, after), 0);
        EXPECT_EQ(after.attributes, before.attributes & ~bit);
        ASSERT_EQ(fs.setAttributes(f, bit, before.attributes & bit), 0);
    }
    // The stored value mirrors read-only, and unrelated bits survive a rewrite.
    ASSERT_EQ(fs.setAttributes(f, AttrReadOnly | AttrSystem, AttrReadOnly | AttrSystem), 0);
    std::optional<DosAttrib> dos;
    ASSERT_EQ(readDosAttrib(f, dos), 0);
    ASSERT_TRUE(dos.has_value());
    EXPECT_EQ(dos->attrib & (AttrReadOnly | AttrSystem | AttrArchive), AttrReadOnly | AttrSystem | AttrArchive);
    EXPECT_EQ(statOf(f).st_mode & 0222, 0u);
    ASSERT_EQ(fs.setAttributes(f, AttrReadOnly, 0), 0);
    ASSERT_EQ(readDosAttrib(f, dos), 0);
    EXPECT_EQ(dos->attrib & (AttrReadOnly | AttrSystem), AttrSystem);
}

TEST(PosixFileSystem, ClearingReadOnlyAddsWriteWhereReadIsSetMaskedByUmask) {
    PosixFileSystem fs;
    TempDir dir;
    const std::string f = dir / "f";
    writeFile(f, "");
    ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    const mode_t old = umask(022);
    const int rc = fs.setAttributes(f, AttrReadOnly, 0);
    umask(old);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(statOf(f).st_mode & 0777, 0644u);
    ASSERT_EQ(chmod(f.c_str(), 0755), 0);
    ASSERT_EQ(fs.setAttributes(f, AttrReadOnly, AttrReadOnly), 0);
    EXPECT_EQ(statOf(f).st_mode & 0777, 0555u);
}

TEST(PosixFileSystem, SetTimesWritesCreationAndLastWriteButNeverAccess) {
    PosixFileSystem fs;
    TempDir dir;
    if (!xattrsWork(dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    const std::string f = dir / ".notes";
    writeFile(f, "x");
    const struct timespec at[2] = {{1000000000, 5}, {1000000001, 6}};
    ASSERT_EQ(utimensat(AT_FDCWD, f.c_str(), at, 0), 0);

    ASSERT_EQ(fs.setTimes(f, FileTime{1234567890, 100}, FileTime{1600000000, 999999999}), 0);
    FileInfo info;
    ASSERT_EQ(fs.stat(f, info), 0);
    EXPECT_EQ(info.creation, std::optional<FileTime>(FileTime{1234567890, 100}));
    EXPECT_EQ(info.lastWrite, std::optional<FileTime>(FileTime{1600000000, 999999999}));
    EXPECT_EQ(info.lastAccess, std::optional<FileTime>(FileTime{1000000000, 5}));
    // A first stored value keeps the attributes the file showed before.
    EXPECT_EQ(info.attributes, AttrHidden | AttrArchive);

    ASSERT_EQ(fs.setTimes(f, std::nullopt, FileTime{1700000000, 0}), 0);
    ASSERT_EQ(fs.stat(f, info), 0);
    EXPECT_EQ(info.creation, std::optional<FileTime>(FileTime{1234567890, 100}));
}

TEST(PosixFileSystem, ReadOnlyFileRefusesTimeChangesEvenForRoot) {
    PosixFileSystem fs;
    TempDir dir;
    const std::string f = dir / "f";
    writeFile(f, "x");
    ASSERT_EQ(fs.setTimes(f, std::nullopt, FileTime{1600000000, 0}), 0);
    ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    EXPECT_EQ(fs.setTimes(f, FileTime{1, 0}, FileTime{1700000000, 0}), EACCES);
    FileInfo info;
    ASSERT_EQ(fs.stat(f, info), 0);
    EXPECT_EQ(info.lastWrite, std::optional<FileTime>(FileTime{1600000000, 0}));
    EXPECT_EQ(fs.setTimes(dir / "missing", std::nullopt, FileTime{1, 0}), ENOENT);
}

TEST(PosixFileSystem, MakeDirectoriesCreatesEveryMissingParent) {
    PosixFileSystem fs;
    TempDir dir;
    EXPECT_EQ(fs.makeDirectories(dir / "a/b/c"), 0);
    EXPECT_TRUE(statOf(dir / "a/b/c").st_mode & S_IFDIR);
    EXPECT_EQ(fs.makeDirectories(dir / "a/b/c"), 0);
    writeFile(dir / "file", "");
    EXPECT_EQ(fs.makeDirectories(dir / "file"), ENOTDIR);
    EXPECT_EQ(fs.makeDirectories(dir / "file/sub"), ENOTDIR);
}

TEST(PosixFileSystem, ListDirectorySkipsDotEntriesAndTellsTypes) {
    PosixFileSystem fs;
    TempDir dir;
    writeFile(dir / "f", "");
    makeDirs(dir / "d");
    std::map<std::string, EntryType> seen;
    ASSERT_EQ(fs.listDirectory(dir.path(),
                               [&](const DirEntry& e) {
                                   seen[e.name] = e.type;
                                   return true;
                               }),
              0);
    EXPECT_EQ(seen, (std::map<std::string, EntryType>{{"f", EntryType::File}, {"d", EntryType::Directory}}));
    int calls = 0;
    fs.listDirectory(dir.path(), [&](const DirEntry&) { return ++calls < 1; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(fs.listDirectory(dir / "missing", [](const DirEntry&) { return true; }), ENOENT);
}

// ---- a DOSATTRIB value of another program ------------------------------------------------------

TEST(PosixFileSystem, AForeignDosAttribValueCrossesFileSystemsUnchanged) {
    PosixFileSystem fs;
    TempDir here;
    TempDir other("/dev/shm");
    struct stat a {}, b{};
    if (::stat(here.path().c_str(), &a) != 0 || ::stat(other.path().c_str(), &b) != 0 || a.st_dev == b.st_dev)
        GTEST_SKIP() << "/dev/shm is not another file system here";
    if (!xattrsWork(here.path()) || !xattrsWork(other.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    // Values this program does not read: not its text form, an unknown record layout after good text.
    using namespace std::string_literals;
    const std::string values[] = {"written by another tool"s, "0x20\0\x09\0\x09\0\xde\xad\xbe\xef"s};
    for (const std::string& value : values) {
        for (bool move : {false, true}) {
            SCOPED_TRACE(move ? "move" : "copy");
            writeFile(here / "a.txt", "data");
            ASSERT_TRUE(setUserXattr(here / "a.txt", kDosAttribName, value));
            const int rc = move ? fs.moveNoReplace(here / "a.txt", other / "a.txt")
                                : fs.copyNoReplace(here / "a.txt", other / "a.txt");
            ASSERT_EQ(rc, 0);
            EXPECT_EQ(userXattr(other / "a.txt", kDosAttribName), value);
            unlink((here / "a.txt").c_str());
            unlink((other / "a.txt").c_str());
        }
    }
}

// ---- comparing and appending -------------------------------------------------------------------

TEST(PosixFileSystem, CompareContentsReadsBothAndRefusesWhatIsNoFile) {
    PosixFileSystem fs;
    TempDir dir;
    const std::string big(300'000, 'x');
    std::string lastByteOff = big;
    lastByteOff.back() = 'y';
    writeFile(dir / "big", big);
    writeFile(dir / "big-same", big);
    writeFile(dir / "big-last-off", lastByteOff);
    writeFile(dir / "short", "x");
    writeFile(dir / "empty1", "");
    writeFile(dir / "empty2", "");
    ASSERT_EQ(symlink("big", (dir / "link-to-big").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    struct Case {
        const char* source;
        const char* copy;
        int rc;
        bool equal;
    } cases[] = {
        {"big", "big-same", 0, true},
        {"big", "big-last-off", 0, false},
        {"big", "short", 0, false},
        {"empty1", "empty2", 0, true},
        {"link-to-big", "big-same", 0, true}, // the source is read where it points
        {"big-same", "link-to-big", ELOOP, false},
        {"big", "pipe", EINVAL, false}, // and it does not wait for a writer
        {"pipe", "big", EINVAL, false},
        {"big", "missing", ENOENT, false},
    };
    for (const Case& c : cases) {
        bool equal = !c.equal;
        EXPECT_EQ(fs.compareContents(dir / c.source, dir / c.copy, equal), c.rc) << c.source << " " << c.copy;
        EXPECT_EQ(equal, c.equal) << c.source << " " << c.copy;
    }
}

TEST(PosixFileSystem, AppendLineEndsTheLastLineFirstAndCreatesNothing) {
    PosixFileSystem fs;
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {"a\r\nb\r\n", "a\r\nb\r\nnote\r\n"},
        {"a\r\nb", "a\r\nb\r\nnote\r\n"},
        {"", "note\r\n"},
    };
    for (const auto& [before, after] : cases) {
        writeFile(dir / "h.txt", before);
        EXPECT_EQ(fs.appendLine(dir / "h.txt", "note"), 0);
        EXPECT_EQ(readFile(dir / "h.txt"), after);
    }
    EXPECT_EQ(fs.appendLine(dir / "missing.txt", "note"), ENOENT);
    EXPECT_FALSE(pathExists(dir / "missing.txt"));
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(fs.appendLine(dir / "pipe", "note"), EINVAL);
}

// ---- changes that hand back the state after -----------------------------------------------------

namespace {

// The same changes by path, through the interface's own stat, setTimes and setAttributes.
class PathOnlyFileSystem : public PosixFileSystem {
public:
    int changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) override {
        return FileSystem::changeTimes(path, decide, after);
    }
    int changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                         std::optional<FileInfo>* after) override {
        return FileSystem::changeAttributes(path, mask, values, after);
    }
};

void expectSameInfo(const FileInfo& a, const FileInfo& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.size, b.size);
    EXPECT_EQ(a.creation, b.creation);
    EXPECT_EQ(a.lastWrite, b.lastWrite);
    EXPECT_EQ(a.lastAccess, b.lastAccess);
    EXPECT_EQ(a.attributes, b.attributes);
    EXPECT_EQ(a.mode, b.mode);
}

} // namespace

TEST(PosixFileSystem, ChangesHandBackTheStateAfterAsStatReadsIt) {
    TempDir dir;
    if (!xattrsWork(dir.path()))
        GTEST_SKIP() << "user extended attributes unsupported here";
    PosixFileSystem direct;
    PathOnlyFileSystem byPath;
    for (FileSystem* fs : {static_cast<FileSystem*>(&direct), static_cast<FileSystem*>(&byPath)}) {
        SCOPED_TRACE(fs == &direct ? "through a descriptor" : "by path");
        const std::string f = dir / "f.txt";
        writeFile(f, "abc");
        ASSERT_EQ(fs->setTimes(f, std::nullopt, FileTime{1600000000, 7}), 0);
        std::optional<FileInfo> after;
        FileInfo info;

        const int rc = fs->changeTimes(
            f,
            [](const FileInfo& before, std::optional<FileTime>& c, std::optional<FileTime>& w) {
                EXPECT_EQ(before.lastWrite, std::optional<FileTime>(FileTime{1600000000, 7}));
                c = FileTime{1234567890, 0};
                w = FileTime{1700000000, 0};
                return 0;
            },
            &after);
        ASSERT_EQ(rc, 0);
        ASSERT_TRUE(after.has_value());
        ASSERT_EQ(fs->stat(f, info), 0);
        expectSameInfo(*after, info);
        EXPECT_EQ(info.creation, std::optional<FileTime>(FileTime{1234567890, 0}));

        // A refusal writes nothing and still tells the state.
        auto refuse = [](const FileInfo&, std::optional<FileTime>& c, std::optional<FileTime>&) {
            c = FileTime{1, 0};
            return EINVAL;
        };
        EXPECT_EQ(fs->changeTimes(f, refuse, &after), EINVAL);
        ASSERT_TRUE(after.has_value());
        expectSameInfo(*after, info);

        ASSERT_EQ(fs->changeAttributes(f, AttrReadOnly | AttrHidden, AttrReadOnly | AttrHidden, &after), 0);
        ASSERT_TRUE(after.has_value());
        ASSERT_EQ(fs->stat(f, info), 0);
        expectSameInfo(*after, info);
        EXPECT_EQ(info.attributes, AttrReadOnly | AttrHidden | AttrArchive);

        auto keep = [](const FileInfo&, std::optional<FileTime>&, std::optional<FileTime>& w) {
            w = FileTime{1, 0};
            return 0;
        };
        EXPECT_EQ(fs->changeTimes(f, keep, &after), EACCES);
        ASSERT_TRUE(after.has_value());
        EXPECT_EQ(after->lastWrite, info.lastWrite);

        EXPECT_EQ(fs->changeAttributes(dir / "missing", AttrHidden, 0, &after), ENOENT);
        EXPECT_FALSE(after.has_value());
        EXPECT_EQ(fs->changeTimes(dir / "missing", keep, &after), ENOENT);
        EXPECT_FALSE(after.has_value());
        ASSERT_EQ(chmod(f.c_str(), 0644), 0);
        ASSERT_EQ(unlink(f.c_str()), 0);
    }
}
