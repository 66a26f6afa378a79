#include "run/HistoryFile.h"

#include "common/TextCodec.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

// Width of a text in the Windows code page: 1 for ASCII and half-width katakana, 2 otherwise.
int cp932Width(std::string_view s) {
    int w = 0;
    forEachNameChar(s, [&](const NameChar& c) {
        w += c.width;
        return true;
    });
    return w;
}

std::string dataFile(const std::string& name) {
    if (const char* dir = std::getenv("RINOZA_TEST_SOURCE_DIR"))
        return std::string(dir) + "/core/run/data/" + name;
    std::string here = __FILE__;
    return here.substr(0, here.rfind('/')) + "/data/" + name;
}

} // namespace

TEST(HistoryFile, FixedLinesAreFortyWideAndTheDateLineToo) {
    auto lines = history::headerLines(LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameOnly);
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8})
        EXPECT_EQ(cp932Width(lines[i]), 40) << "line " << i + 1 << ": " << lines[i];
    EXPECT_EQ(lines[9], "[Changed]");
}

TEST(HistoryFile, DateLineUsesJapaneseWeekdaysWhateverTheLocale) {
    struct Case {
        LocalDateTime t;
        const char* line;
    };
    const Case cases[] = {
        {{2026, 12, 6, 19, 42, 59, 0}, "{                 2026/12/06(日) 19:42 }"},
        {{2026, 12, 7, 0, 0, 0, 0}, "{                 2026/12/07(月) 00:00 }"},
        {{2000, 2, 29, 9, 5, 0, 0}, "{                 2000/02/29(火) 09:05 }"},
        {{1999, 12, 31, 23, 59, 0, 0}, "{                 1999/12/31(金) 23:59 }"},
        {{2027, 1, 2, 12, 30, 0, 0}, "{                 2027/01/02(土) 12:30 }"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(history::dateLine(c.t), c.line);
}

TEST(HistoryFile, WriterOutputMatchesTheExpectedFileByteForByte) {
    TempDir dir;
    std::string path = dir / "rinoza.txt";
    rinoza::test::writeFile(path, "old content that must disappear, much longer than the new file would be........"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................"
                                  "................................................................................");
    HistoryFile h;
    ASSERT_EQ(h.create(path, LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameAndCopy), 0);
    ASSERT_EQ(h.addRecord("/home/user/写真/abc.txt", "/srv/backup/001 新しい.txt"), 0);
    ASSERT_EQ(h.addRecord("/home/user/写真/.hidden", "/srv/backup/002"), 0);
    // Records reach the file at once, not only at close.
    EXPECT_NE(rinoza::test::readFile(path).find("[A]/srv/backup/002\r\n"), std::string::npos);
    ASSERT_EQ(h.close(), 0);

    std::string expected;
    ASSERT_TRUE(rinoza::test::readFile(dataFile("expected-history.txt"), expected));
    EXPECT_EQ(rinoza::test::readFile(path), expected);
}

TEST(HistoryFile, MethodLinesAndDropOfTheLastRecord) {
    TempDir dir;
    std::string path = dir / "h.txt";
    const std::pair<RenameMethod, const char*> methods[] = {
        {RenameMethod::RenameOnly, "[Changed]"},
        {RenameMethod::RenameAndCopy, "[Copyed]"},
        {RenameMethod::RenameAndMove, "[Moved]"},
    };
    for (auto [method, text] : methods) {
        HistoryFile h;
        ASSERT_EQ(h.create(path, LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, method), 0);
        ASSERT_EQ(h.addRecord("/a/1", "/a/2"), 0);
        ASSERT_EQ(h.addRecord("/a/3", "/a/4"), 0);
        ASSERT_EQ(h.dropLastRecord(), 0);
        ASSERT_EQ(h.addRecord("/a/5", "/a/6"), 0);
        ASSERT_EQ(h.close(), 0);
        std::vector<std::string> lines;
        ASSERT_EQ(HistoryFile::read(path, lines), 0);
        ASSERT_EQ(lines.size(), 14u);
        EXPECT_EQ(lines[9], text);
        EXPECT_EQ(lines[10], "[B]/a/1");
        EXPECT_EQ(lines[11], "[A]/a/2");
        EXPECT_EQ(lines[12], "[B]/a/5");
        EXPECT_EQ(lines[13], "[A]/a/6");
    }
}

TEST(HistoryFile, PathsThatAreNotUtf8ComeBackUnchanged) {
    TempDir dir;
    std::string path = dir / "h.txt";
    const std::string latin1 = dir / "caf\xE9.txt";          // not UTF-8
    const std::string sjis = dir / "\x83\x65\x83\x58\x83\x67"; // テスト in Shift-JIS
    HistoryFile h;
    ASSERT_EQ(h.create(path, LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameOnly), 0);
    ASSERT_EQ(h.addRecord(latin1, dir / "新.txt"), 0);
    ASSERT_EQ(h.addRecord(sjis, dir / "with\rcr"), 0);
    ASSERT_EQ(h.close(), 0);
    std::vector<std::string> lines;
    ASSERT_EQ(HistoryFile::read(path, lines), 0);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], history::kTitleLine);
    EXPECT_EQ(lines[10], "[B]" + latin1);
    EXPECT_EQ(lines[11], "[A]" + (dir / "新.txt"));
    EXPECT_EQ(lines[12], "[B]" + sjis);
    EXPECT_EQ(lines[13], "[A]" + (dir / "with\rcr"));
}

TEST(HistoryFile, WindowsCodePageFileIsConverted) {
    TempDir dir;
    std::string path = dir / "h.txt";
    // Title and a comment line in Shift-JIS, records with ASCII paths.
    std::string title = "{---------\x81\x83\x95\xCF\x8D\x58\x97\x9A\x97\xF0\x83\x74\x83\x40\x83\x43\x83\x8B\x81\x84"
                        "---------}";
    std::string noEdit = "{\x81\xA6\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCD\x92\xBC\x90\xDA\x95\xD2"
                         "\x8F\x57\x82\xB5\x82\xC8\x82\xA2\x82\xC5\x89\xBA\x82\xB3\x82\xA2}";
    rinoza::test::writeFile(path, title + "\r\n" + noEdit + "\r\n[Changed]\r\n[B]/x/a.txt\r\n[A]/x/b.txt\r\n");
    std::vector<std::string> lines;
    ASSERT_EQ(HistoryFile::read(path, lines), 0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], history::kTitleLine);
    EXPECT_EQ(lines[1], history::kDoNotEditLine);
    EXPECT_EQ(lines[3], "[B]/x/a.txt");

    // Without the known title the bytes are kept as they are.
    rinoza::test::writeFile(path, noEdit + "\r\n[B]/x/\x83\x65.txt\r\n");
    ASSERT_EQ(HistoryFile::read(path, lines), 0);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], noEdit);
    EXPECT_EQ(lines[1], "[B]/x/\x83\x65.txt");
}

TEST(HistoryFile, SplittingCountsALastLineWithoutBreak) {
    struct Case {
        std::string content;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {}},
        {"\r\n", {""}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\r\r\nb\r\n\r\n", {"a\r", "b", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HistoryFile::splitContent(c.content), c.lines) << c.content;
}

TEST(HistoryFile, ErrorsAreReported) {
    TempDir dir;
    HistoryFile h;
    EXPECT_EQ(h.create(dir / "missing/h.txt", LocalDateTime{}, RenameMethod::RenameOnly), ENOENT);
    EXPECT_FALSE(h.isOpen());
    EXPECT_EQ(h.addRecord("/a", "/b"), EBADF);
    // A full disk: the header cannot be written.
    EXPECT_EQ(h.create("/dev/full", LocalDateTime{2026, 1, 1, 0, 0, 0, 0}, RenameMethod::RenameOnly), ENOSPC);
    EXPECT_FALSE(h.isOpen());
    std::vector<std::string> lines;
    EXPECT_EQ(HistoryFile::read(dir / "none.txt", lines), ENOENT);
}
