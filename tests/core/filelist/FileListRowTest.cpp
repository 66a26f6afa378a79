#include "filelist/FileListRow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

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
    DateTextMemo memo;
    for (int64_t sec : {1680674829, 1680674829, -1, 978307200, 981079322, 1680674829, 1046660584, 1081051444, 283996800,
                        -1, 981079322})
        for (int32_t nsec : {0, 999'999'999}) {
            const auto t = sec < 0 ? std::nullopt : std::optional<FileTime>(FileTime{sec, nsec});
            EXPECT_EQ(memo.text(t), DateColumnText(t)) << sec;
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
    EXPECT_EQ(row.sizeText, "4KB");
    EXPECT_EQ(row.extensionText, "TXT");
    EXPECT_EQ(row.createdText, "(不明)");
    EXPECT_EQ(row.attributeText, "      A");
    EXPECT_EQ(row.remarks, " ");
    EXPECT_TRUE(row.hasIcon);

    info.size = 3LL << 30;
    info.attributes = AttrReadOnly;
    row.remarks = "OK";
    refreshRowFromInfo(row, info);
    EXPECT_EQ(row.size, 3LL << 30);
    EXPECT_EQ(row.sizeText, "3145728KB");
    EXPECT_EQ(row.attributeText, "R      ");
    EXPECT_EQ(row.remarks, "OK");
    EXPECT_EQ(row.name, "Report.Final.Txt");
}

TEST(FileListRow, rowCountStatusText) {
    EXPECT_EQ(rowCountStatusText(0), "0 個のファイルがリストアップされています。");
    EXPECT_EQ(rowCountStatusText(12345), "12345 個のファイルがリストアップされています。");
}

} // namespace
} // namespace rinoza
