#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

void setLastWrite(const std::string& path, const LocalDateTime& local) {
    const auto t = fromLocal(local);
    ASSERT_TRUE(t.has_value());
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(t->sec);
    times[1].tv_nsec = t->nsec;
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

} // namespace

TEST(GetFileDate, LocalTimeWithTheTwoSecondGrain) {
    TempDir dir;
    const std::string path = dir / "a.txt";
    test::writeFile(path, "x");
    setLastWrite(path, LocalDateTime{2024, 3, 7, 9, 3, 7, 0});
    std::vector<std::string> missing;
    const auto onMissing = [&](const std::string& p) { missing.push_back(p); };

    EXPECT_EQ(GetFileDate(systemFileSystem(), path, FileDateKind::Upd, onMissing),
              (LocalDateTime{2024, 3, 7, 9, 3, 6, 0}));

    // Through the builder, as a run reads it.
    FixedClock clock(LocalDateTime{2026, 12, 6, 13, 45, 9, 0});
    NameBuilder builder(clock, [&](const std::string& p, FileDateKind kind) -> std::optional<LocalDateTime> {
        return GetFileDate(systemFileSystem(), p, kind, onMissing);
    });
    RenameRuleSet r = RenameRuleSet::defaults();
    r.elements[7].checked = true;
    r.dateTime = 7;
    int32_t counter = 1;
    EXPECT_EQ(builder.BuildNewName(r, "a.txt", dir.path(), false, counter), "a.txt09_03_06");

    // A creation time, where this file system can keep one.
    const auto created = fromLocal(LocalDateTime{2023, 1, 2, 9, 3, 7, 0});
    if (systemFileSystem().setTimes(path, created, std::nullopt) == 0) {
        r.dateTime = 5;
        EXPECT_EQ(builder.BuildNewName(r, "a.txt", dir.path(), false, counter), "a.txt2023_01_0209_03_06");
    }

    // A missing file is reported with its path and gives the zero date-time.
    r.dateTime = 8;
    EXPECT_EQ(builder.BuildNewName(r, "gone.txt", dir.path(), false, counter), "gone.txt1899_12_3000_00_00");
    EXPECT_EQ(missing, std::vector<std::string>{dir / "gone.txt"});

    // Outside the years 1980 to 2107 there is no DOS date: the zero date-time, without a message.
    setLastWrite(path, LocalDateTime{1975, 6, 1, 12, 0, 0, 0});
    EXPECT_EQ(GetFileDate(systemFileSystem(), path, FileDateKind::Upd, onMissing), LocalDateTime{});
    EXPECT_EQ(missing.size(), 1u);
}
