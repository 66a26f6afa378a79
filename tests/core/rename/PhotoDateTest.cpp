#include "rename/PhotoDate.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool sh(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// An 8x8 picture made by ImageMagick, given the named tags by ExifTool ("-DateTimeOriginal=...").
void makePhoto(const std::string& path, const std::string& exiftoolArgs, const std::string& size = "8x8") {
    ASSERT_TRUE(sh("convert -size " + size + " xc:red '" + path + "'"));
    if (!exiftoolArgs.empty()) {
        ASSERT_TRUE(sh("exiftool -q -overwrite_original " + exiftoolArgs + " '" + path + "'"));
    }
}

// Overwrites the TIFF header of the EXIF block, so the block cannot be decoded.
void corruptExif(const std::string& path) {
    std::string bytes = test::readFile(path);
    const auto at = bytes.find(std::string("Exif\0\0", 6));
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + 6, 8, "ZZ\xff\xff\xff\xff\xff\xff");
    test::writeFile(path, bytes);
}

constexpr const char* kAll =
    "-DateTimeOriginal='2021:05:04 10:11:13' -CreateDate='2020:01:02 03:04:05' -ModifyDate='2019:06:07 08:09:10'";

} // namespace

TEST(PhotoDate, TheFirstTagPresentGivesTheDateTaken) {
    if (!haveTool("convert") || !haveTool("exiftool"))
        GTEST_SKIP() << "ImageMagick's convert and ExifTool are needed";
    TempDir dir;
    const struct {
        const char* name;
        std::string tags;
        bool corrupt;
        std::optional<LocalDateTime> expected;
        std::string size = "8x8";
    } rows[] = {
        {"all.jpg", kAll, false, LocalDateTime{2021, 5, 4, 10, 11, 13, 0}},
        {"digitized.jpg", "-CreateDate='2020:01:02 03:04:05' -ModifyDate='2019:06:07 08:09:10'", false,
         LocalDateTime{2020, 1, 2, 3, 4, 5, 0}},
        {"ifd0.jpg", "-ModifyDate='2019:06:07 08:09:10'", false, LocalDateTime{2019, 6, 7, 8, 9, 10, 0}},
        {"zeroed.jpg", "-DateTimeOriginal='0000:00:00 00:00:00' -ModifyDate='2019:06:07 08:09:10'", false,
         LocalDateTime{2019, 6, 7, 8, 9, 10, 0}},
        {"none.jpg", "", false, std::nullopt},
        {"corrupt.jpg", kAll, true, std::nullopt},
        {"photo.png", "-DateTimeOriginal='2022:11:12 23:58:59'", false, LocalDateTime{2022, 11, 12, 23, 58, 59, 0}},
        {"photo.tif", "-DateTimeOriginal='2018:02:28 12:00:01'", false, LocalDateTime{2018, 2, 28, 12, 0, 1, 0}},
        {"photo.webp", "-DateTimeOriginal='2017:03:04 05:06:07'", false, LocalDateTime{2017, 3, 4, 5, 6, 7, 0}},
        // Larger than the start read first and dated by a lesser tag: read again in full.
        {"large.tif", "-CreateDate='2015:04:05 06:07:08'", false, LocalDateTime{2015, 4, 5, 6, 7, 8, 0}, "400x400"},
    };
    for (const auto& row : rows) {
        makePhoto(dir / row.name, row.tags, row.size);
        if (row.corrupt)
            corruptExif(dir / row.name);
        EXPECT_EQ(photoDateTaken(systemFileSystem(), dir / row.name), row.expected) << row.name;
    }
    test::writeFile(dir / "notes.jpg", "not a picture at all\n");
    EXPECT_EQ(photoDateTaken(systemFileSystem(), dir / "notes.jpg"), std::nullopt);
    EXPECT_EQ(photoDateTaken(systemFileSystem(), dir / "missing.jpg"), std::nullopt);
}

TEST(PhotoDate, ExifDateTexts) {
    const struct {
        const char* text;
        std::optional<LocalDateTime> expected;
    } rows[] = {
        {"2024:02:29 23:59:59", LocalDateTime{2024, 2, 29, 23, 59, 59, 0}},
        {"2024-02-29T01:02:03", LocalDateTime{2024, 2, 29, 1, 2, 3, 0}},
        {"2023:02:29 00:00:00", std::nullopt},
        {"0000:00:00 00:00:00", std::nullopt},
        {"    :  :     :  :  ", std::nullopt},
        {"2024:01:01 24:00:00", std::nullopt},
        {"2024:01:01", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(parseExifDateTime(row.text), row.expected) << row.text;
}

TEST(PhotoDate, AFileWithoutOneTakesItsUpdateTimeAndTheRowSaysSo) {
    if (!haveTool("convert") || !haveTool("exiftool"))
        GTEST_SKIP() << "ImageMagick's convert and ExifTool are needed";
    TempDir dir;
    makePhoto(dir / "taken.jpg", "-DateTimeOriginal='2021:05:04 10:11:13'");
    makePhoto(dir / "plain.jpg", "");
    FixedClock clock(LocalDateTime{2026, 12, 6, 13, 45, 9, 0});
    NameBuilder builder(
        clock,
        [](const std::string&, FileDateKind) {
            return std::optional(LocalDateTime{2025, 7, 8, 9, 10, 12, 0});
        },
        [](const std::string& path) { return photoDateTaken(systemFileSystem(), path); });
    RenameRuleSet r = RenameRuleSet::defaults();
    r.elements[7].checked = true;
    r.dateTime = kDateTakenDateTime;
    int32_t counter = 1;
    PhotoDateMemo memo;
    // Seconds of a date taken are kept as the camera wrote them.
    EXPECT_EQ(builder.BuildNewName(r, "taken.jpg", dir.path(), false, counter, &memo), "taken.jpg2021_05_0410_11_13");
    EXPECT_FALSE(memo.usedUpdateTime);
    memo = {};
    EXPECT_EQ(builder.BuildNewName(r, "plain.jpg", dir.path(), false, counter, &memo), "plain.jpg2025_07_0809_10_12");
    EXPECT_TRUE(memo.usedUpdateTime);
    r.dateTime = kDateTakenDate;
    EXPECT_EQ(builder.BuildNewName(r, "plain.jpg", dir.path(), false, counter, &memo), "plain.jpg2025_07_08");
    // A name built without the date taken clears the note.
    r.dateTime = 8;
    builder.BuildNewName(r, "plain.jpg", dir.path(), false, counter, &memo);
    EXPECT_FALSE(memo.usedUpdateTime);
}

TEST(PhotoDate, ReadOncePerRowAndNeverForTheExample) {
    FixedClock clock(LocalDateTime{2026, 12, 6, 13, 45, 9, 0});
    int reads = 0;
    NameBuilder builder(clock, {}, [&](const std::string&) {
        ++reads;
        return std::optional(LocalDateTime{2021, 5, 4, 10, 11, 13, 0});
    });
    RenameRuleSet r = RenameRuleSet::defaults();
    r.elements[7].checked = true;
    r.dateTime = kDateTakenDateTime;
    int32_t counter = 1;
    PhotoDateMemo memo;
    // A preview, then a run over the same row.
    for (int pass = 0; pass < 2; ++pass)
        EXPECT_EQ(builder.BuildNewName(r, "a.jpg", "/p", false, counter, &memo), "a.jpg2021_05_0410_11_13");
    EXPECT_EQ(reads, 1);
    for (int entry : {kDateTakenDate, kDateTakenDateTime}) {
        r.dateTime = entry;
        EXPECT_EQ(builder.BuildNewName(r, "abcde.xyz", "[フォルダ名]", true, counter),
                  entry == kDateTakenDate ? "abcde.xyz2026_12_06" : "abcde.xyz2026_12_0613_45_09");
    }
    EXPECT_EQ(reads, 1);
}

TEST(PhotoDate, MemosAreKnownByTheFileAndItsLastChange) {
    PhotoDateMemos memos;
    FileStamp a{true, 5, 10, FileTime{100, 1}, 0};
    FileStamp sameFileWrittenSince = a;
    sameFileWrittenSince.changed.nsec = 2;
    FileStamp otherFile = a;
    otherFile.ino = 11;
    memos.memoFor(a)->known = true;
    EXPECT_TRUE(memos.memoFor(a)->known);
    EXPECT_FALSE(memos.memoFor(sameFileWrittenSince)->known);
    EXPECT_FALSE(memos.memoFor(otherFile)->known);
    EXPECT_EQ(memos.memoFor(FileStamp{}), nullptr); // nothing read of the file: nothing to know it by
    EXPECT_EQ(memos.size(), 3u);
}
