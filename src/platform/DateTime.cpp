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

static bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

static int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && isLeap(y))
        return 29;
    return days[m - 1];
}

std::optional<FileTime> fromLocal(const LocalDateTime& t) {
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.millisecond < 0 ||
        t.millisecond > 999)
        return std::nullopt;
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
