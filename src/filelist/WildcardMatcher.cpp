#include "filelist/WildcardMatcher.h"

#include "common/Myfunction.h"
#include "common/TextCodec.h"

#include <unicode/uchar.h>

namespace rinoza {

namespace {

inline char32_t upperChar(char32_t c) {
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c;
    if (c >= 0xD800 && c <= 0xDFFF) // a stray byte keeps its value
        return c;
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

// The character at byte i, upper-cased; advances i.
inline char32_t nextUpper(std::string_view s, std::size_t& i) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return upperChar(b);
    }
    NameChar c = nameCharAt(s, i);
    i += c.length ? c.length : 1;
    return upperChar(c.code);
}

} // namespace

WildcardMatcher::WildcardMatcher(std::string_view pattern) {
    const std::string_view kept = WithoutTrailingPeriodsAndBlanks(pattern);
    const bool endedInDot = pattern.substr(kept.size()).find('.') != std::string_view::npos;
    pattern = kept;
    // "*.*" once its trailing periods and blanks are gone lists every name ("*.*." too); no other
    // rule applies to it.
    if (pattern == "*.*") {
        m_elements.push_back({Kind::Star, 0});
        m_everything = true;
        return;
    }
    std::vector<char32_t> chars;
    for (std::size_t i = 0; i < pattern.size();)
        chars.push_back(nextUpper(pattern, i));
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        const char32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
        if (c == '*' && (next == '.' || (endedInDot && i + 1 == chars.size()))) {
            m_elements.push_back({Kind::DosStar, 0});
            m_hasDosStar = true;
        } else if (c == '*') {
            m_elements.push_back({Kind::Star, 0});
        } else if (c == '?') {
            m_elements.push_back({Kind::DosQm, 0});
        } else if (c == '.' && (next == '*' || next == '?')) {
            m_elements.push_back({Kind::DosDot, 0});
        } else {
            m_elements.push_back({Kind::Char, c});
        }
    }
    m_everything = m_elements.size() == 1 && m_elements[0].kind == Kind::Star;

    if (m_elements.size() < 64) {
        for (std::size_t i = 0; i < m_elements.size(); ++i) {
            const uint64_t bit = uint64_t{1} << i;
            switch (m_elements[i].kind) {
            case Kind::Star: m_starMask |= bit; break;
            case Kind::DosStar: m_dosStarMask |= bit; break;
            case Kind::DosQm: m_qmMask |= bit; break;
            case Kind::DosDot: m_dotMask |= bit; break;
            case Kind::Char: {
                char32_t c = m_elements[i].code;
                if (c < 128) {
                    m_asciiMask[c] |= bit;
                } else {
                    bool found = false;
                    for (auto& [code, mask] : m_otherMasks)
                        if (code == c) {
                            mask |= bit;
                            found = true;
                        }
                    if (!found)
                        m_otherMasks.emplace_back(c, bit);
                }
                break;
            }
            }
        }
    }
}

bool WildcardMatcher::matches(std::string_view name) const {
    if (m_everything)
        return true;
    if (m_elements.empty())
        return false;
    return m_elements.size() < 64 ? matchSmall(name) : matchLarge(name);
}

// A simulation of all positions in the pattern at once: bit i of `states` is set when the name
// read so far can stand before element i. The transitions that consume no character depend on
// what comes next in the name (a dot, the end, anything else).
bool WildcardMatcher::matchSmall(std::string_view name) const {
    const std::size_t lastDot = m_hasDosStar ? name.rfind('.') : std::string_view::npos;
    const uint64_t always = m_starMask | m_dosStarMask;
    auto close = [](uint64_t s, uint64_t eps) {
        for (;;) {
            uint64_t n = s | ((s & eps) << 1);
            if (n == s)
                return s;
            s = n;
        }
    };
    uint64_t states = 1;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t offset = i;
        const char32_t c = nextUpper(name, i);
        const bool isDot = c == '.';
        states = close(states, isDot ? (always | m_qmMask) : always);
        uint64_t litMask = 0;
        if (c < 128) {
            litMask = m_asciiMask[c];
        } else {
            for (const auto& [code, mask] : m_otherMasks)
                if (code == c)
                    litMask |= mask;
        }
        uint64_t next = ((states & litMask) << 1) | (states & m_starMask);
        // "*" before a dot that is not the last one may run past it; never past the last dot.
        if (!isDot || (lastDot != std::string_view::npos && offset < lastDot))
            next |= states & m_dosStarMask;
        if (isDot)
            next |= (states & m_dotMask) << 1;
        else
            next |= (states & m_qmMask) << 1;
        states = next;
        if (!states)
            return false;
    }
    states = close(states, always | m_qmMask | m_dotMask);
    return (states >> m_elements.size()) & 1;
}

bool WildcardMatcher::matchLarge(std::string_view name) const {
    const std::size_t n = m_elements.size();
    const std::size_t lastDot = m_hasDosStar ? name.rfind('.') : std::string_view::npos;
    std::vector<char> states(n + 1, 0), next(n + 1, 0);
    states[0] = 1;
    auto close = [&](bool isDot, bool atEnd) {
        for (std::size_t k = 0; k < n; ++k) {
            if (!states[k])
                continue;
            Kind kind = m_elements[k].kind;
            if (kind == Kind::Star || kind == Kind::DosStar || (kind == Kind::DosQm && (isDot || atEnd)) ||
                (kind == Kind::DosDot && atEnd))
                states[k + 1] = 1;
        }
    };
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t offset = i;
        const char32_t c = nextUpper(name, i);
        const bool isDot = c == '.';
        close(isDot, false);
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (std::size_t k = 0; k < n; ++k) {
            if (!states[k])
                continue;
            const Element& e = m_elements[k];
            switch (e.kind) {
            case Kind::Char:
                if (e.code == c)
                    next[k + 1] = 1;
                break;
            case Kind::Star: next[k] = 1; break;
            case Kind::DosStar:
                if (!isDot || (lastDot != std::string_view::npos && offset < lastDot))
                    next[k] = 1;
                break;
            case Kind::DosQm:
                if (!isDot)
                    next[k + 1] = 1;
                break;
            case Kind::DosDot:
                if (isDot)
                    next[k + 1] = 1;
                break;
            }
        }
        states.swap(next);
        for (char s : states)
            any = any || s;
        if (!any)
            return false;
    }
    close(false, true);
    return states[n] != 0;
}

} // namespace rinoza
