#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rinoza {

// A broken-down local date and time, as the user reads it.
struct LocalDateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const LocalDateTime&) const = default;
};

// A point in time in UTC, with nanoseconds, as file systems keep it.
struct FileTime {
    int64_t sec = 0;
    int32_t nsec = 0;

    bool operator==(const FileTime&) const = default;
};

// "Now" comes from a clock object so that tests and benchmarks can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalDateTime now() const override;
};

// A clock that always answers the same moment (tests, the fixed history header of a benchmark).
class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime t) : m_t(t) {}
    LocalDateTime now() const override { return m_t; }
    void set(LocalDateTime t) { m_t = t; }

private:
    LocalDateTime m_t;
};

// Local-time conversions through the C library (localtime_r, mktime with tm_isdst = -1).
LocalDateTime toLocal(FileTime t);
// Returns nullopt when the fields do not form an existing local date and time (30 February, 25:00).
std::optional<FileTime> fromLocal(const LocalDateTime& t);

// The packed DOS date and time of a local time: two-second grain, years 1980 to 2107.
// nullopt when the time lies outside that range.
std::optional<LocalDateTime> toDosGrain(const LocalDateTime& t);

// Whether a time read back from a file is the one written, as a file system keeps it. Many keep
// coarser times than nanoseconds (whole seconds, or two seconds on FAT, rounded either way), so the
// times count as equal when they share the whole second or lie less than two seconds apart.
bool sameStoredTime(const FileTime& kept, const FileTime& written);

// Weekday 0 = Sunday .. 6 = Saturday of a valid civil date.
int weekday(int year, int month, int day);

} // namespace rinoza
