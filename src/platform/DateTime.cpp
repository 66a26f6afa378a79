#include "platform/DateTime.h"

#include <ctime>

namespace rinoza {

LocalDateTime SystemClock::now() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return toLocal(FileTime{static_cast<int64_t>(ts.tv_sec), static_cast<int32_t>(ts.tv_nsec)});
}

LocalDateTime toLocal(FileTime t) {
    time_t s = static_cast<time_t>(t.sec);
    tm lt{};
    localtime_r(&s, &lt);
    LocalDateTime r;
    r.year = lt.tm_year + 1900;
    r.month = lt.tm_mon + 1;
    r.day = lt.tm_mday;
    r.hour = lt.tm_hour;
    r.minute = lt.tm_min;
    r.second = lt.tm_sec;
    r.millisecond = t.nsec / 1000000;
    return r;
}

bool sameStoredTime(const FileTime& kept, const FileTime& written) {
    if (kept.sec == written.sec)
        return true;
    const int64_t secs = kept.sec - written.sec;
    if (secs > 2 || secs < -2)
        return false;
    int64_t nanos = secs * 1'000'000'000 + (static_cast<int64_t>(kept.nsec) - written.nsec);
    if (nanos < 0)
        nanos = -nanos;
    return nanos < 2'000'000'000;
}

static bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

static int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && isLeap(y))
        return 29;
    return days[m - 1];
}

// Days from 1970-01-01 to a civil date (Howard Hinnant's algorithm).
static int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Seconds east of UTC of local time at a moment.
static std::optional<long> offsetAt(int64_t sec) {
    const time_t s = static_cast<time_t>(sec);
    tm lt{};
    if (!localtime_r(&s, &lt))
        return std::nullopt;
    return lt.tm_gmtoff;
}

std::optional<FileTime> fromLocal(const LocalDateTime& t) {
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.millisecond < 0 || t.millisecond > 999)
        return std::nullopt;
    // mktime costs more than a file's system calls in a long run, so the usual case goes through
    // localtime_r: the fields read as universal time, less the offset in force there. Near a change of
    // the offset (daylight saving) mktime decides, as before.
    const int64_t asUtc = daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    if (const std::optional<long> off = offsetAt(asUtc)) {
        const int64_t s = asUtc - *off;
        if (offsetAt(s) == off && offsetAt(s - 86400) == off && offsetAt(s + 86400) == off)
            return FileTime{s, t.millisecond * 1000000};
    }
    tm lt{};
    lt.tm_year = t.year - 1900;
    lt.tm_mon = t.month - 1;
    lt.tm_mday = t.day;
    lt.tm_hour = t.hour;
    lt.tm_min = t.minute;
    lt.tm_sec = t.second;
    lt.tm_isdst = -1;
    time_t s = mktime(&lt);
    if (s == static_cast<time_t>(-1) && !(lt.tm_year == 69 && lt.tm_mon == 11 && lt.tm_mday == 31))
        return std::nullopt;
    return FileTime{static_cast<int64_t>(s), t.millisecond * 1000000};
}

std::optional<LocalDateTime> toDosGrain(const LocalDateTime& t) {
    if (t.year < 1980 || t.year > 2107)
        return std::nullopt;
    LocalDateTime r = t;
    r.second = t.second / 2 * 2;
    r.millisecond = 0;
    return r;
}

int weekday(int year, int month, int day) {
    // Sakamoto's method.
    static const int off[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + off[month - 1] + day) % 7;
}

} // namespace rinoza
