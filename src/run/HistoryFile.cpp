#include "run/HistoryFile.h"

#include "common/TextCodec.h"
#include "platform/TextNumbers.h"

#include <cerrno>
#include <cstdio>
#include <type_traits>

namespace rinoza {

std::optional<FileIdentity> identityOf(const FileInfo& info) {
    if (!info.lastWrite)
        return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(info.dev), static_cast<uint64_t>(info.ino), info.size, *info.lastWrite};
}

namespace history {

std::string identityLine(const FileIdentity& id) {
    char nanos[16];
    std::snprintf(nanos, sizeof nanos, ".%09d}", static_cast<int>(id.lastWrite.nsec));
    std::string line(kIdentityPrefix);
    line += std::to_string(id.dev) + ',' + std::to_string(id.ino) + ',' + std::to_string(id.size) + ',' +
            std::to_string(id.lastWrite.sec) + nanos;
    return line;
}

std::optional<FileIdentity> readIdentityLine(std::string_view line) {
    if (!line.starts_with(kIdentityPrefix) || !line.ends_with('}'))
        return std::nullopt;
    std::string_view rest = line.substr(kIdentityPrefix.size(), line.size() - kIdentityPrefix.size() - 1);
    // One decimal number, then the expected separator (none after the last).
    auto take = [&rest](auto& value, char separator) {
        const std::size_t end = separator == 0 ? rest.size() : rest.find(separator);
        if (end == std::string_view::npos)
            return false;
        using T = std::remove_reference_t<decltype(value)>;
        // Digits, after a minus in a signed field; never a plus.
        const std::string_view piece = rest.substr(0, end);
        const auto number = piece.starts_with('-') ? parseInteger<T>(piece) : parseDigits<T>(piece);
        if (!number)
            return false;
        value = *number;
        rest.remove_prefix(separator == 0 ? end : end + 1);
        return true;
    };
    FileIdentity id;
    int32_t nsec = 0;
    if (!take(id.dev, ',') || !take(id.ino, ',') || !take(id.size, ',') || !take(id.lastWrite.sec, '.'))
        return std::nullopt;
    if (rest.size() != 9 || !take(nsec, 0) || nsec < 0)
        return std::nullopt;
    id.lastWrite.nsec = nsec;
    return id;
}

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
    const int err = m_file.append(bytes, &written);
    m_size += static_cast<int64_t>(written);
    return err;
}

int HistoryFile::create(const std::string& path, const LocalDateTime& now, RenameMethod method) {
    if (m_file.isOpen())
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
    if (int err = replaceFileDurably(path, header, options, &m_file))
        return err;
    m_size = static_cast<int64_t>(header.size());
    m_path = path;
    m_lastRecordStart = -1;
    return 0;
}

int HistoryFile::addRecord(std::string_view before, std::string_view after, const FileIdentity* identity) {
    if (!m_file.isOpen())
        return EBADF;
    std::string record;
    record.reserve(before.size() + after.size() + 80);
    record += history::kBefore;
    record += before;
    record += "\r\n";
    record += history::kAfter;
    record += after;
    record += "\r\n";
    if (identity) {
        record += history::identityLine(*identity);
        record += "\r\n";
    }
    m_lastRecordStart = m_size;
    int err = append(record);
    // Half a record (a full disk, a size limit) would name a path nobody renamed: cut it off.
    if (err != 0 && m_size != m_lastRecordStart)
        dropLastRecord();
    return err;
}

int HistoryFile::addIdentity(const FileIdentity& identity) {
    if (!m_file.isOpen())
        return EBADF;
    const int64_t start = m_size;
    const int err = append(history::identityLine(identity) + "\r\n");
    // Half a line would end the record with a damaged identity, which the undo takes as a stranger's.
    if (err != 0 && m_size != start && m_file.truncate(start) == 0)
        m_size = start;
    m_lastRecordStart = -1;
    return err;
}

int HistoryFile::dropLastRecord() {
    if (!m_file.isOpen())
        return EBADF;
    if (m_lastRecordStart < 0)
        return 0;
    if (int err = m_file.truncate(m_lastRecordStart))
        return err;
    m_size = m_lastRecordStart;
    m_lastRecordStart = -1;
    return 0;
}

int HistoryFile::close() {
    m_lastRecordStart = -1;
    return m_file.close();
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

int HistoryFile::read(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    if (int err = readWholeFile(path, content))
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
