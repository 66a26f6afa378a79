#include "run/HistoryFile.h"

#include "common/TextCodec.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return {std::string(kTitleLine),         std::string(kChangedLegendLine), std::string(kCopyedLegendLine),
            std::string(kMovedLegendLine),   std::string(kRecordLegendLine),  std::string(kSeparatorLine),
            std::string(kDoNotEditLine),     dateLine(t),                     std::string(kSeparatorLine),
            std::string(methodLine(method))};
}

} // namespace history

namespace {

// Where the links starting at path end: the first path of the chain that is not a link (it may not
// exist). A relative link target is taken against the folder holding the link. Returns 0 or an errno
// (ELOOP for a chain that does not end).
int followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        std::string link(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096, '\0');
        for (;;) {
            const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
            if (n < 0)
                return errno;
            if (static_cast<std::size_t>(n) < link.size()) {
                link.resize(static_cast<std::size_t>(n));
                break;
            }
            link.resize(link.size() * 2); // the link changed since lstat: try again with more room
        }
        if (link.empty())
            return ENOENT;
        target = link.front() == '/' ? link : joinPath(parentOf(target), link);
    }
    return ELOOP;
}

} // namespace

HistoryFile::~HistoryFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

int HistoryFile::append(std::string_view bytes) {
    std::size_t written = 0;
    const int err = writeAll(m_fd, bytes, &written);
    m_size += static_cast<int64_t>(written);
    return err;
}

int HistoryFile::create(const std::string& path, const LocalDateTime& now, RenameMethod method) {
    if (m_fd >= 0)
        close();

    // The new history is written beside the old one and only then put in its place: a run that cannot
    // even write its header (a full disk, a size limit) leaves the previous history whole.
    // A history kept elsewhere through a link stays there, and the link stays a link: the file the
    // link points to is the one written, also when it does not exist yet.
    std::string finalPath;
    if (int err = followLinks(path, finalPath))
        return err;
    mode_t mode = 0644;
    struct stat old {};
    if (::lstat(finalPath.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        // Whatever else sits there (a device, a pipe) is not a history and is never replaced.
        if (!S_ISREG(old.st_mode))
            return EEXIST;
        // A history the user made read-only stays as it is. Without any write bit it is refused for
        // every user, root included: replacing it by a rename would silently defeat its protection.
        if ((old.st_mode & 0222) == 0 || ::access(finalPath.c_str(), W_OK) != 0)
            return EACCES;
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return errno;
    }

    int fd = -1;
    std::string tmp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = uniqueSiblingName(finalPath);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;

    std::string header;
    for (const std::string& line : history::headerLines(now, method)) {
        header += line;
        header += "\r\n";
    }
    m_fd = fd;
    m_size = 0;
    int err = append(header);
    if (err == 0 && mode != 0644 && ::fchmod(fd, mode) != 0)
        err = errno;
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    if (err == 0 && ::rename(tmp.c_str(), finalPath.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::close(fd);
        ::unlink(tmp.c_str());
        m_fd = -1;
        m_size = 0;
        return err;
    }
    // The new name itself survives a crash only once the folder is on the disk as well.
    int dirFd = ::open(parentOf(finalPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    m_path = path;
    m_lastRecordStart = -1;
    return 0;
}

int HistoryFile::addRecord(std::string_view before, std::string_view after) {
    if (m_fd < 0)
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
    if (m_fd < 0)
        return EBADF;
    if (m_lastRecordStart < 0)
        return 0;
    if (::ftruncate(m_fd, m_lastRecordStart) != 0)
        return errno;
    if (::lseek(m_fd, m_lastRecordStart, SEEK_SET) < 0)
        return errno;
    m_size = m_lastRecordStart;
    m_lastRecordStart = -1;
    return 0;
}

int HistoryFile::close() {
    if (m_fd < 0)
        return 0;
    int err = 0;
    if (::fdatasync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        err = errno;
    if (::close(m_fd) != 0 && err == 0 && errno != EINTR)
        err = errno;
    m_fd = -1;
    m_lastRecordStart = -1;
    return err;
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
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    std::string content;
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            return err;
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);

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
