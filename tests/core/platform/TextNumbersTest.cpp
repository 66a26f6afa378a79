#include "platform/TextNumbers.h"

#include <gtest/gtest.h>

using namespace rinoza;

TEST(TextNumbers, HexDigits) {
    const struct {
        const char* text;
        std::optional<uint64_t> expected;
    } rows[] = {
        {"0", 0},
        {"25f", 0x25f},
        {"25F", 0x25f},
        {"aBcDeF", 0xabcdef},
        {"00000000000000000001", 1}, // leading zeros do not count towards the limit
        {"FFFFFFFFFFFFFFFF", UINT64_MAX},
        {"10000000000000000", std::nullopt}, // one past 64 bits
        {"FFFFFFFFFFFFFFFFF", std::nullopt},
        {"", std::nullopt},
        {"0x1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"-1", std::nullopt},
        {"+1", std::nullopt},
        {"1g", std::nullopt},
        {"\xef\xbc\x91", std::nullopt}, // a full-width digit
    };
    for (const auto& r : rows)
        EXPECT_EQ(parseHexDigits(r.text), r.expected) << '"' << r.text << '"';
    EXPECT_EQ(parseHexDigits(std::string_view("1\0", 2)), std::nullopt);
}
