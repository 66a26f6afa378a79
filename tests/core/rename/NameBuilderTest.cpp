#include "rename/NameBuilder.h"
#include "rename/RenameRuleSet.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace rinoza;

// Rows name only the parameters they change; the rest keep their default member values.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const LocalDateTime kNow{2026, 12, 6, 13, 45, 9, 0};
const char* const kFolderText = "[フォルダ名]";

// Puts the elements in the given order of element numbers.
void reorder(RenameRuleSet& r, const std::vector<int>& numbers) {
    std::array<RenameElement, 9> byNumber{};
    for (const RenameElement& e : r.elements)
        byNumber[static_cast<std::size_t>(e.caption[0] - '1')] = e;
    for (std::size_t i = 0; i < numbers.size(); ++i)
        r.elements[i] = byNumber[static_cast<std::size_t>(numbers[i] - 1)];
}

void tick(RenameRuleSet& r, int number, bool on = true) {
    for (RenameElement& e : r.elements)
        if (e.caption[0] - '0' == number)
            e.checked = on;
}

// The parameters with the default elements, ticked as `ticks` says: "+n" ticks element n, "-n" unticks it.
RenameRuleSet withTicks(const RenameRuleSet& params, const char* ticks) {
    RenameRuleSet r = params;
    r.elements = RenameRuleSet::defaults().elements;
    for (const char* t = ticks; *t; t += 2)
        tick(r, t[1] - '0', t[0] == '+');
    return r;
}

struct Fixture {
    FixedClock clock{kNow};
    std::vector<std::pair<std::string, FileDateKind>> asked;
    std::optional<LocalDateTime> fileDate;
    NameBuilder builder{clock, [this](const std::string& path, FileDateKind kind) {
                            asked.emplace_back(path, kind);
                            return fileDate;
                        }};

    // Builds names for `names` in order, the counter set once from `start`, as every caller does.
    std::vector<std::string> run(const RenameRuleSet& r, const std::vector<std::string>& names, int32_t start = 1,
                                 const std::string& folder = "/home/u/写真", bool useNow = false) {
        int32_t counter = start;
        std::vector<std::string> out;
        for (const std::string& n : names)
            out.push_back(builder.BuildNewName(r, n, folder, useNow, counter));
        return out;
    }

    std::string example(const RenameRuleSet& r, int32_t start = 1) {
        int32_t counter = start;
        return builder.BuildNewName(r, "abcde.xyz", kFolderText, true, counter);
    }
};

} // namespace

TEST(RuleSet, DefaultsAndCaptions) {
    const RenameRuleSet d = RenameRuleSet::defaults();
    const char* captions[] = {"1) 固定文字１",  "2) 元ファイル名", "3) 固定文字２", "4) 連番",      "5) フォルダ名",
                              "6) .(ピリオド)", "7) 拡張子",       "8) 日付/時間",  "9) 文字置換え"};
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(defaultElementCaption(n), captions[n - 1]);
        EXPECT_EQ(d.elements[static_cast<std::size_t>(n - 1)].caption, captions[n - 1]);
        EXPECT_EQ(d.elements[static_cast<std::size_t>(n - 1)].checked, n == 2 || n == 6) << n;
        EXPECT_EQ(defaultElementChecked(n), n == 2 || n == 6);
    }
    EXPECT_EQ(d.motoStart, 1);
    EXPECT_EQ(d.motoEnd, 999);
    EXPECT_EQ(d.renKeta, "3");
    EXPECT_EQ(d.dateK, "_");
    EXPECT_EQ(d.timeK, "_");
    EXPECT_EQ(d.caseMode, 0);
}

TEST(NameBuilder, ExamplePreviewOfTheDocumentedRules) {
    // ticks: "+n" ticks element n, "-n" unticks it; order: element numbers top to bottom ("" keeps 1..9).
    // The parameters start from the defaults (RenameRuleSet's member defaults are the default rule).
    const struct {
        const char* ticks;
        const char* order;
        RenameRuleSet params;
        int32_t start;
        const char* expected;
    } rows[] = {
        {"", "", {}, 1, "abcde.xyz"},
        {"-2-6", "", {}, 1, "xyz"},
        {"-6", "", {}, 1, "abcdexyz"},
        {"+1", "", {.fixF1 = "new_"}, 1, "new_abcde.xyz"},
        {"", "", {.motoStart = 2, .motoEnd = 4}, 1, "bcd.xyz"},
        {"", "", {.motoStart = 4, .motoEnd = 2}, 1, ".xyz"},
        {"+4", "", {}, 1, "abcde001.xyz"},
        {"+4", "", {.renKeta = "1"}, 9, "abcde9.xyz"},
        {"+4", "", {.renAdd = 5}, 1, "abcde001.xyz"},
        {"+5", "", {}, 1, "abcde[フォルダ名].xyz"},
        {"+7", "", {.fixK = "txt"}, 1, "abcde.txt"},
        {"+7", "", {}, 1, "abcde"}, // the trailing period goes, as Windows drops it
        {"+8", "", {}, 1, "abcde.xyz2026_12_06"},
        {"+8", "128345679", {}, 1, "abcde2026_12_06.xyz"},
        {"+8", "", {.dateTime = 2, .dateK = "", .timeK = ""}, 1, "abcde.xyz20261206134509"},
        {"+8", "", {.dateTime = 1}, 1, "abcde.xyz13_45_09"},
        {"+9", "", {.strChgBefore = "C", .strChgAfter = "-"}, 1, "ab-de.xyz"},
        {"+9", "912345678", {.strChgBefore = "c"}, 1, "abcde.xyz"},
        {"", "", {.caseMode = 1}, 1, "ABCDE.XYZ"},
        {"", "", {.caseMode = 3}, 1, "Abcde.xyz"},
        // Beyond the documented rows.
        {"+7", "", {.fixK = ".txt"}, 1, "abcde..txt"},
        {"+8", "", {.dateTime = 5}, 1, "abcde.xyz2026_12_0613_45_09"}, // the example takes file dates from now
        {"+8", "", {.dateTime = -1}, 1, "abcde.xyz"},
        {"+8", "", {.dateTime = 2, .dateK = "年", .timeK = "-"}, 1, "abcde.xyz2026年12年0613-45-09"},
        {"", "", {.caseMode = -1}, 1, "abcde.xyz"},
        {"+9", "", {.strChgBefore = "c", .strChgAfter = "Z", .caseMode = 2}, 1, "abzde.xyz"},
    };
    for (const auto& row : rows) {
        Fixture f;
        RenameRuleSet r = withTicks(row.params, row.ticks);
        std::vector<int> order;
        for (const char* o = row.order; *o; ++o)
            order.push_back(*o - '0');
        reorder(r, order);
        EXPECT_EQ(f.example(r, row.start), row.expected) << row.ticks << " " << row.order;
        EXPECT_TRUE(f.asked.empty()) << "the example never reads a file date";
    }
}

TEST(NameBuilder, CaptionsNameTheElements) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    r.elements[0] = {"0) zero", true}; // a digit outside 1..9 contributes nothing
    EXPECT_EQ(f.example(r), "abcde.xyz");
    // A caption without a leading digit stops the visit: later elements, the old extension too, are
    // left out, and the case conversion still runs.
    r.elements[2].caption = "x) 固定文字２";
    r.caseMode = 1;
    EXPECT_EQ(f.example(r), "ABCDE");
}

TEST(NameBuilder, SerialNumbersOverARun) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    tick(r, 4);
    tick(r, 6, false);
    tick(r, 7);
    const std::vector<std::string> three = {"a", "b", "c"};

    r.renKeta = "1";
    EXPECT_EQ(f.run(r, three, 9), (std::vector<std::string>{"a9", "b10", "c11"}));
    r.renKeta = "3";
    r.renAdd = 5;
    EXPECT_EQ(f.run(r, three, 1), (std::vector<std::string>{"a001", "b006", "c011"}));
    r.renAdd = 1;
    r.renKeta = "2";
    EXPECT_EQ(f.run(r, three, 99), (std::vector<std::string>{"a99", "b100", "c101"})); // never cut
    r.renKeta = "4";
    EXPECT_EQ(f.run(r, {"a"}, 0), (std::vector<std::string>{"a0000"}));
    r.renKeta = "three"; // not a number: one digit
    EXPECT_EQ(f.run(r, {"a"}, 7), (std::vector<std::string>{"a7"}));
    r.renKeta = "3";
    EXPECT_EQ(f.run(r, three, -2), (std::vector<std::string>{"a-002", "b-001", "c000"}));

    // The counter wraps at the end of the 32-bit range instead of overflowing.
    int32_t counter = INT32_MAX;
    EXPECT_EQ(f.builder.BuildNewName(r, "a", "/", false, counter), "a2147483647");
    EXPECT_EQ(counter, INT32_MIN);
    EXPECT_EQ(f.builder.BuildNewName(r, "a", "/", false, counter), "a-2147483648");

    // Only a ticked serial element advances the counter.
    tick(r, 4, false);
    counter = 5;
    f.builder.BuildNewName(r, "a", "/", false, counter);
    EXPECT_EQ(counter, 5);
}

TEST(NameBuilder, OldNameSplitAndSlicesByCharacterWidth) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    // base | extension
    tick(r, 3);
    tick(r, 6, false);
    r.fixF2 = "|";
    const struct {
        const char* name;
        const char* expected;
    } splits[] = {{"a.b.c", "a.b|c"}, {".cfg", "|cfg"}, {"abc.", "abc|"}, {"abc", "abc|"}, {"", "|"}};
    for (const auto& s : splits)
        EXPECT_EQ(f.run(r, {s.name})[0], s.expected) << s.name;

    r = RenameRuleSet::defaults();
    tick(r, 6, false);
    const struct {
        const char* name;
        int first;
        int last;
        const char* expected;
    } slices[] = {
        {"写真01", 2, 999, "真01"}, // 写 covers positions 1-2, 真 3-4, 0 is 5, 1 is 6
        {"写真01", 3, 4, "真"},
        {"写真01", 1, 1, ""},
        {"写真01", 1, 2, "写"},
        {"写真01", 4, 5, "0"},
        {"写真01", 5, 6, "01"},
        {"写真01", 7, 999, ""},
        {"ｶﾀｶﾅ", 2, 3, "ﾀｶ"},
        {"a\xFF"
         "b",
         2, 2, "\xFF"},
        {"ａb", 1, 3, "ａb"},
    };
    for (const auto& s : slices) {
        r.motoStart = s.first;
        r.motoEnd = s.last;
        EXPECT_EQ(f.run(r, {s.name})[0], s.expected) << s.name << " " << s.first << ".." << s.last;
    }
}

TEST(NameBuilder, FolderNameIsTheLastComponent) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    tick(r, 5);
    const struct {
        const char* folder;
        const char* expected;
    } rows[] = {
        {"/home/u/写真", "abcde写真.xyz"}, {"/", "abcde.xyz"}, {"/tmp", "abcdetmp.xyz"}, {"/home/u/", "abcdeu.xyz"}};
    for (const auto& row : rows)
        EXPECT_EQ(f.run(r, {"abcde.xyz"}, 1, row.folder)[0], row.expected) << row.folder;
}

// Names unpacked from a Windows archive (CP932 bytes) are built from their CP932 reading into UTF-8;
// a name that is neither encoding keeps its bytes. Trailing periods and blanks never stay.
TEST(NameBuilder, NamesFromWindowsArchivesAndTrailingPeriodsAndBlanks) {
    const std::string test = "\x83\x65\x83\x58\x83\x67"; // テスト in CP932
    const std::string photo01 = "\x8E\xCA\x90\x5E"
                                "01"; // 写真01
    const struct {
        std::string name;
        const char* folder;
        const char* ticks;
        RenameRuleSet params;
        std::string expected;
    } rows[] = {
        {test + ".txt", "/u", "", {}, "テスト.txt"}, // the rule that keeps the name repairs it
        {test + ".txt", "/u", "+1", {.fixF1 = "写真_"}, "写真_テスト.txt"},
        {test + ".txt", "/u", "+1", {.fixF1 = "new_"}, "new_テスト.txt"},
        {"a." + test, "/u", "+3", {.fixF2 = "_"}, "a_.テスト"}, // the old extension too
        {photo01 + ".jpg", "/u", "", {.motoStart = 3, .motoEnd = 4}, "真.jpg"},
        {photo01 + ".jpg", "/u", "", {.motoStart = 2, .motoEnd = 999}, "真01.jpg"}, // 写 is cut: left out
        {"\xB6\xC0\xB6\xC5", "/u", "", {.motoStart = 2, .motoEnd = 3}, "ﾀｶ"},       // half-width: one each
        {test + ".txt", "/u", "+9", {.strChgBefore = "スト", .strChgAfter = "ST"}, "テST.txt"},
        {"\x82\x60\x82\x61.TXT", "/u", "", {.caseMode = 2}, "ａｂ.txt"},
        {"a.txt", "/u/\x97\xB7\x8D\x73", "+5", {}, "a旅行.txt"},
        {"a.txt", "/u/\x95\x5C", "+5", {}, "a表.txt"}, // 0x5C as a second byte
        {test + ".txt", "/u/\x95\x5C", "+5", {}, "テスト表.txt"},
        {"a\xFF.txt", "/u", "+1", {.fixF1 = "写真_"}, "写真_a\xFF.txt"}, // neither: bytes kept
        {"a.txt", "/u/d\xFF", "+5", {}, "ad\xFF.txt"},
        // Trailing periods and blanks, from each element that can end a name with them.
        {"README", "/u", "", {}, "README"},
        {"abc", "/u", "-2-6+1", {.fixF1 = "new. "}, "new"},
        {"abc .", "/u", "-6", {}, "abc"},
        {"abc", "/u", "+3", {.fixF2 = "z "}, "abcz"},
        {"abc", "/u/sub ", "-6+5", {}, "abcsub"},
        {"a.txt", "/u", "+7", {.fixK = "txt. "}, "a.txt"},
        {"a.b ", "/u", "", {}, "a.b"},
        {"abc.xyz", "/u", "+9", {.strChgBefore = "xyz", .strChgAfter = " ."}, "abc"},
        {"a. .b", "/u", "", {}, "a. .b"}, // inside the name they stay
        {". .", "/u", "", {}, ""},        // nothing left
        {"abc", "/u", "-2", {}, ""},
    };
    for (const auto& row : rows) {
        Fixture f;
        EXPECT_EQ(f.run(withTicks(row.params, row.ticks), {row.name}, 1, row.folder)[0], row.expected)
            << testing::PrintToString(row.name);
    }
}

TEST(NameBuilder, ReplacementIgnoresCaseAndNeverRescans) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    tick(r, 9);
    const struct {
        const char* name;
        const char* before;
        const char* after;
        const char* expected;
    } rows[] = {
        {"abcABCaBc.", "ABC", "x", "xxx"},
        {"aaa.", "aa", "b", "ba"},       // no overlaps, left to right
        {"aa.", "a", "aa", "aaaa"},      // what was put in is not searched again
        {"abc.txt", "", "x", "abc.txt"}, // nothing to search for
        {"ｶａｂ.", "ＡＢ", "x", "ｶx"},   // full-width letters match across case
        {"写真.", "真", "", "写"},
        {"a\xFF"
         "b.",
         "\xFF", "-", "a-b"},
        {"abc.txt", "C.T", "_", "ab_xt"}, // the text built so far includes the period and extension
    };
    for (const auto& row : rows) {
        r.strChgBefore = row.before;
        r.strChgAfter = row.after;
        EXPECT_EQ(f.run(r, {row.name})[0], row.expected) << row.name << " " << row.before;
    }

    // Elements after the replacement are not subject to it.
    reorder(r, {1, 2, 9, 3, 4, 5, 6, 7, 8});
    r.strChgBefore = "x";
    r.strChgAfter = "y";
    EXPECT_EQ(f.run(r, {"xx.xyz"})[0], "yy.xyz");
}

TEST(NameBuilder, CaseConversionCoversEveryCharacter) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    const struct {
        int mode;
        const char* name;
        const char* expected;
    } rows[] = {
        {1, "ａbc写真ＡＢｶﾅ.Txt", "ＡBC写真ＡＢｶﾅ.TXT"},
        {2, "ａbc写真ＡＢｶﾅ.Txt", "ａbc写真ａｂｶﾅ.txt"},
        {3, "ａbc写真ＡＢ.Txt", "Ａbc写真ａｂ.txt"},
        {3, "写真ABC.TXT", "写真abc.txt"},
        {3, "éCOLE.TXT", "École.txt"},
    };
    for (const auto& row : rows) {
        r.caseMode = row.mode;
        EXPECT_EQ(f.run(r, {row.name})[0], row.expected) << row.mode << " " << row.name;
    }
    r.caseMode = 3;
    tick(r, 2, false);
    tick(r, 6, false);
    tick(r, 7);
    EXPECT_EQ(f.run(r, {"a.b"})[0], "");
}

TEST(NameBuilder, FileDatesComeFromTheReader) {
    Fixture f;
    RenameRuleSet r = RenameRuleSet::defaults();
    tick(r, 8);
    // The reader gives the date with its two-second grain already applied.
    f.fileDate = LocalDateTime{2024, 3, 7, 9, 3, 6, 0};
    const struct {
        int index;
        FileDateKind kind;
        const char* expected;
    } rows[] = {
        {3, FileDateKind::Crt, "a.txt2024_03_07"},         {4, FileDateKind::Crt, "a.txt09_03_06"},
        {5, FileDateKind::Crt, "a.txt2024_03_0709_03_06"}, {6, FileDateKind::Upd, "a.txt2024_03_07"},
        {7, FileDateKind::Upd, "a.txt09_03_06"},           {8, FileDateKind::Upd, "a.txt2024_03_0709_03_06"},
        {9, FileDateKind::Acs, "a.txt2024_03_07"},
    };
    for (const auto& row : rows) {
        f.asked.clear();
        r.dateTime = row.index;
        EXPECT_EQ(f.run(r, {"a.txt"}, 1, "/home/u")[0], row.expected) << row.index;
        ASSERT_EQ(f.asked.size(), 1u);
        EXPECT_EQ(f.asked[0].first, "/home/u/a.txt");
        EXPECT_EQ(f.asked[0].second, row.kind);
    }
    // In the root folder the path is not doubled.
    f.asked.clear();
    f.run(r, {"a.txt"}, 1, "/");
    EXPECT_EQ(f.asked.at(0).first, "/a.txt");

    // Entries 0 to 2, and useNow, take the clock and never read the file.
    f.asked.clear();
    r.dateTime = 2;
    EXPECT_EQ(f.run(r, {"a.txt"})[0], "a.txt2026_12_0613_45_09");
    r.dateTime = 8;
    EXPECT_EQ(f.run(r, {"a.txt"}, 1, "/home/u", true)[0], "a.txt2026_12_0613_45_09");
    EXPECT_TRUE(f.asked.empty());

    // A file that cannot be read gives the zero date-time.
    f.fileDate.reset();
    r.dateTime = 5;
    EXPECT_EQ(f.run(r, {"a.txt"})[0], "a.txt1899_12_3000_00_00");
}

TEST(ParseWholeNumber, StartFieldConversion) {
    const struct {
        const char* text;
        std::optional<int32_t> value;
    } rows[] = {
        {"1", 1},
        {"0", 0},
        {"$10", 16},
        {"$ff", 255},
        {"0x1F", 31},
        {"-5", -5},
        {"+5", 5},
        {"-$10", -16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"1x", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"1e3", std::nullopt},
        {"１", std::nullopt}, // full-width digit
        {"$g", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ParseWholeNumber(row.text), row.value) << "'" << row.text << "'";
    EXPECT_EQ(notAnIntegerMessage("1x"), "'1x' は整数ではありません");
}

TEST(NameBuilder, RegularExpressionReplacement) {
    const std::string test = "\x83\x65\x83\x58\x83\x67"; // テスト in CP932
    const struct {
        std::string name;
        const char* pattern;
        const char* replacement;
        std::string expected;
    } rows[] = {
        {"IMG_0012.jpg", "img_(\\d+)", "photo-$1", "photo-0012.jpg"}, // letters match across case
        {"2024-03-07 旅行.jpg", "^(\\d{4})-(\\d\\d)-(\\d\\d) ([^.]+)", "$4_$1$2$3", "旅行_20240307.jpg"},
        {"a1b22c333.txt", "\\d+", "#", "a#b#c#.txt"}, // every match, left to right
        {"aaa.txt", "aa", "b", "ba.txt"},             // matches do not overlap
        {"abc.txt", "b", "[$0]", "a[b]c.txt"},        // the whole match
        {"abc.txt", "b", "\\$1", "a$1c.txt"},         // a dollar sign of its own
        {"abc.txt", "b", "\\\\", "a\\c.txt"},         // a backslash of its own
        {"ab.txt", "a(x)?b", "[$1]", "[].txt"},       // a group that took no part is empty
        {"ＡＢＣ.txt", "ａｂｃ", "x", "x.txt"},       // full-width letters match across case
        {"ab.c", "x*", "-", "-a-b-.-c-"},             // empty matches between characters
        {"a\xFF"
         "b.txt",
         "b", "B",
         "a\xFF"
         "B.txt"}, // a stray byte is kept
        {"a\xFF"
         "b.txt",
         "a.b", "x", "x.txt"},                         // and is a character of its own
        {test + ".txt", "テ(ス)ト", "$1", "ス.txt"},   // a CP932 name by its reading
        {"abc.txt", "", "x", "abc.txt"},               // nothing to search for
        {"abc.txt", "\\.txt$", ". ", "abc"},           // trailing periods and blanks still go
        {"Photo.JPG", "(?-i)photo", "x", "Photo.JPG"}, // the pattern may ask for exact case
    };
    for (const auto& row : rows) {
        Fixture f;
        RenameRuleSet r = withTicks({.strChgBefore = row.pattern, .strChgAfter = row.replacement}, "+9");
        r.strChgRegex = true;
        EXPECT_EQ(f.builder.ruleError(r), "") << row.pattern;
        EXPECT_EQ(f.run(r, {row.name})[0], row.expected) << row.pattern << " -> " << row.replacement;
    }
}

TEST(NameBuilder, AnUnusableRegularExpressionBuildsNoName) {
    const struct {
        const char* pattern;
        const char* replacement;
        const char* error;
    } rows[] = {
        {"(abc", "", "正規表現の誤り (4 文字目): 括弧 ( ) の対応がとれていません"},
        {"abc)", "", "正規表現の誤り (4 文字目): 括弧 ( ) の対応がとれていません"},
        {"a[bc", "", "正規表現の誤り (4 文字目): [ に対応する ] がありません"},
        {"*a", "", "正規表現の誤り (1 文字目): 書き方が正しくありません"},
        {"写真(", "", "正規表現の誤り (3 文字目): 括弧 ( ) の対応がとれていません"}, // positions count characters
        {"a{2,1}", "", "正規表現の誤り (6 文字目): 回数 { } の最大が最小より小さくなっています"},
        {"(?<=a+)b", "", "正規表現の誤り (7 文字目): 後読みの中では長さの決まらない繰り返しは使えません"},
        {"ab\\", "", "正規表現の誤り (3 文字目): \\ の後の文字が使えません"},
        {"(a)", "x$2", "置換後の文字列の誤り (2 文字目): $2 に当たるグループがありません"},
        {"a", "写$", "置換後の文字列の誤り (2 文字目): $ の後には 0～9 の数字を書きます (文字の $ は \\$)"},
        {"a", "$x", "置換後の文字列の誤り (1 文字目): $ の後には 0～9 の数字を書きます (文字の $ は \\$)"},
        {"a", "x\\", "置換後の文字列の誤り (2 文字目): \\ の後に文字がありません"},
    };
    for (const auto& row : rows) {
        Fixture f;
        RenameRuleSet r = withTicks({.strChgBefore = row.pattern, .strChgAfter = row.replacement}, "+9+4");
        r.strChgRegex = true;
        EXPECT_EQ(f.builder.ruleError(r), row.error) << row.pattern;
        // A caller that builds anyway gets no name, and the serial number is used up as for any name.
        int32_t counter = 1;
        EXPECT_EQ(f.builder.BuildNewName(r, "abc.txt", "/u", false, counter), "") << row.pattern;
        EXPECT_EQ(counter, 2);
        // The same texts take no part while the box is off or element 9 is not ticked.
        r.strChgRegex = false;
        EXPECT_EQ(f.builder.ruleError(r), "");
        r.strChgRegex = true;
        EXPECT_EQ(f.builder.ruleError(withTicks(r, "-9")), "");
    }

    // A pattern that backtracks without end on a name gives up on that name only.
    Fixture f;
    RenameRuleSet r = withTicks({.strChgBefore = "(a+)+b", .strChgAfter = "x"}, "+9");
    r.strChgRegex = true;
    EXPECT_EQ(f.builder.ruleError(r), "");
    EXPECT_EQ(f.run(r, {std::string(200, 'a') + "c.txt", "aab.txt"}), (std::vector<std::string>{"", "x.txt"}));
}

TEST(NameBuilder, SerialNumbersPerFolderInListOrder) {
    Fixture f;
    RenameRuleSet r = withTicks({.renKeta = "1"}, "+4-6");
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"a", "/p/A"}, {"b", "/p/B"}, {"c", "/p/A"}, {"d", "/p/C"}, {"e", "/p/B/"}, {"f", "/p/A"}, {"g", "/"}};
    const struct {
        bool perFolder;
        int32_t start;
        int add;
        std::vector<std::string> expected;
    } runs[] = {
        {true, 1, 1, {"a1", "b1", "c2", "d1", "e2", "f3", "g1"}},
        {true, 5, 10, {"a5", "b5", "c15", "d5", "e15", "f25", "g5"}},
        {false, 1, 1, {"a1", "b2", "c3", "d4", "e5", "f6", "g7"}},
    };
    for (const auto& run : runs) {
        r.renFolder = run.perFolder;
        r.renAdd = run.add;
        SerialCounters counters(run.start, r.renFolder);
        std::vector<std::string> names;
        for (const auto& [name, folder] : rows)
            names.push_back(f.builder.BuildNewName(r, name, folder, false, counters.counterFor(folder)));
        EXPECT_EQ(names, run.expected) << run.perFolder << " " << run.start;
    }
}

TEST(NameBuilder, WidthKanaAndNfcConversions) {
    const std::string nfdGa = "か\xE3\x82\x99"; // か + combining voiced mark
    const struct {
        int width;
        int kana;
        bool nfc;
        std::string name;
        std::string expected;
    } rows[] = {
        // 英数字・記号を半角に
        {1, 0, false, "Ａｂｃ　１２３！＃", "Abc 123!#"},
        {1, 0, false, "Abc 1!", "Abc 1!"},
        {1, 0, false, "ｶﾞｷﾞﾊﾟｰｯ", "ｶﾞｷﾞﾊﾟｰｯ"},
        {1, 0, false, "がっこう", "がっこう"},
        {1, 0, false, "Ａ／Ｂ：Ｃ＊Ｄ？", "A／B：C＊D？"}, // what a name cannot hold stays full-width
        {1, 0, false, "ａｂｃ．", "abc"},                  // the period it gives is dropped at the end
        // 英数字・記号を全角に: the extension stays as it is
        {2, 0, false, "Abc 1!", "Ａｂｃ　１！"},
        {2, 0, false, "Ａｂｃ", "Ａｂｃ"},
        {2, 0, false, "ｶﾞｷﾞ", "ｶﾞｷﾞ"},
        {2, 0, false, "がっこう", "がっこう"},
        {2, 0, false, "abc.txt", "ａｂｃ.txt"},
        // 半角カナを全角に: voiced marks join their kana
        {3, 0, false, "ｶﾞｷﾞﾊﾟｰｯｧ｡", "ガギパーッァ。"},
        {3, 0, false, "ｳﾞﾜﾞ", "ヴヷ"},
        {3, 0, false, "Abc 1!", "Abc 1!"},
        {3, 0, false, "Ａｂｃ", "Ａｂｃ"},
        {3, 0, false, "がっこう", "がっこう"},
        // カタカナを半角に
        {4, 0, false, "ガギパーッァ。", "ｶﾞｷﾞﾊﾟｰｯｧ｡"},
        {4, 0, false, "ヴヵ", "ｳﾞヵ"}, // ヵ has no half-width form
        {4, 0, false, "Abc 1!", "Abc 1!"},
        {4, 0, false, "Ａｂｃ", "Ａｂｃ"},
        {4, 0, false, "がっこう", "がっこう"},
        // ひらがなに: half-width katakana too; the prolonged sound mark stays
        {0, 1, false, "ガッコウ", "がっこう"},
        {0, 1, false, "ｶﾞｯｺｳ", "がっこう"},
        {0, 1, false, "スーパー", "すーぱー"},
        {0, 1, false, "Abc 1!", "Abc 1!"},
        {0, 1, false, "Ａｂｃ", "Ａｂｃ"},
        {0, 1, false, "ヷヵ", "ヷヵ"}, // no hiragana of their own
        // カタカナに
        {0, 2, false, "がっこうゔ", "ガッコウヴ"},
        {0, 2, false, "ｶﾞ", "ｶﾞ"},
        {0, 2, false, "Abc 1!", "Abc 1!"},
        {0, 2, false, "Ａｂｃ", "Ａｂｃ"},
        // kana first, then width
        {4, 2, false, "がっこう", "ｶﾞｯｺｳ"},
        {3, 1, false, "ｶﾞｯｺｳ", "がっこう"},
        // NFC: decomposed kana (from macOS) composed; stray bytes kept
        {0, 0, true, nfdGa + "っこう", "がっこう"},
        {0, 0, true, "e\xCC\x81t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        {0, 0, true, "a\xFF" + nfdGa,
         "a\xFF"
         "が"},
        {0, 0, false, nfdGa, nfdGa},
        {0, 0, true, "Abc", "Abc"},
        // Values outside the lists convert nothing.
        {7, -1, false, "ｶﾞがＡ", "ｶﾞがＡ"},
    };
    for (const auto& row : rows) {
        Fixture f;
        RenameRuleSet r = withTicks({.width = row.width, .kana = row.kana, .nfc = row.nfc}, "");
        EXPECT_EQ(f.run(r, {row.name})[0], row.expected)
            << row.width << " " << row.kana << " " << row.nfc << " " << row.name;
    }

    // Positions of the slice still count on the old name; the case conversion comes first.
    Fixture f;
    EXPECT_EQ(f.run(withTicks({.motoStart = 1, .motoEnd = 2, .width = 3}, "-6"), {"ｶﾞｷﾞ"})[0], "ガ");
    EXPECT_EQ(f.run(withTicks({.caseMode = 1, .width = 2}, "-6"), {"abc"})[0], "ＡＢＣ");
}
