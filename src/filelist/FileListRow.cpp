#include "filelist/FileListRow.h"

#include "common/TextCodec.h"

#include <cstdio>

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

std::string DateColumnText(const std::optional<FileTime>& t) {
    static const std::string unknown = "(不明)";
    if (!t)
        return unknown;
    std::optional<LocalDateTime> d = toDosGrain(toLocal(*t));
    if (!d)
        return unknown;
    // Formatted by hand: three of these per row make printf show up in long runs.
    char buf[19] = {};
    auto put = [&buf](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            buf[at + i] = static_cast<char>('0' + value % 10);
    };
    put(0, d->year, 4);
    buf[4] = '/';
    put(5, d->month, 2);
    buf[7] = '/';
    put(8, d->day, 2);
    if (d->hour == 0 && d->minute == 0 && d->second == 0)
        return std::string(buf, 10);
    buf[10] = ' ';
    put(11, d->hour, 2);
    buf[13] = ':';
    put(14, d->minute, 2);
    buf[16] = ':';
    put(17, d->second, 2);
    return std::string(buf, 19);
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

FileListRow makeFileListRow(const FileInfo& info, const std::string& folder, bool withIcon, DateTextMemo* memo) {
    FileListRow row;
    row.name = info.name;
    row.folder = folder;
    row.hasIcon = withIcon;
    row.extensionText = ExtensionText(row.name);
    refreshRowFromInfo(row, info, memo);
    return row;
}

const std::string& DateTextMemo::text(const std::optional<FileTime>& t) {
    if (!t) {
        if (m_unknown.empty())
            m_unknown = DateColumnText(t);
        return m_unknown;
    }
    // The column shows no fraction of a second, so the whole second is the key.
    for (std::size_t i = 0; i < m_used; ++i)
        if (m_entries[i].sec == t->sec)
            return m_entries[i].text;
    Entry& e = m_entries[m_next];
    m_next = (m_next + 1) % m_entries.size();
    if (m_used < m_entries.size())
        ++m_used;
    e.sec = t->sec;
    e.text = DateColumnText(t);
    return e.text;
}

void refreshRowFromInfo(FileListRow& row, const FileInfo& info, DateTextMemo* memo) {
    row.size = info.size;
    row.sizeText = SizeText(info.size);
    if (memo) {
        row.createdText = memo->text(info.creation);
        row.updatedText = memo->text(info.lastWrite);
        row.accessedText = memo->text(info.lastAccess);
    } else {
        row.createdText = DateColumnText(info.creation);
        row.updatedText = DateColumnText(info.lastWrite);
        row.accessedText = DateColumnText(info.lastAccess);
    }
    row.attributeText = AttributeText(info.attributes);
    row.stamp = FileStamp::of(info);
}

std::string rowCountStatusText(int64_t rows) {
    return std::to_string(rows) + " 個のファイルがリストアップされています。";
}

} // namespace rinoza
