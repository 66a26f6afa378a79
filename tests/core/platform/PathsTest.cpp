#include "platform/Paths.h"
#include "platform/DateTime.h"

#include <gtest/gtest.h>

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
