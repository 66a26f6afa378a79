#include "platform/TextNumbers.h"

namespace rinoza {

std::optional<uint64_t> parseHexDigits(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    uint64_t v = 0;
    for (char c : digits) {
        uint64_t d;
        if (c >= '0' && c <= '9')
            d = static_cast<uint64_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            d = static_cast<uint64_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            d = static_cast<uint64_t>(c - 'A' + 10);
        else
            return std::nullopt;
        if (v > (UINT64_MAX >> 4))
            return std::nullopt;
        v = v << 4 | d;
    }
    return v;
}

} // namespace rinoza
