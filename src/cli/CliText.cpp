#include "cli/CliText.h"

#include "common/TextCodec.h"
#include "run/RunEngine.h"

namespace rinoza::cli {

namespace {

void appendByteEscape(std::string& out, unsigned char b) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
}

// C0 and C1 control characters and DEL: a terminal acts on them instead of showing them.
bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Valid UTF-8 characters kept; stray bytes and control characters escaped, each byte of the name as
// "\xNN". Text read from CP932 stands for the name's bytes, where U+0080 was the byte 0x80.
std::string escapedText(std::string_view s, bool fromCp932) {
    std::string out;
    out.reserve(s.size());
    forEachNameChar(s, [&](const NameChar& c) {
        if (c.stray || (isControl(c.code) && c.length == 1)) {
            appendByteEscape(out, static_cast<unsigned char>(s[c.offset]));
        } else if (isControl(c.code) && fromCp932) {
            appendByteEscape(out, static_cast<unsigned char>(c.code));
        } else if (isControl(c.code)) {
            for (std::size_t i = 0; i < c.length; ++i)
                appendByteEscape(out, static_cast<unsigned char>(s[c.offset + i]));
        } else {
            out.append(s.substr(c.offset, c.length));
        }
        return true;
    });
    return out;
}

// Whether valid UTF-8 holds a control character (a C1 one is 0xC2 0x80..0x9F).
bool hasControl(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x20 || b == 0x7F || (b == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) <= 0x9F))
            return true;
    }
    return false;
}

} // namespace

void appendReadable(std::string& out, std::string_view bytes) {
    // Most names are plain UTF-8 and go over as they are.
    if (isValidUtf8(bytes) && !hasControl(bytes))
        out += bytes;
    else
        out += readableText(bytes);
}

std::string readableText(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return hasControl(bytes) ? escapedText(bytes, false) : std::string(bytes);
    std::string decoded;
    if (decodeCp932(bytes, decoded))
        return hasControl(decoded) ? escapedText(decoded, true) : decoded;
    return escapedText(bytes, false);
}

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 | static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string jsonString(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char ch = utf8[i];
        const auto b = static_cast<unsigned char>(ch);
        // A C1 control character (0xC2 0x80..0x9F) is written as its code, as a C0 one is.
        if (b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            const auto code = static_cast<unsigned char>(utf8[++i]);
            out += "\\u00";
            out += kHex[code >> 4];
            out += kHex[code & 0x0F];
            continue;
        }
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (b < 0x20 || b == 0x7F) {
                out += "\\u00";
                out += kHex[b >> 4];
                out += kHex[b & 0x0F];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

std::string jsonPathField(std::string_view key, std::string_view bytes) {
    std::string out = jsonString(key) + ":";
    if (isValidUtf8(bytes))
        return out + jsonString(bytes);
    out += jsonString(readableText(bytes));
    out += ",";
    out += jsonString(std::string(key) + "_base64");
    out += ":\"" + base64(bytes) + "\"";
    return out;
}

std::string_view outcomeCode(std::string_view text) {
    if (text.starts_with("OK"))
        return "ok";
    if (text == outcome::kSameName)
        return "same-name";
    if (text == outcome::kMissing)
        return "missing";
    if (text == outcome::kExists)
        return "exists";
    if (text == outcome::kSystemFile)
        return "system-file";
    if (text == outcome::kError)
        return "error";
    return "";
}

} // namespace rinoza::cli
