#include "common/TextCodec.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace rinoza;

TEST(TextCodec, Utf8Validation) {
    const struct {
        std::string bytes;
        bool valid;
    } rows[] = {
        {"", true},
        {"plain.txt", true},
        {"写真01.jpg", true},
        {"\xF0\x9F\x93\xB7", true},  // U+1F4F7, four bytes
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF, the last code point
        {"\xC0\xAF", false},         // overlong "/"
        {"\xE0\x80\xAF", false},     // overlong "/" in three bytes
        {"\xF0\x80\x80\xAF", false}, // overlong in four bytes
        {"\xED\xA0\x80", false},     // surrogate U+D800
        {"\xF4\x90\x80\x80", false}, // above U+10FFFF
        {"\xE3\x81", false},         // cut short
        {"\x80", false},             // lone continuation byte
        {"\x95\x5C", false},         // CP932 表
        {"abc\xFF", false},
        // Runs of eight ASCII bytes at a time, and what ends them.
        {"abcdefgh\xFF", false},
        {"abcdefghijklmno\x80", false},
        {"abcdefg写真.jpg", true},
        {"写真abcdefghijklmnop", true},
        {"abcdefghijklmnop\xE3\x81", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(isValidUtf8(r.bytes), r.valid) << testing::PrintToString(r.bytes);
}

TEST(TextCodec, Cp932DecodingMapsLikeWindows) {
    const struct {
        std::string cp932;
        std::string utf8;
    } rows[] = {
        {"C:\\\x95\x5C", "C:\\表"}, // a backslash as second byte stays part of the kanji
        {"\x5C\x7E", "\\~"},        // single bytes are ASCII, not yen and overline
        {"\x81\x60", "～"},         // Windows maps the wave dash to the full-width tilde
        {"\x81\x5F", "＼"},
        {"\x87\x40", "①"},            // NEC row 13
        {"\xFA\x40", "ⅰ"},            // IBM extension
        {"\xB6\xC0\xB6\xC5", "ｶﾀｶﾅ"}, // half-width katakana are single bytes
        {"\x83\x74\x83\x48\x83\x8B\x83\x5F", "フォルダ"},
        {"", ""},
    };
    for (const auto& r : rows) {
        std::string out;
        ASSERT_TRUE(decodeCp932(r.cp932, out)) << testing::PrintToString(r.cp932);
        EXPECT_EQ(out, r.utf8);
    }
    std::string out;
    EXPECT_FALSE(decodeCp932("\x95", out)) << "a lead byte without its trail";
    EXPECT_FALSE(decodeCp932("\xA0", out)) << "an unassigned single byte";
    EXPECT_FALSE(decodeCp932("ab\x81\x20", out)) << "an invalid trail byte";
}

TEST(TextCodec, Cp932ControlBytesAndByte80DecodeToThemselves) {
    const struct {
        std::string cp932;
        std::string utf8;
    } rows[] = {
        {"\x1A", "\x1A"},
        {"\x1C", "\x1C"},
        {"\x7F", "\x7F"},
        {"\x80", "\xC2\x80"},
        {"a\x1A\x1C\x7F\x80\x95\x5C", "a\x1A\x1C\x7F\xC2\x80表"},
        {"\x81\x80", "÷"}, // 0x80 as a trail byte stays part of its character
    };
    for (const auto& r : rows) {
        std::string out;
        ASSERT_TRUE(decodeCp932(r.cp932, out)) << testing::PrintToString(r.cp932);
        EXPECT_EQ(out, r.utf8) << testing::PrintToString(r.cp932);
    }
    EXPECT_EQ(displayText("\x80\x95\x5C"), "\xC2\x80表");
}

TEST(TextCodec, DisplayTextAndTextFiles) {
    EXPECT_EQ(displayText("写真.jpg"), "写真.jpg");
    EXPECT_EQ(displayText("\x8E\xCA\x90\x5E.jpg"), "写真.jpg"); // a name from an old archive
    EXPECT_EQ(displayText("a\xFF"
                          "b"),
              "a\xEF\xBF\xBD"
              "b"); // neither encoding: U+FFFD per bad byte
    EXPECT_TRUE(isValidUtf8(displayText("\x95\xFF\x80")));

    EXPECT_EQ(textFileToUtf8("\xEF\xBB\xBF[Window]\r\n"), "[Window]\r\n");
    EXPECT_EQ(textFileToUtf8("[FindLocate]\r\n1=C:\\\x95\x5C\r\n"), "[FindLocate]\r\n1=C:\\表\r\n");
}

TEST(TextCodec, NameCharactersAndTheirWidths) {
    // ASCII and half-width katakana count one, everything else two; a stray byte counts one.
    const std::string name = "a写ｶ\xFF"
                             "Ａ\xF0\x9F\x93\xB7";
    std::vector<std::pair<std::size_t, int>> seen; // (length, width)
    std::vector<bool> stray;
    forEachNameChar(name, [&](const NameChar& c) {
        seen.emplace_back(c.length, c.width);
        stray.push_back(c.stray);
        return true;
    });
    const std::vector<std::pair<std::size_t, int>> expected = {{1, 1}, {3, 2}, {3, 1}, {1, 1}, {3, 2}, {4, 2}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(stray, (std::vector<bool>{false, false, false, true, false, false}));

    const NameChar bad = nameCharAt(name, 7);
    EXPECT_TRUE(bad.stray);
    EXPECT_EQ(bad.code, char32_t{0xDCFF});
    EXPECT_EQ(nameCharAt(name, 1).code, U'写');

    int visited = 0;
    forEachNameChar(name, [&](const NameChar&) { return ++visited < 2; });
    EXPECT_EQ(visited, 2);
}

TEST(TextCodec, CaseMappingPerCharacter) {
    const struct {
        std::string in;
        std::string upper;
        std::string lower;
    } rows[] = {
        {"abcDEF.Txt", "ABCDEF.TXT", "abcdef.txt"},
        {"写真ｶﾀｶﾅかな", "写真ｶﾀｶﾅかな", "写真ｶﾀｶﾅかな"}, // no case: unchanged
        {"ａｂｃＸ", "ＡＢＣＸ", "ａｂｃｘ"},             // full-width Latin follows Unicode
        {"αβΓ", "ΑΒΓ", "αβγ"},
        {"straße", "STRAßE", "straße"}, // simple mapping: one character stays one
        {"a\xFF"
         "b",
         "A\xFF"
         "B",
         "a\xFF"
         "b"}, // stray bytes pass through unchanged
    };
    for (const auto& r : rows) {
        EXPECT_EQ(toUpperName(r.in), r.upper) << r.in;
        EXPECT_EQ(toLowerName(r.in), r.lower) << r.in;
    }
}
