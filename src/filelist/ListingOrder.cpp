#include "filelist/ListingOrder.h"

#include "common/TextCodec.h"

#include <unicode/uchar.h>

namespace rinoza {

namespace {

void appendUtf8Key(std::string_view utf8, std::u16string& key) {
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            key.push_back(static_cast<char16_t>(b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b));
            ++i;
            continue;
        }
        const NameChar c = nameCharAt(utf8, i);
        i += c.length;
        const char32_t u = static_cast<char32_t>(u_toupper(static_cast<UChar32>(c.code)));
        if (u < 0x10000) {
            key.push_back(static_cast<char16_t>(u));
        } else {
            key.push_back(static_cast<char16_t>(0xD7C0 + (u >> 10)));
            key.push_back(static_cast<char16_t>(0xDC00 + (u & 0x3FF)));
        }
    }
}

} // namespace

void appendListingKey(std::string_view name, std::u16string& key) {
    if (isValidUtf8(name)) {
        appendUtf8Key(name, key);
        return;
    }
    std::string decoded;
    if (decodeCp932(name, decoded)) {
        appendUtf8Key(decoded, key);
        return;
    }
    for (char ch : name) {
        const unsigned char b = static_cast<unsigned char>(ch);
        key.push_back(static_cast<char16_t>(b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b));
    }
}

} // namespace rinoza
