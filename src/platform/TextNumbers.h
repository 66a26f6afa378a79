#pragma once

// Whole numbers read from text: one family on std::from_chars, so that every field, stored value and
// argument takes digits, signs and limits the same way.

#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <system_error>

namespace rinoza {

// The value of a run of digits in base (2 to 36; letters of either case above 9): no sign, no blanks,
// no prefix. nullopt when the text is empty, holds any other character, or the value does not fit T.
template <std::integral T> std::optional<T> parseDigits(std::string_view digits, int base = 10) {
    // from_chars takes a leading "-" for a signed type; a run of digits has none.
    if (digits.empty() || digits.front() == '-')
        return std::nullopt;
    T value{};
    const char* last = digits.data() + digits.size();
    const auto [end, ec] = std::from_chars(digits.data(), last, value, base);
    if (ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

// The value of a text that is an optional sign ("+", or "-" for a signed T) followed by digits in
// base, nothing before or after. nullopt otherwise, or when the value lies outside T (its lowest
// value included).
template <std::integral T> std::optional<T> parseInteger(std::string_view text, int base = 10) {
    if (text.starts_with('+'))
        return parseDigits<T>(text.substr(1), base);
    if constexpr (std::signed_integral<T>) {
        if (text.starts_with('-')) {
            if (text.size() < 2 || text[1] == '-' || text[1] == '+')
                return std::nullopt;
            T value{};
            const char* last = text.data() + text.size();
            const auto [end, ec] = std::from_chars(text.data(), last, value, base);
            if (ec != std::errc() || end != last)
                return std::nullopt;
            return value;
        }
    }
    return parseDigits<T>(text, base);
}

// Reads the integer at the start of text: an optional sign ("+", or "-" for a signed T), then the
// longest run of digits in base whose value fits T (a digit that would leave T's range ends the run
// like any other character). Returns the number of characters read, with value set; 0, with value
// untouched, when no digit comes after the sign.
template <std::integral T> std::size_t readInteger(std::string_view text, T& value, int base = 10) {
    const bool plus = text.starts_with('+');
    const bool minus = std::signed_integral<T> && text.starts_with('-');
    const std::size_t signLength = plus || minus ? 1 : 0;
    if (text.size() <= signLength || text[signLength] == '+' || text[signLength] == '-')
        return 0;
    // from_chars reads a minus itself, never a plus.
    const char* first = text.data() + (plus ? 1 : 0);
    const char* digits = text.data() + signLength;
    T v{};
    auto r = std::from_chars(first, text.data() + text.size(), v, base);
    // Out of range: read again one digit shorter, at most the few digits beyond T's width.
    while (r.ec == std::errc::result_out_of_range && r.ptr - digits > 1)
        r = std::from_chars(first, r.ptr - 1, v, base);
    if (r.ec != std::errc())
        return 0;
    value = v;
    return static_cast<std::size_t>(r.ptr - text.data());
}

// The value of a run of hexadecimal digits (either letter case, no prefix, no sign, no blanks).
// nullopt when the text is empty, holds any other character, or the value does not fit 64 bits.
inline std::optional<uint64_t> parseHexDigits(std::string_view digits) {
    return parseDigits<uint64_t>(digits, 16);
}

} // namespace rinoza
