#include "common/TextCodec.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>
#include <vector>

namespace rinoza {

namespace {

// The ICU table that maps like Windows code page 932 (0x5C is the backslash, 0x8160 the full-width
// tilde, NEC and IBM extensions included); "windows-31j" is an alias of it.
constexpr const char* kCp932Converter = "ibm-943_P15A-2003";

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// The converter refuses the single byte 0x80, which Windows reads as U+0080; every other byte that
// does not decode stops the conversion.
void toUnicodeCallback(const void*, UConverterToUnicodeArgs* args, const char* codeUnits, int32_t length,
                       UConverterCallbackReason reason, UErrorCode* err) {
    if (reason > UCNV_IRREGULAR)
        return;
    if (length == 1 && static_cast<unsigned char>(codeUnits[0]) == 0x80) {
        const UChar c = 0x80;
        *err = U_ZERO_ERROR;
        ucnv_cbToUWriteUChars(args, &c, 1, 0, err);
    }
}

// The table rotates three control codes (0x1A gives U+001C, 0x1C U+007F, 0x7F U+001A); Windows maps
// each to itself. No other byte sequence decodes to these code points.
UChar windowsControlCode(UChar c) {
    switch (c) {
    case 0x1C:
        return 0x1A;
    case 0x7F:
        return 0x1C;
    case 0x1A:
        return 0x7F;
    default:
        return c;
    }
}

// One strict converter per thread: opening a converter for every name of a long list costs more
// than the conversion itself.
UConverter* cp932Converter() {
    thread_local ConverterPtr conv = [] {
        UErrorCode err = U_ZERO_ERROR;
        ConverterPtr c(ucnv_open(kCp932Converter, &err));
        if (U_FAILURE(err))
            return ConverterPtr();
        ucnv_setToUCallBack(c.get(), toUnicodeCallback, nullptr, nullptr, nullptr, &err);
        if (U_FAILURE(err))
            return ConverterPtr();
        return c;
    }();
    return conv.get();
}

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there do not form one
// (overlong forms, surrogates and values above U+10FFFF are not valid).
std::size_t utf8SequenceAt(std::string_view s, std::size_t i, char32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        code = b0;
        return 1;
    }
    std::size_t len;
    char32_t cp;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    code = cp;
    return len;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int cp932Width(char32_t c) {
    return (c <= 0x7F || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
}

template <class Map> std::string mapCase(std::string_view s, Map map) {
    std::string out;
    out.reserve(s.size());
    forEachNameChar(s, [&](const NameChar& c) {
        if (c.stray)
            out.append(s.substr(c.offset, c.length));
        else
            appendUtf8(out, static_cast<char32_t>(map(static_cast<UChar32>(c.code))));
        return true;
    });
    return out;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    char32_t code = 0;
    while (i < bytes.size()) {
        // ASCII runs are the common case of file names: eight bytes at a time where they are.
        if (i + 8 <= bytes.size()) {
            uint64_t eight = 0;
            std::memcpy(&eight, bytes.data() + i, 8);
            if ((eight & 0x8080808080808080u) == 0) {
                i += 8;
                continue;
            }
        }
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = utf8SequenceAt(bytes, i, code);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

NameChar nameCharAt(std::string_view s, std::size_t i) {
    NameChar c;
    c.offset = i;
    if (i >= s.size())
        return c;
    char32_t code = 0;
    const std::size_t len = utf8SequenceAt(s, i, code);
    if (len == 0) {
        c.length = 1;
        c.code = 0xDC00 + static_cast<unsigned char>(s[i]);
        c.stray = true;
        c.width = 1;
        return c;
    }
    c.length = len;
    c.code = code;
    c.width = cp932Width(code);
    return c;
}

bool decodeCp932(std::string_view bytes, std::string& utf8) {
    utf8.clear();
    if (bytes.empty())
        return true;
    UConverter* conv = cp932Converter();
    if (!conv)
        return false;
    ucnv_reset(conv);
    // Every CP932 byte gives at most one UTF-16 unit.
    std::vector<UChar> units(bytes.size() + 1);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv, units.data(), static_cast<int32_t>(units.size()), bytes.data(),
                                    static_cast<int32_t>(bytes.size()), &err);
    if (U_FAILURE(err))
        return false;
    for (int32_t k = 0; k < n; ++k)
        units[static_cast<std::size_t>(k)] = windowsControlCode(units[static_cast<std::size_t>(k)]);
    int32_t need = 0;
    err = U_ZERO_ERROR;
    u_strToUTF8(nullptr, 0, &need, units.data(), n, &err);
    if (err != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(err))
        return false;
    utf8.resize(static_cast<std::size_t>(need));
    err = U_ZERO_ERROR;
    u_strToUTF8(utf8.data(), need, &need, units.data(), n, &err);
    if (U_FAILURE(err)) {
        utf8.clear();
        return false;
    }
    // The terminating-NUL warning is expected: std::string keeps its own.
    return true;
}

std::string displayText(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string decoded;
    if (decodeCp932(bytes, decoded))
        return decoded;
    std::string out;
    out.reserve(bytes.size() + 8);
    forEachNameChar(bytes, [&](const NameChar& c) {
        if (c.stray)
            out += "\xEF\xBF\xBD";
        else
            out.append(bytes.substr(c.offset, c.length));
        return true;
    });
    return out;
}

std::string_view nameReading(std::string_view bytes, std::string& decoded) {
    if (isValidUtf8(bytes) || !decodeCp932(bytes, decoded))
        return bytes;
    return decoded;
}

std::string textFileToUtf8(std::string_view content) {
    if (isValidUtf8(content)) {
        if (content.substr(0, 3) == "\xEF\xBB\xBF")
            content.remove_prefix(3);
        return std::string(content);
    }
    std::string decoded;
    if (decodeCp932(content, decoded))
        return decoded;
    // Neither encoding: keep what can be read and mark the rest.
    return displayText(content);
}

std::u16string nameToUtf16(std::string_view name) {
    std::u16string out;
    out.reserve(name.size());
    forEachNameChar(name, [&](const NameChar& c) {
        if (c.code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c.code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c.code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c.code);
        }
        return true;
    });
    return out;
}

std::string nameFromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u - 0xDC00);
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

std::string toUpperName(std::string_view s) {
    return mapCase(s, [](UChar32 c) { return u_toupper(c); });
}

std::string toLowerName(std::string_view s) {
    return mapCase(s, [](UChar32 c) { return u_tolower(c); });
}

} // namespace rinoza
