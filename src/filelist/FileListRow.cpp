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
    char buf[32];
    int n;
    if (d->hour == 0 && d->minute == 0 && d->second == 0)
        n = std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d->year, d->month, d->day);
    else
        n = std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", d->year, d->month, d->day, d->hour,
                          d->minute, d->second);
    return std::string(buf, static_cast<std::size_t>(n));
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

FileListRow makeFileListRow(const FileInfo& info, const std::string& folder, bool withIcon) {
    FileListRow row;
    row.name = info.name;
    row.folder = folder;
    row.hasIcon = withIcon;
    row.extensionText = ExtensionText(row.name);
    refreshRowFromInfo(row, info);
    return row;
}

void refreshRowFromInfo(FileListRow& row, const FileInfo& info) {
    row.size = info.size;
    row.sizeText = SizeText(info.size);
    row.createdText = DateColumnText(info.creation);
    row.updatedText = DateColumnText(info.lastWrite);
    row.accessedText = DateColumnText(info.lastAccess);
    row.attributeText = AttributeText(info.attributes);
}

std::string rowCountStatusText(int64_t rows) {
    return std::to_string(rows) + " 個のファイルがリストアップされています。";
}

} // namespace rinoza
