#include "platform/Paths.h"
#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

using namespace rinoza;

TEST(Paths, JoinNeverDoublesTheSeparator) {
    EXPECT_EQ(joinPath("/", "a.txt"), "/a.txt");
    EXPECT_EQ(joinPath("/home/u", "a.txt"), "/home/u/a.txt");
    EXPECT_EQ(joinPath("/home/u/", "a.txt"), "/home/u/a.txt");
}

TEST(Paths, ParentAndBaseName) {
    EXPECT_EQ(parentOf("/a/b.txt"), "/a");
    EXPECT_EQ(parentOf("/b"), "/");
    EXPECT_EQ(parentOf("/a/b/"), "/a");
    EXPECT_EQ(baseNameOf("/a/b.txt"), "b.txt");
    EXPECT_EQ(baseNameOf("/"), "");
}

TEST(DateTime, WeekdayAndLocalRoundTrip) {
    EXPECT_EQ(weekday(2026, 12, 6), 0); // a Sunday
    EXPECT_EQ(weekday(2000, 2, 29), 2);
    LocalDateTime t{2024, 2, 29, 13, 45, 9, 0};
    auto ft = fromLocal(t);
    ASSERT_TRUE(ft.has_value());
    EXPECT_EQ(toLocal(*ft), t);
    EXPECT_FALSE(fromLocal(LocalDateTime{2023, 2, 29, 0, 0, 0, 0}).has_value());
    EXPECT_EQ(toDosGrain(LocalDateTime{2024, 1, 1, 10, 15, 27, 500})->second, 26);
    EXPECT_FALSE(toDosGrain(LocalDateTime{1979, 12, 31, 0, 0, 0, 0}).has_value());
}

TEST(DateTime, FromLocalAgreesWithMktimeAroundOffsetChanges) {
    const char* old = getenv("TZ");
    const std::string saved = old ? old : "";
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    // Whole days around both changes of 2024 (31 March, 27 October) and two ordinary days.
    const int days[][2] = {{3, 30}, {3, 31}, {4, 1}, {10, 26}, {10, 27}, {10, 28}, {1, 15}, {7, 4}};
    for (const auto& d : days) {
        for (int minute = 0; minute < 24 * 60; minute += 15) {
            const LocalDateTime t{2024, d[0], d[1], minute / 60, minute % 60, 30, 250};
            tm lt{};
            lt.tm_year = 124;
            lt.tm_mon = d[0] - 1;
            lt.tm_mday = d[1];
            lt.tm_hour = t.hour;
            lt.tm_min = t.minute;
            lt.tm_sec = t.second;
            lt.tm_isdst = -1;
            const time_t expected = mktime(&lt);
            const auto got = fromLocal(t);
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(got->sec, static_cast<int64_t>(expected)) << d[0] << "/" << d[1] << " " << minute;
            EXPECT_EQ(got->nsec, 250000000);
        }
    }
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
