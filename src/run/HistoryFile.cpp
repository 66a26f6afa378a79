#include "run/HistoryFile.h"

#include "common/TextCodec.h"

#include <cerrno>
#include <cstdio>

namespace rinoza {

namespace history {

std::string_view methodLine(RenameMethod method) {
    switch (method) {
    case RenameMethod::RenameAndCopy:
        return kCopyed;
    case RenameMethod::RenameAndMove:
        return kMoved;
    case RenameMethod::RenameOnly:
        break;
    }
    return kChanged;
}

std::string dateLine(const LocalDateTime& t) {
    static constexpr std::string_view kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d(", t.year, t.month, t.day);
    std::string line = "{                 ";
    line += buf;
    int wd = weekday(t.year, t.month, t.day);
    line += kWeekdays[(wd % 7 + 7) % 7];
    std::snprintf(buf, sizeof buf, ") %02d:%02d }", t.hour, t.minute);
    line += buf;
    return line;
}

std::array<std::string, 10> headerLines(const LocalDateTime& t, RenameMethod method) {
    return {std::string(kTitleLine),        std::string(kChangedLegendLine),
            std::string(kCopyedLegendLine), std::string(kMovedLegendLine),
            std::string(kRecordLegendLine), std::string(kSeparatorLine),
            std::string(kDoNotEditLine),    dateLine(t),
            std::string(kSeparatorLine),    std::string(methodLine(method))};
}

} // namespace history

HistoryFile::~HistoryFile() = default;

int HistoryFile::append(std::string_view bytes) {
    std::size_t written = 0;
    const int err = m_file->append(bytes, &written);
    m_size += static_cast<int64_t>(written);
    return err;
}

int HistoryFile::create(const std::string& path, const LocalDateTime& now, RenameMethod method) {
    if (isOpen())
        close();

    // The new history is written beside the old one and only then put in its place: a run that cannot
    // even write its header (a full disk, a size limit) leaves the previous history whole.
    std::string header;
    for (const std::string& line : history::headerLines(now, method)) {
        header += line;
        header += "\r\n";
    }
    ReplaceOptions options;
    options.newFileMode = 0644;
    m_size = 0;
    if (int err = m_fs.replaceFile(path, header, options, &m_file))
        return err;
    m_size = static_cast<int64_t>(header.size());
    m_path = path;
    m_lastRecordStart = -1;
    return 0;
}

int HistoryFile::addRecord(std::string_view before, std::string_view after) {
    if (!isOpen())
        return EBADF;
    std::string record;
    record.reserve(before.size() + after.size() + 10);
    record += history::kBefore;
    record += before;
    record += "\r\n";
    record += history::kAfter;
    record += after;
    record += "\r\n";
    m_lastRecordStart = m_size;
    int err = append(record);
    // Half a record (a full disk, a size limit) would name a path nobody renamed: cut it off.
    if (err != 0 && m_size != m_lastRecordStart)
        dropLastRecord();
    return err;
}

int HistoryFile::dropLastRecord() {
    if (!isOpen())
        return EBADF;
    if (m_lastRecordStart < 0)
        return 0;
    if (int err = m_file->truncate(m_lastRecordStart))
        return err;
    m_size = m_lastRecordStart;
    m_lastRecordStart = -1;
    return 0;
}

int HistoryFile::close() {
    m_lastRecordStart = -1;
    return m_file ? m_file->close() : 0;
}

std::vector<std::string> HistoryFile::splitContent(std::string_view content) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t lf = content.find('\n', pos);
        std::size_t end = lf == std::string_view::npos ? content.size() : lf;
        std::string_view line = content.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        pos = lf == std::string_view::npos ? content.size() : lf + 1;
    }
    return lines;
}

int HistoryFile::read(FileSystem& fs, const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    if (int err = fs.readWholeFile(path, content))
        return err;

    std::string_view view = content;
    if (view.substr(0, 3) == "\xEF\xBB\xBF")
        view.remove_prefix(3);
    lines = splitContent(view);
    if (lines.empty() || isValidUtf8(view))
        return 0;

    // A file of the Windows version is recognised by its title line; only then is every line taken
    // as text in the Windows code page. A line that does not decode keeps its bytes.
    std::string title;
    if (!decodeCp932(lines.front(), title) || title != history::kTitleLine)
        return 0;
    for (std::string& line : lines) {
        std::string utf8;
        if (decodeCp932(line, utf8))
            line = std::move(utf8);
    }
    return 0;
}

} // namespace rinoza
