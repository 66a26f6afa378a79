#include "run/HistoryFile.h"

#include "common/TextCodec.h"
#include "platform/TextNumbers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <type_traits>
#include <utility>

namespace rinoza {

std::optional<FileIdentity> identityOf(const FileInfo& info) {
    if (!info.lastWrite)
        return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(info.dev), static_cast<uint64_t>(info.ino), info.size, *info.lastWrite};
}

namespace history {

static constexpr uint32_t kPowersOfTen[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

void appendIdentityLine(std::string& out, const FileIdentity& id) {
    char buffer[96];
    char* const end = buffer + sizeof buffer;
    char* p = buffer;
    const auto number = [&](auto value, char after) {
        p = std::to_chars(p, end, value).ptr;
        *p++ = after;
    };
    number(id.dev, ',');
    number(id.ino, ',');
    number(id.size, ',');
    number(id.lastWrite.sec, '.');
    // Nine digits of nanoseconds, leading zeros kept.
    const auto nsec = static_cast<uint32_t>(id.lastWrite.nsec);
    for (int i = 8; i >= 0; --i)
        p[8 - i] = static_cast<char>('0' + (nsec / kPowersOfTen[i]) % 10);
    p += 9;
    *p++ = '}';
    out += kIdentityPrefix;
    out.append(buffer, p);
}

std::string identityLine(const FileIdentity& id) {
    std::string line;
    appendIdentityLine(line, id);
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

std::string numberNote(std::string_view prefix, const std::vector<int>& numbers) {
    std::string note(prefix);
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        if (i > 0)
            note += ',';
        note += std::to_string(numbers[i]);
        if (j > i) {
            note += '-';
            note += std::to_string(numbers[j]);
        }
        i = j + 1;
    }
    note += '}';
    return note;
}

bool readNumberNote(std::string_view line, std::string_view prefix, std::vector<std::pair<int, int>>& ranges) {
    if (!line.starts_with(prefix) || !line.ends_with('}'))
        return false;
    std::string_view list = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    std::vector<std::pair<int, int>> found;
    auto number = [&list](int& v) {
        // Digits only: no sign may come between the separators.
        const std::size_t read = list.starts_with('+') ? 0 : readInteger(list, v);
        if (read == 0 || v < 1)
            return false;
        list.remove_prefix(read);
        return true;
    };
    while (!list.empty()) {
        int first = 0;
        int last = 0;
        if (!number(first))
            return false;
        last = first;
        if (list.starts_with('-')) {
            list.remove_prefix(1);
            if (!number(last) || last < first)
                return false;
        }
        found.emplace_back(first, last);
        if (list.starts_with(',')) {
            list.remove_prefix(1);
            if (list.empty())
                return false;
        } else if (!list.empty()) {
            return false;
        }
    }
    ranges.insert(ranges.end(), found.begin(), found.end());
    return true;
}

} // namespace history

HistoryFile::~HistoryFile() = default;

int HistoryFile::append(std::string_view bytes) {
    std::size_t written = 0;
    const int err = m_file->append(bytes, &written);
    m_size += static_cast<int64_t>(written);
    if (written > 0)
        m_endsWithLineEnd = bytes[written - 1] == '\n';
    return err;
}

int HistoryFile::appendNote(const std::string& note) {
    m_addedStart = -1;
    return append((m_endsWithLineEnd ? std::string() : std::string("\r\n")) + note + "\r\n");
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
    m_records = 0;
    m_endsWithLineEnd = true;
    return 0;
}

void HistoryFile::formatRecord(std::string& out, std::string_view before, std::string_view after,
                               const FileIdentity* identity) {
    out += history::kBefore;
    out += before;
    out += "\r\n";
    out += history::kAfter;
    out += after;
    out += "\r\n";
    if (identity) {
        history::appendIdentityLine(out, *identity);
        out += "\r\n";
    }
}

int HistoryFile::addRecord(std::string_view before, std::string_view after, const FileIdentity* identity) {
    if (!isOpen())
        return EBADF;
    std::string record;
    record.reserve(before.size() + after.size() + 80);
    formatRecord(record, before, after, identity);
    m_lastRecordStart = m_size;
    m_addedStart = -1;
    m_recordsBeforeLast = m_records;
    // Where "[A]" starts: once that much is in the file, a reader sees a record.
    const int64_t afterLine = m_size + static_cast<int64_t>(history::kBefore.size() + before.size() + 2);
    const int err = append(record);
    if (err == 0) {
        ++m_records;
        return 0;
    }
    // Half a record (a full disk, a size limit) would name a path nobody renamed: cut it off.
    if (m_size != m_lastRecordStart) {
        if (m_size >= afterLine + static_cast<int64_t>(history::kAfter.size()))
            ++m_records; // a reader counts it until it is gone
        dropLastRecord();
    }
    m_lastRecordStart = -1;
    return err;
}

int HistoryFile::addRecords(std::string_view records, int count) {
    if (!isOpen())
        return EBADF;
    if (count <= 0)
        return 0;
    const int64_t start = m_size;
    m_lastRecordStart = -1;
    m_addedStart = -1;
    const int err = append(records);
    if (err == 0) {
        m_records += count;
        m_addedStart = start;
        return 0;
    }
    // Part of the batch reached the file: cut it off, or where that fails, void every record of the
    // batch (a number past the records a reader finds voids nothing).
    if (m_size != start) {
        if (m_file->truncate(start) == 0) {
            m_size = start;
            m_endsWithLineEnd = true;
        } else {
            std::vector<int> numbers;
            for (int n = 1; n <= count; ++n)
                numbers.push_back(m_records + n);
            m_records += count;
            voidRecords(numbers);
        }
    }
    return err;
}

int HistoryFile::addIdentity(const FileIdentity& identity) {
    if (!isOpen())
        return EBADF;
    const int64_t start = m_size;
    std::string line;
    history::appendIdentityLine(line, identity);
    line += "\r\n";
    const int err = append(line);
    // Half a line would end the record with a damaged identity, which the undo takes as a stranger's.
    if (err != 0 && m_size != start && m_file->truncate(start) == 0) {
        m_size = start;
        m_endsWithLineEnd = true;
    }
    m_lastRecordStart = -1;
    return err;
}

int HistoryFile::dropLastRecord() {
    if (!isOpen())
        return EBADF;
    if (m_lastRecordStart < 0)
        return 0;
    const int64_t start = std::exchange(m_lastRecordStart, -1);
    if (m_file->truncate(start) == 0) {
        m_size = start;
        m_records = m_recordsBeforeLast;
        m_endsWithLineEnd = true;
        return 0;
    }
    // The file cannot be cut back: the record stays, marked as one whose operation never happened.
    if (m_records == m_recordsBeforeLast)
        return 0; // not even its "[A]" line is there, so no reader sees a record
    return voidRecords({m_records});
}

int HistoryFile::dropAddedRecords(std::size_t offset, int count) {
    if (!isOpen())
        return EBADF;
    if (count <= 0)
        return 0;
    // Once anything else was written after the records (a note), they are voided instead.
    const int64_t at = m_addedStart + static_cast<int64_t>(offset);
    if (m_addedStart >= 0 && at <= m_size && m_file->truncate(at) == 0) {
        m_size = at;
        m_records -= count;
        m_endsWithLineEnd = true;
        m_addedStart = -1;
        return 0;
    }
    std::vector<int> numbers;
    for (int n = m_records - count + 1; n <= m_records; ++n)
        numbers.push_back(n);
    return voidRecords(numbers);
}

int HistoryFile::voidRecords(const std::vector<int>& numbers) {
    if (!isOpen())
        return EBADF;
    if (numbers.empty())
        return 0;
    return appendNote(history::numberNote(history::kVoidNotePrefix, numbers));
}

int HistoryFile::sync() {
    return isOpen() ? m_file->sync() : EBADF;
}

int HistoryFile::close() {
    m_lastRecordStart = -1;
    return m_file ? m_file->close() : 0;
}

std::vector<std::string> HistoryFile::splitContent(std::string_view content) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + 1);
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
