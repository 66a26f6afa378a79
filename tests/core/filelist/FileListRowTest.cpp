#include "filelist/FileListRow.h"

#include "filelist/FileList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace rinoza {
namespace {

TEST(FileListRow, sizeTextCountsWholeKilobytes) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0KB"},       {1, "1KB"},       {1023, "1KB"}, {1024, "1KB"}, {1535, "1KB"}, {2047, "1KB"},
        {2048, "2KB"},    {1048576, "1024KB"}, {3LL << 30, "3145728KB"}, {(1LL << 40) + 5, "1073741824KB"}};
    for (auto [bytes, text] : cases)
        EXPECT_EQ(SizeText(bytes), text) << bytes;
    EXPECT_EQ(SizeKb(1500), SizeKb(1800));
}

TEST(FileListRow, extensionTextIsTheUpperCasedTailAfterTheLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.tar.gz", "GZ"}, {".profile", "PROFILE"}, {"README", ""}, {"a.Txt", "TXT"}, {"a.", ""},
        {"写真.jpeg", "JPEG"}, {"x.ä", "Ä"}};
    for (auto [name, ext] : cases)
        EXPECT_EQ(ExtensionText(name), ext) << name;
}

class DateColumnTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = getenv("TZ");
        m_hadTz = tz != nullptr;
        if (tz)
            m_tz = tz;
        setenv("TZ", "UTC0", 1);
        tzset();
    }
    void TearDown() override {
        if (m_hadTz)
            setenv("TZ", m_tz.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static FileTime utc(int y, int mo, int d, int h, int mi, int s) {
        tm t{};
        t.tm_year = y - 1900;
        t.tm_mon = mo - 1;
        t.tm_mday = d;
        t.tm_hour = h;
        t.tm_min = mi;
        t.tm_sec = s;
        return FileTime{static_cast<int64_t>(timegm(&t)), 0};
    }

private:
    bool m_hadTz = false;
    std::string m_tz;
};

TEST_F(DateColumnTextTest, formatsDosGrainAndMarksUnknownTimes) {
    EXPECT_EQ(DateColumnText(utc(2023, 4, 5, 6, 7, 9)), "2023/04/05 06:07:08"); // two-second grain
    EXPECT_EQ(DateColumnText(utc(2023, 4, 5, 0, 0, 0)), "2023/04/05");          // midnight: the date alone
    EXPECT_EQ(DateColumnText(utc(2023, 4, 5, 0, 0, 1)), "2023/04/05");          // rounds down to midnight
    EXPECT_EQ(DateColumnText(utc(1980, 1, 1, 0, 0, 2)), "1980/01/01 00:00:02");
    EXPECT_EQ(DateColumnText(utc(2107, 12, 31, 23, 59, 59)), "2107/12/31 23:59:58");
    EXPECT_EQ(DateColumnText(utc(1979, 12, 31, 23, 59, 59)), "(不明)");
    EXPECT_EQ(DateColumnText(utc(2108, 1, 1, 0, 0, 0)), "(不明)");
    EXPECT_EQ(DateColumnText(std::nullopt), "(不明)");
}

TEST_F(DateColumnTextTest, theMemoGivesWhatTheColumnRuleGives) {
    // Repeats, a fraction of a second, unknown times, and more moments than the memo holds.
    DateColumnMemo memo;
    for (int64_t sec : {1680674829, 1680674829, -1, 978307200, 981079322, 1680674829, 1046660584, 1081051444, 283996800,
                        -1, 981079322})
        for (int32_t nsec : {0, 999'999'999}) {
            const auto t = sec < 0 ? std::nullopt : std::optional<FileTime>(FileTime{sec, nsec});
            EXPECT_EQ(DateColumnDateText(memo.date(t)), DateColumnText(t)) << sec;
        }
}

// The texts rows were given when they were made, by the C library's formatting: the local time at
// the two-second grain, the date alone at midnight, "(不明)" outside 1980 to 2107.
std::string textMadeAtIntake(const FileTime& t) {
    const time_t s = static_cast<time_t>(t.sec);
    tm lt{};
    localtime_r(&s, &lt);
    lt.tm_sec = lt.tm_sec / 2 * 2;
    char buf[32] = "(不明)";
    if (lt.tm_year >= 80 && lt.tm_year <= 207)
        strftime(buf, sizeof buf, lt.tm_hour || lt.tm_min || lt.tm_sec ? "%Y/%m/%d %H:%M:%S" : "%Y/%m/%d", &lt);
    return buf;
}

TEST_F(DateColumnTextTest, aRowShowsTheDateTextsItsFileWasGivenAtIntake) {
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "<+1345>-13:45"}) {
        setenv("TZ", zone, 1);
        tzset();
        DateColumnMemo memo;
        // Every three days, two hours and a few seconds from 1979 to 2108: each field of a date passes
        // through its range, and each column has a time of its own.
        for (int64_t sec = 300'000'000; sec < 4'360'000'000; sec += 266'417) {
            FileInfo info;
            info.creation = FileTime{sec, 0};
            info.lastWrite = FileTime{sec + 86'401, 999'999'999};
            info.lastAccess = FileTime{sec - 46'800, 0};
            const FileListRow row = makeFileListRow(info, "/d", false, sec % 2 ? &memo : nullptr);
            ASSERT_EQ(row.createdText(), textMadeAtIntake(*info.creation)) << zone << " " << sec;
            ASSERT_EQ(row.updatedText(), textMadeAtIntake(*info.lastWrite)) << zone << " " << sec;
            ASSERT_EQ(row.accessedText(), textMadeAtIntake(*info.lastAccess)) << zone << " " << sec;
        }
    }
}

TEST_F(DateColumnTextTest, theListSortsByTheTextsADateOrAttributeColumnShows) {
    const std::optional<FileTime> unknown, y1999{{946684799, 0}}, midnight{{1622505600, 0}},
        afterMidnight{{1622505602, 0}}, y2107{{4323319200, 0}};
    const std::array<std::optional<FileTime>, 3> times[] = {{midnight, unknown, y2107},
                                                            {unknown, y1999, afterMidnight},
                                                            {afterMidnight, midnight, y1999},
                                                            {y1999, y2107, unknown}};
    const uint32_t attributes[] = {AttrReadOnly, AttrArchive, AttrHidden, 0};
    // "(不明)" < "1999/12/31 23:59:58" < "2021/06/01" < "2021/06/01 00:00:02" < "2107/01/01 10:00:00";
    // a blank comes before a letter.
    const std::pair<FileListColumn, const char*> cases[] = {
        {ColCreated, "bdac"}, {ColUpdated, "abcd"}, {ColAccessed, "dcba"}, {ColAttr, "dbca"}};
    for (auto [column, ascending] : cases) {
        FileList list;
        for (std::size_t i = 0; i < std::size(times); ++i) {
            FileInfo info;
            info.name = std::string(1, static_cast<char>('a' + i));
            info.creation = times[i][0];
            info.lastWrite = times[i][1];
            info.lastAccess = times[i][2];
            info.attributes = attributes[i];
            list.addRow(makeFileListRow(info, "/d", false));
        }
        // Ascending, then descending.
        std::string order = ascending;
        for (int click = 0; click < 2; ++click, std::reverse(order.begin(), order.end())) {
            list.sortByColumn(column);
            std::string names;
            for (const FileListRow& r : list.rows())
                names += r.name;
            EXPECT_EQ(names, order) << column;
        }
    }
}

TEST(FileListRow, attributeTextHasFourFixedSlots) {
    EXPECT_EQ(AttributeText(AttrReadOnly | AttrHidden | AttrSystem | AttrArchive), "RHSA");
    EXPECT_EQ(AttributeText(AttrArchive), "      A");
    EXPECT_EQ(AttributeText(AttrReadOnly | AttrHidden), "RH    ");
    EXPECT_EQ(AttributeText(0), "        ");
    EXPECT_EQ(AttributeText(AttrDirectory | AttrSystem), "    S  ");
}

TEST(FileListRow, makeAndRefreshFillEveryColumn) {
    FileInfo info;
    info.name = "Report.Final.Txt";
    info.size = 5000;
    info.attributes = AttrArchive;
    FileListRow row = makeFileListRow(info, "/data", true);
    EXPECT_EQ(row.name, "Report.Final.Txt");
    EXPECT_EQ(row.folder, "/data");
    EXPECT_EQ(row.sizeText(), "4KB");
    EXPECT_EQ(row.extensionText(), "TXT");
    EXPECT_EQ(row.createdText(), "(不明)");
    EXPECT_EQ(row.attributeText(), "      A");
    EXPECT_EQ(row.remarks, " ");
    EXPECT_TRUE(row.hasIcon);

    info.size = 3LL << 30;
    info.attributes = AttrReadOnly;
    row.remarks = "OK";
    refreshRowFromInfo(row, info);
    EXPECT_EQ(row.size, 3LL << 30);
    EXPECT_EQ(row.sizeText(), "3145728KB");
    EXPECT_EQ(row.attributeText(), "R      ");
    EXPECT_EQ(row.remarks, "OK");
    EXPECT_EQ(row.name, "Report.Final.Txt");

    // The extension follows the name; a row without details shows no column of them.
    row.name = "report.md";
    EXPECT_EQ(row.extensionText(), "MD");
    row.detailed = false;
    for (const std::string& text : {row.sizeText(), row.extensionText(), row.createdText(), row.updatedText(),
                                    row.accessedText(), row.attributeText()})
        EXPECT_EQ(text, "");
}

TEST(FileListRow, rowCountStatusText) {
    EXPECT_EQ(rowCountStatusText(0), "0 個のファイルがリストアップされています。");
    EXPECT_EQ(rowCountStatusText(12345), "12345 個のファイルがリストアップされています。");
}

} // namespace
} // namespace rinoza
