#include "platform/posix/DosAttrib.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

using namespace rinoza;

namespace {

std::string bytes(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s += static_cast<char>(b);
    return s;
}

} // namespace

TEST(DosAttrib, VersionThreeLayoutAsSambaWritesIt) {
    DosAttrib a;
    a.attrib = 0x20;
    a.createTime = FileTime{0, 0}; // 1970-01-01 = 116444736000000000 ticks = 0x019DB1DED53E8000
    const std::string b = encodeDosAttrib(a);
    // "0x20" NUL, pad to 2, version 3, level 3, pad to 4, valid flags (attrib | create time), attrib.
    EXPECT_EQ(b.substr(0, 20), bytes({'0', 'x', '2', '0', 0, 0, 3, 0, 3, 0, 0, 0, 0x11, 0, 0, 0, 0x20, 0, 0, 0}));
    ASSERT_EQ(b.size(), 12u + 44u);
    EXPECT_EQ(b.substr(12 + 28, 8), bytes({0x00, 0x80, 0x3E, 0xD5, 0xDE, 0xB1, 0x9D, 0x01}));
}

TEST(DosAttrib, RoundTripKeepsCreationTimeUnknownBitsAndOtherFields) {
    DosAttrib a;
    a.attrib = 0x2000 | 0x80 | AttrHidden | AttrSystem | AttrArchive;
    a.createTime = FileTime{1700000000, 123456700};
    a.otherFlags = 0x20; // change time valid
    a.changeTime = 0x01d9000000000001ULL;
    a.size = 12345;
    const auto d = decodeDosAttrib(encodeDosAttrib(a));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->attrib, a.attrib);
    EXPECT_EQ(d->createTime, a.createTime);
    EXPECT_EQ(d->otherFlags, 0x20u);
    EXPECT_EQ(d->changeTime, a.changeTime);
    EXPECT_EQ(d->size, 12345u);

    a.createTime.reset();
    const auto e = decodeDosAttrib(encodeDosAttrib(a));
    ASSERT_TRUE(e.has_value());
    EXPECT_FALSE(e->createTime.has_value());
}

TEST(DosAttrib, ReadsOlderAndNewerForms) {
    const std::string ntOf1970 = bytes({0x00, 0x80, 0x3E, 0xD5, 0xDE, 0xB1, 0x9D, 0x01});
    struct Case {
        const char* what;
        std::string blob;
        uint32_t attrib;
        bool hasCreate;
    } cases[] = {
        {"legacy text", "0x22", 0x22, false},
        {"legacy text with NUL", std::string("0x22\0", 5), 0x22, false},
        {"upper-case digits", "0X2A", 0x2a, false},
        {"version 4",
         std::string("0x2\0", 4) + bytes({4, 0, 4, 0, 0x11, 0, 0, 0, 2, 0, 0, 0}) + std::string(8, '\0') + ntOf1970,
         0x2, true},
        {"version 5", std::string("0x4\0", 4) + bytes({5, 0, 5, 0, 0x11, 0, 0, 0, 4, 0, 0, 0}) + ntOf1970, 0x4, true},
        {"version 5 without the create flag",
         std::string("0x4\0", 4) + bytes({5, 0, 5, 0, 0x01, 0, 0, 0, 4, 0, 0, 0}) + ntOf1970, 0x4, false},
        // The text decides the bits even when the record says otherwise.
        {"text wins, create time from the record",
         std::string("0x20\0\0", 6) + bytes({5, 0, 5, 0, 0, 0, 0x11, 0, 0, 0, 6, 0, 0, 0}) + ntOf1970, 0x20, true},
        {"empty text, bits from the record",
         std::string("\0\0", 2) + bytes({5, 0, 5, 0, 0, 0, 0x01, 0, 0, 0, 6, 0, 0, 0}) + ntOf1970, 0x6, false},
        {"truncated record", std::string("0x21\0\0", 6) + bytes({3, 0, 3, 0, 0x11, 0}), 0x21, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto d = decodeDosAttrib(c.blob);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(d->attrib, c.attrib);
        EXPECT_EQ(d->createTime.has_value(), c.hasCreate);
        if (c.hasCreate) {
            EXPECT_EQ(*d->createTime, (FileTime{0, 0}));
        }
    }
}

TEST(DosAttrib, MalformedTextIsTreatedAsAbsent) {
    for (std::string blob : {std::string(""), std::string("22"), std::string("0x"), std::string("0xZZ"),
                             std::string("0x123456789"), std::string("0x2 "), std::string("\0", 1)}) {
        SCOPED_TRACE(blob);
        EXPECT_FALSE(decodeDosAttrib(blob).has_value());
    }
}

TEST(DosAttrib, CreationTimesTheValueCanHold) {
    constexpr int64_t k1601 = -11'644'473'600;
    const std::pair<FileTime, bool> cases[] = {
        {{k1601, 100}, true},          {{k1601, 99}, false},         // the value 0 reads back as no time at all
        {{k1601 - 1, 0}, false},       {{910'692'730'084, 0}, true}, // the year 30828
        {{910'692'730'086, 0}, false}, {{0, -1}, false},
    };
    for (const auto& [t, fits] : cases)
        EXPECT_EQ(fitsNtTime(t), fits) << t.sec << "." << t.nsec;
}
