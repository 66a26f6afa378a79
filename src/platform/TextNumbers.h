#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace rinoza {

// The value of a run of hexadecimal digits (either letter case, no prefix, no sign, no blanks).
// nullopt when the text is empty, holds any other character, or the value does not fit 64 bits.
std::optional<uint64_t> parseHexDigits(std::string_view digits);

} // namespace rinoza
