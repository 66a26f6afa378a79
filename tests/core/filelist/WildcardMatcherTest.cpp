#include "filelist/WildcardMatcher.h"

#include <gtest/gtest.h>

namespace rinoza {
namespace {

struct MatchCase {
    const char* pattern;
    const char* name;
    bool expected;
};

class WildcardMatcherTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(WildcardMatcherTable, matchesAsTheWindowsListingDoes) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(WildcardMatcher(c.pattern).matches(c.name), c.expected) << "pattern '" << c.pattern << "' name '"
                                                                        << c.name << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, WildcardMatcherTable,
    ::testing::Values(
        // "*.*" matches every name, with or without a dot.
        MatchCase{"*.*", "README", true}, MatchCase{"*.*", "a.txt", true}, MatchCase{"*.*", ".profile", true},
        MatchCase{"*.*", "a.b.c", true}, MatchCase{"*", "anything.at.all", true},
        // So does "*.*" followed by periods and blanks, which are dropped first.
        MatchCase{"*.*.", "README", true}, MatchCase{"*.*.", "a.txt", true}, MatchCase{"*.*..", "a.b.c", true},
        MatchCase{"*.* .", ".profile", true}, MatchCase{"*.* .", "a.txt", true},
        // "*." matches names without an extension only.
        MatchCase{"*.", "README", true}, MatchCase{"*.", "a.txt", false}, MatchCase{"*.", "a.b.", false},
        // Trailing dots and blanks of the pattern are dropped.
        MatchCase{"*.txt.", "a.txt", true}, MatchCase{"*.txt  ", "a.txt", true}, MatchCase{"a.txt. .", "a.txt", true},
        MatchCase{"a.txt ", "a.txt ", false},
        // "?" is one character, or nothing at a dot or at the end; never a dot itself.
        MatchCase{"file?.txt", "file.txt", true}, MatchCase{"file?.txt", "file1.txt", true},
        MatchCase{"file?.txt", "file12.txt", false}, MatchCase{"ab?", "ab", true}, MatchCase{"ab??", "abc", true},
        MatchCase{"a?b", "a.b", false}, MatchCase{"a?b", "axb", true},
        // "." before "?" or "*" is a dot or the end of the name.
        MatchCase{"abc.?", "abc", true}, MatchCase{"abc.*", "abc", true}, MatchCase{"abc.*", "abc.d", true},
        MatchCase{"abc.*", "abcd", false},
        // "*" runs over dots.
        MatchCase{"*.gz", "a.tar.gz", true}, MatchCase{"a*z", "a.b.c.z", true}, MatchCase{"*a", "b", false},
        // Brackets and backslashes are plain characters.
        MatchCase{"[a].txt", "[a].txt", true}, MatchCase{"[a].txt", "a.txt", false},
        MatchCase{"a\\*", "a\\b", true},
        // A leading dot is not special.
        MatchCase{"*rc", ".bashrc", true}, MatchCase{".*", ".hidden", true}, MatchCase{".*", "visible", false},
        // Letter case is ignored, also outside ASCII; kana never change.
        MatchCase{"*.TXT", "a.txt", true}, MatchCase{"ÄB*", "äbc", true}, MatchCase{"ＡＢ*", "ａｂｃ", true},
        MatchCase{"写真*.jpg", "写真001.JPG", true}, MatchCase{"写真?.jpg", "写真あ.jpg", true},
        MatchCase{"か*", "カ.txt", false},
        // A stray invalid byte is one character.
        MatchCase{"a?b", "a\xff" "b", true}, MatchCase{"a??b", "a\xff" "b", false}, MatchCase{"*\xff*", "x\xffy", true},
        // An empty pattern (or one of dots only) matches nothing.
        MatchCase{"", "a", false}, MatchCase{"..", "a", false}));

// The rewrite of "*" before a dot, "?" and "." before a wildcard, against names with several dots,
// none, a leading one and a trailing one.
INSTANTIATE_TEST_SUITE_P(
    DosRewrite, WildcardMatcherTable,
    ::testing::Values(
        MatchCase{"*.?", "a.b", true}, MatchCase{"*.?", "a", true}, MatchCase{"*.?", "a.bc", false},
        MatchCase{"*.?", "a.b.c", true}, MatchCase{"*.?", ".x", true}, MatchCase{"*.?", "a.", true},
        MatchCase{"*.??", "a.tx", true}, MatchCase{"*.??", "a.t", true}, MatchCase{"*.??", "a.txt", false},
        MatchCase{"*.??", "ab", true},
        MatchCase{"*.???", "a.txt", true}, MatchCase{"*.???", "a.tx", true}, MatchCase{"*.???", "a", true},
        MatchCase{"*.???", "a.b.txt", true}, MatchCase{"*.???", "photo.jpeg", false},
        MatchCase{"*.???", "archive.tar.gz", true},
        MatchCase{"*.", "Makefile", true}, MatchCase{"*.", ".bashrc", false}, MatchCase{"*.", "a.b.c", false},
        MatchCase{"*.", "trailing.", false},
        MatchCase{"?.*", "a.txt", true}, MatchCase{"?.*", "a", true}, MatchCase{"?.*", "ab.txt", false},
        MatchCase{"?.*", "a.b.c", true}, MatchCase{"?.*", ".txt", true},
        MatchCase{"*.t??", "a.txt", true}, MatchCase{"*.t??", "a.t", true}, MatchCase{"*.t??", "a.tgz.bak", false},
        MatchCase{"*.t??", "a.b.tar", true}, MatchCase{"*.t??", "a.exe", false}, MatchCase{"*.t??", "at", false},
        MatchCase{"a*.*", "abc", true}, MatchCase{"a*.*", "abc.txt", true}, MatchCase{"a*.*", "a", true},
        MatchCase{"a*.*", "a.b.c", true}, MatchCase{"a*.*", "b.a", false},
        MatchCase{"???", "abc", true}, MatchCase{"???", "ab", true}, MatchCase{"???", "abcd", false},
        MatchCase{"???", "a.b", false},
        MatchCase{"*.txt", "a.b.txt", true}, MatchCase{"*.txt", "a.txt.bak", false}, MatchCase{"*.txt", ".txt", true},
        MatchCase{"*.tar.gz", "a.b.tar.gz", true}, MatchCase{"*.tar.gz", "a.tar.gz", true},
        MatchCase{"x*.y*.z", "x.a.y.b.z", true}, MatchCase{"x*.y*.z", "x1.y2.z", true},
        // A pattern that ended in a dot: its last "*" stops before the last dot only when it ends the pattern.
        MatchCase{"ab*.", "abc", true}, MatchCase{"ab*.", "ab.c", false}, MatchCase{"*a.", "x.a", true},
        MatchCase{"*a.", "xa", true},
        MatchCase{"?.?", "a.b", true}, MatchCase{"?.?", "a", true}, MatchCase{"?.?", "ab", false},
        MatchCase{"?.?", ".a", true}));

TEST(WildcardMatcher, longPatternsMatchLikeShortOnes) {
    // More than 64 elements takes the general path.
    std::string name(70, 'x');
    std::string pattern(70, '?');
    EXPECT_TRUE(WildcardMatcher(pattern).matches(name));
    EXPECT_TRUE(WildcardMatcher(pattern).matches(name.substr(0, 60))); // "?" matches nothing at the end
    EXPECT_FALSE(WildcardMatcher(pattern).matches(name + "y"));
    std::string stars = std::string(40, '*') + ".t" + std::string(30, '?');
    EXPECT_TRUE(WildcardMatcher(stars).matches("abc.t"));
    EXPECT_TRUE(WildcardMatcher(stars + ".").matches("a.b.tx"));
    EXPECT_FALSE(WildcardMatcher(stars).matches("abc.u"));
}

TEST(WildcardMatcher, everythingShortcutOnlyForStarPatterns) {
    EXPECT_TRUE(WildcardMatcher("*.*").matchesEverything());
    EXPECT_TRUE(WildcardMatcher("*").matchesEverything());
    EXPECT_FALSE(WildcardMatcher("*.").matchesEverything());
    EXPECT_TRUE(WildcardMatcher("*.*.").matchesEverything());
    EXPECT_TRUE(WildcardMatcher("*.* .").matchesEverything());
    EXPECT_FALSE(WildcardMatcher("*.*x").matchesEverything());
}

} // namespace
} // namespace rinoza
