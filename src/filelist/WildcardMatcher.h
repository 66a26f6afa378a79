#pragma once

// The file-name wildcard match of the Windows directory listing, rebuilt: the pattern is compiled
// once and then tested against many names.
//
// Compiling rewrites the pattern as the Win32 listing does: trailing dots and blanks are dropped;
// "*.*" alone (so also "*.*." and "*.* .") becomes "*", and no other rule applies; "?" matches one
// character other than a dot, or nothing at a dot or at the end of the name; "." followed by "*" or
// "?" matches a dot or the end of the name; every "*" followed by "." (and the last "*" of a pattern
// that ended in a dot) stops before the name's last dot: it passes a dot only while another dot
// follows. Matching then treats a plain "*" as any run of characters (dots included), knows no [..]
// classes and no escape, gives a leading dot no special meaning and ignores letter case by simple
// upper-casing per character. Names are bytes: a byte that does not start valid UTF-8 is one
// character of its own.
//
// So "*.*" matches every name, "*." the names without an extension, "file?.txt" also file.txt, and
// "*.???" the names whose last extension has at most three characters (or that have none).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rinoza {

class WildcardMatcher {
public:
    explicit WildcardMatcher(std::string_view pattern);

    bool matches(std::string_view name) const;
    // True when the pattern is "*" in effect (every name matches), so callers may skip matching.
    bool matchesEverything() const { return m_everything; }

private:
    enum class Kind : uint8_t { Char, Star, DosStar, DosQm, DosDot };
    struct Element {
        Kind kind;
        char32_t code; // upper-cased, for Char
    };

    bool matchSmall(std::string_view name) const;
    bool matchLarge(std::string_view name) const;

    std::vector<Element> m_elements;
    bool m_everything = false;
    bool m_hasDosStar = false;
    // Bit sets over element positions, used while the pattern has fewer than 64 elements.
    uint64_t m_starMask = 0, m_dosStarMask = 0, m_qmMask = 0, m_dotMask = 0;
    uint64_t m_asciiMask[128] = {};
    std::vector<std::pair<char32_t, uint64_t>> m_otherMasks; // non-ASCII characters of the pattern
};

} // namespace rinoza
