#include "platform/posix/StatxInfo.h"

#include "platform/posix/DosAttrib.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

struct statx statxOf(const std::string& path, bool followLinks = true) {
    struct statx sx {};
    EXPECT_EQ(
        statx(AT_FDCWD, path.c_str(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx), 0)
        << path;
    return sx;
}

bool storeDosAttrib(const std::string& path, const std::string& value) {
    return setxattr(path.c_str(), kDosAttribName, value.data(), value.size(), 0) == 0;
}

} // namespace

TEST(StatxInfo, FillsKindSizeIdentityTimesAndNameBits) {
    TempDir dir;
    writeFile(dir / ".conf", "12345");
    ASSERT_EQ(chmod((dir / ".conf").c_str(), 0444), 0);
    ASSERT_EQ(symlink(".conf", (dir / "link").c_str()), 0);
    struct stat st {};
    ASSERT_EQ(::stat((dir / ".conf").c_str(), &st), 0);

    FileInfo info;
    info.name = ".conf";
    fillFileInfo(statxOf(dir / ".conf"), info);
    EXPECT_TRUE(info.isRegular);
    EXPECT_FALSE(info.isDirectory || info.isSymlink);
    EXPECT_EQ(info.size, 5);
    EXPECT_EQ(info.dev, st.st_dev);
    EXPECT_EQ(info.ino, st.st_ino);
    EXPECT_EQ(info.mode, st.st_mode);
    EXPECT_EQ(info.lastWrite,
              std::optional<FileTime>(FileTime{st.st_mtim.tv_sec, static_cast<int32_t>(st.st_mtim.tv_nsec)}));
    EXPECT_EQ(info.lastAccess,
              std::optional<FileTime>(FileTime{st.st_atim.tv_sec, static_cast<int32_t>(st.st_atim.tv_nsec)}));
    EXPECT_EQ(info.attributes, AttrHidden | AttrReadOnly | AttrArchive);

    FileInfo link;
    link.name = "link";
    fillFileInfo(statxOf(dir / "link", false), link);
    EXPECT_TRUE(link.isSymlink);
    EXPECT_FALSE(link.isRegular);

    // Without a birth time from the file system the creation time stays what it was.
    struct statx sx = statxOf(dir / ".conf");
    sx.stx_mask &= ~static_cast<uint32_t>(STATX_BTIME);
    FileInfo noBirth;
    noBirth.creation = FileTime{7, 8};
    fillFileInfo(sx, noBirth);
    EXPECT_EQ(noBirth.creation, std::optional<FileTime>(FileTime{7, 8}));
}

TEST(StatxInfo, StoredValueOverlaysHiddenSystemArchiveAndCreation) {
    TempDir dir;
    writeFile(dir / "probe", "");
    if (!storeDosAttrib(dir / "probe", "0x20"))
        GTEST_SKIP() << "user extended attributes unsupported here";

    DosAttrib withTime;
    withTime.attrib = AttrHidden | AttrSystem;
    withTime.createTime = FileTime{946684800, 0};
    const std::string record = encodeDosAttrib(withTime);
    const FileTime seen{1, 2}; // the creation time before the overlay
    const struct {
        const char* what;
        std::optional<std::string> stored;
        uint32_t attributes; // of a writable file named "f"
        FileTime creation;
    } cases[] = {
        {"none stored", std::nullopt, AttrArchive, seen},
        {"text only", std::string("0x2"), AttrHidden, seen},
        {"read-only bit stored is not taken", std::string("0x1"), 0, seen},
        {"record with creation", record, AttrHidden | AttrSystem, *withTime.createTime},
        {"longer than the first read", record + std::string(400, '\0'), AttrHidden | AttrSystem, *withTime.createTime},
        {"malformed", std::string("junk"), AttrArchive, seen},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string f = dir / ("f" + std::to_string(n++));
        writeFile(f, "x");
        if (c.stored) {
            ASSERT_TRUE(storeDosAttrib(f, *c.stored));
        }
        FileInfo info;
        info.name = "f";
        fillFileInfo(statxOf(f), info);
        info.creation = seen;
        overlayDosAttrib(f, info);
        EXPECT_EQ(info.attributes, c.attributes);
        EXPECT_EQ(info.creation, std::optional<FileTime>(c.creation));
    }

    // Through a link the target's value counts; the link itself has none.
    ASSERT_EQ(symlink("f1", (dir / "link").c_str()), 0);
    FileInfo viaLink;
    viaLink.attributes = AttrArchive;
    overlayDosAttrib(dir / "link", viaLink);
    EXPECT_EQ(viaLink.attributes, AttrHidden);
    FileInfo linkItself;
    linkItself.attributes = AttrArchive;
    overlayDosAttrib(dir / "link", linkItself, false);
    EXPECT_EQ(linkItself.attributes, AttrArchive);
}
