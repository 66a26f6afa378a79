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

TEST(TextNumbers, DigitsAndSignedIntegersOfEveryWidth) {
    const struct {
        const char* text;
        std::optional<int32_t> integer; // parseInteger<int32_t>
        std::optional<uint32_t> digits; // parseDigits<uint32_t>
    } rows[] = {
        {"0", 0, 0U},
        {"007", 7, 7U},
        {"+5", 5, std::nullopt},
        {"-5", -5, std::nullopt},
        {"2147483647", INT32_MAX, 2147483647U},
        {"-2147483648", INT32_MIN, std::nullopt},
        {"2147483648", std::nullopt, 2147483648U},
        {"4294967296", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"+", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"+-1", std::nullopt, std::nullopt},
        {"--1", std::nullopt, std::nullopt},
        {" 1", std::nullopt, std::nullopt},
        {"1 ", std::nullopt, std::nullopt},
        {"1x", std::nullopt, std::nullopt},
        {"\xef\xbc\x91", std::nullopt, std::nullopt}, // a full-width digit
    };
    for (const auto& r : rows) {
        EXPECT_EQ(parseInteger<int32_t>(r.text), r.integer) << '"' << r.text << '"';
        EXPECT_EQ(parseDigits<uint32_t>(r.text), r.digits) << '"' << r.text << '"';
    }
    EXPECT_EQ(parseInteger<uint8_t>("-0"), std::nullopt);
    EXPECT_EQ(parseInteger<uint8_t>("+255"), uint8_t{255});
    EXPECT_EQ(parseDigits<int>("1f", 16), 31);
}

TEST(TextNumbers, TheIntegerAtTheStartStopsBeforeADigitThatWouldOverflow) {
    const struct {
        const char* text;
        std::size_t read;
        int64_t value;
    } rows[] = {
        {"12ab", 2, 12},
        {"-12-", 3, -12},
        {"+7", 2, 7},
        {"99999999999999999999", 18, 999999999999999999},
        {"-9223372036854775808", 20, INT64_MIN},
        {"-99999999999999999999", 19, -999999999999999999},
        {"x1", 0, 42},
        {"-", 0, 42},
        {"+-1", 0, 42},
        {"", 0, 42},
    };
    for (const auto& r : rows) {
        int64_t v = 42;
        EXPECT_EQ(readInteger(std::string_view(r.text), v), r.read) << r.text;
        EXPECT_EQ(v, r.value) << r.text;
    }
    uint32_t u = 9;
    EXPECT_EQ(readInteger(std::string_view("-1"), u), 0u);
    EXPECT_EQ(readInteger(std::string_view("4294967296"), u), 9u);
    EXPECT_EQ(u, 429496729u);
}
