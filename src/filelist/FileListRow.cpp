#include "filelist/FileListRow.h"

#include "common/TextCodec.h"

#include <cstdio>
#include <utility>

namespace rinoza {

int64_t SizeKb(int64_t bytes) {
    if (bytes <= 0)
        return 0;
    if (bytes < 1024)
        return 1;
    return bytes / 1024;
}

std::string SizeText(int64_t bytes) {
    std::string s = std::to_string(SizeKb(bytes));
    s += "KB";
    return s;
}

std::string ExtensionText(std::string_view name) {
    auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    return toUpperName(name.substr(dot + 1));
}

namespace {

// The fields of a DOS date and time: seconds / 2, minutes, hours, day, month, years since 1980.
constexpr int kSecondShift = 0, kMinuteShift = 5, kHourShift = 11, kDayShift = 16, kMonthShift = 21, kYearShift = 25;

int field(uint32_t date, int shift, uint32_t mask) {
    return static_cast<int>((date >> shift) & mask);
}

} // namespace

uint32_t DateColumnDate(const std::optional<FileTime>& t) {
    if (!t)
        return 0;
    const std::optional<LocalDateTime> d = toDosGrain(toLocal(*t));
    if (!d)
        return 0;
    // The month is never 0, so no known date packs to 0.
    return static_cast<uint32_t>(d->year - 1980) << kYearShift | static_cast<uint32_t>(d->month) << kMonthShift |
           static_cast<uint32_t>(d->day) << kDayShift | static_cast<uint32_t>(d->hour) << kHourShift |
           static_cast<uint32_t>(d->minute) << kMinuteShift | static_cast<uint32_t>(d->second / 2) << kSecondShift;
}

std::string DateColumnDateText(uint32_t date) {
    if (date == 0)
        return "(不明)";
    // Formatted by hand: the list asks for these texts of every row it sorts.
    char buf[19] = {};
    auto put = [&buf](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            buf[at + i] = static_cast<char>('0' + value % 10);
    };
    put(0, 1980 + field(date, kYearShift, 0x7f), 4);
    buf[4] = '/';
    put(5, field(date, kMonthShift, 0xf), 2);
    buf[7] = '/';
    put(8, field(date, kDayShift, 0x1f), 2);
    const int hour = field(date, kHourShift, 0x1f), minute = field(date, kMinuteShift, 0x3f),
              second = 2 * field(date, kSecondShift, 0x1f);
    if (hour == 0 && minute == 0 && second == 0)
        return std::string(buf, 10);
    buf[10] = ' ';
    put(11, hour, 2);
    buf[13] = ':';
    put(14, minute, 2);
    buf[16] = ':';
    put(17, second, 2);
    return std::string(buf, 19);
}

std::string DateColumnText(const std::optional<FileTime>& t) {
    return DateColumnDateText(DateColumnDate(t));
}

std::string AttributeText(uint32_t attributes) {
    std::string s;
    s.reserve(8);
    s += (attributes & AttrReadOnly) ? "R" : "  ";
    s += (attributes & AttrHidden) ? "H" : "  ";
    s += (attributes & AttrSystem) ? "S" : "  ";
    s += (attributes & AttrArchive) ? "A" : "  ";
    return s;
}

FileListRow makeFileListRow(const FileInfo& info, std::string folder, bool withIcon, DateColumnMemo* memo) {
    FileListRow row;
    row.name = info.name;
    row.folder = std::move(folder);
    row.hasIcon = withIcon;
    refreshRowFromInfo(row, info, memo);
    return row;
}

uint32_t DateColumnMemo::date(const std::optional<FileTime>& t) {
    if (!t)
        return 0;
    // The column shows no fraction of a second, so the whole second is the key.
    for (std::size_t i = 0; i < m_used; ++i)
        if (m_entries[i].sec == t->sec)
            return m_entries[i].date;
    Entry& e = m_entries[m_next];
    m_next = (m_next + 1) % m_entries.size();
    if (m_used < m_entries.size())
        ++m_used;
    e.sec = t->sec;
    e.date = DateColumnDate(t);
    return e.date;
}

void refreshRowFromInfo(FileListRow& row, const FileInfo& info, DateColumnMemo* memo) {
    row.detailed = true;
    row.size = info.size;
    if (memo) {
        row.created = memo->date(info.creation);
        row.updated = memo->date(info.lastWrite);
        row.accessed = memo->date(info.lastAccess);
    } else {
        row.created = DateColumnDate(info.creation);
        row.updated = DateColumnDate(info.lastWrite);
        row.accessed = DateColumnDate(info.lastAccess);
    }
    row.attributes = info.attributes;
    row.stamp = FileStamp::of(info);
}

std::string FileListRow::sizeText() const {
    return detailed ? SizeText(size) : std::string();
}

std::string FileListRow::extensionText() const {
    return detailed ? ExtensionText(name) : std::string();
}

std::string FileListRow::createdText() const {
    return detailed ? DateColumnDateText(created) : std::string();
}

std::string FileListRow::updatedText() const {
    return detailed ? DateColumnDateText(updated) : std::string();
}

std::string FileListRow::accessedText() const {
    return detailed ? DateColumnDateText(accessed) : std::string();
}

std::string FileListRow::attributeText() const {
    return detailed ? AttributeText(attributes) : std::string();
}

std::string rowCountStatusText(int64_t rows) {
    return std::to_string(rows) + " 個のファイルがリストアップされています。";
}

} // namespace rinoza
