#pragma once

// Byte strings and how they are shown. File names stay bytes; only display converts.

#include <cstdint>
#include <string>
#include <string_view>

namespace rinoza {

bool isValidUtf8(std::string_view bytes);

// Text for display, always valid UTF-8: valid UTF-8 as is; else the bytes decoded as CP932 when they
// are valid CP932; else UTF-8 with U+FFFD for each invalid byte.
std::string displayText(std::string_view bytes);

// Decodes CP932 (Shift-JIS as Windows writes it) to UTF-8. Returns false when the bytes are not valid CP932.
bool decodeCp932(std::string_view bytes, std::string& utf8);

// The text the name rules read for a name's bytes, so that a built name holds one encoding: valid
// UTF-8 as it is; else, when the bytes are valid CP932 (a name from an old Japanese archive), their
// CP932 reading, written into `decoded`; else the bytes as they are, each byte that does not start
// valid UTF-8 a character of its own. The result views `bytes` or `decoded`.
std::string_view nameReading(std::string_view bytes, std::string& decoded);

// A text file's content as UTF-8: valid UTF-8 (a BOM dropped) as is, otherwise decoded as CP932.
std::string textFileToUtf8(std::string_view content);

// One character of a name as the name rules see it: a valid UTF-8 sequence, or a single stray byte.
struct NameChar {
    std::size_t offset = 0; // byte offset in the name
    std::size_t length = 0; // bytes
    char32_t code = 0;      // code point; for a stray byte 0xDC00 + byte
    bool stray = false;
    int width = 1; // the width the character has in CP932: 1 for ASCII and half-width katakana, else 2
};

// Visits the characters of a name in order. Stops when f returns false.
template <class F> void forEachNameChar(std::string_view s, F&& f);

// Decodes the character that starts at byte i.
NameChar nameCharAt(std::string_view s, std::size_t i);

template <class F> void forEachNameChar(std::string_view s, F&& f) {
    std::size_t i = 0;
    while (i < s.size()) {
        NameChar c = nameCharAt(s, i);
        if (!f(c))
            return;
        i += c.length;
    }
}

// A name as UTF-16 for ICU's text services, and back. Each stray byte travels as the lone surrogate
// that is its NameChar code (U+DC80..U+DCFF), which no transform, normalization or match changes,
// so the bytes come back as they were. Any other lone surrogate comes back as U+FFFD.
std::u16string nameToUtf16(std::string_view name);
std::string nameFromUtf16(std::u16string_view text);

// Unicode simple case mapping, one character in, one out; stray bytes unchanged.
std::string toUpperName(std::string_view s);
std::string toLowerName(std::string_view s);

} // namespace rinoza
