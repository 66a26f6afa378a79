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

bool isControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

// Valid UTF-8 characters kept, stray bytes and control characters escaped.
std::string escapedText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    forEachNameChar(s, [&](const NameChar& c) {
        if (c.stray || isControl(c.code))
            appendByteEscape(out, static_cast<unsigned char>(s[c.offset]));
        else
            out.append(s.substr(c.offset, c.length));
        return true;
    });
    return out;
}

bool hasControl(std::string_view s) {
    for (char ch : s)
        if (isControl(static_cast<unsigned char>(ch)))
            return true;
    return false;
}

} // namespace

std::string readableText(std::string_view bytes) {
    if (isValidUtf8(bytes))
        return hasControl(bytes) ? escapedText(bytes) : std::string(bytes);
    std::string decoded;
    if (decodeCp932(bytes, decoded))
        return hasControl(decoded) ? escapedText(decoded) : decoded;
    return escapedText(bytes);
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
    for (char ch : utf8) {
        const auto b = static_cast<unsigned char>(ch);
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
            if (b < 0x20) {
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
