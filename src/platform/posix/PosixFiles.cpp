#include "platform/posix/PosixFiles.h"

#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TemporaryFile.h"
#include "platform/posix/WriteAll.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rinoza {

namespace {

// Where the links starting at path end: the first path of the chain that is not a link (it may not
// exist). A relative link target is taken against the folder holding the link. Returns 0 or an errno
// (ELOOP for a chain that does not end).
int endOfLinks(const std::string& path, std::string& target) {
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

int replaceFileDurably(const std::string& path, std::string_view content, const ReplaceOptions& options,
                       std::unique_ptr<AppendFile>* keepOpen) {
    std::string target;
    if (int e = endOfLinks(path, target))
        return e;
    struct stat old {};
    bool exists = false;
    if (::lstat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        if (!S_ISREG(old.st_mode))
            return EEXIST;
        if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
            return EACCES;
        exists = true;
    } else if (errno != ENOENT) {
        return errno;
    }

    TemporaryFile tmp;
    if (int e = tmp.create(target, exists ? 0600 : static_cast<mode_t>(options.newFileMode & 07777), false))
        return e;
    if (int e = writeAll(tmp.fd(), content))
        return e;
    if (exists && ::fchmod(tmp.fd(), old.st_mode & 07777) != 0)
        return errno;
    if (int e = tmp.publish(target, TemporaryFile::Publish::Replace))
        return e;
    if (keepOpen)
        *keepOpen = std::make_unique<PosixAppendFile>(tmp.release());
    return 0;
}

int PosixAppendFile::append(std::string_view bytes, std::size_t* written) {
    if (!m_fd.valid()) {
        if (written)
            *written = 0;
        return EBADF;
    }
    return writeAll(m_fd.get(), bytes, written);
}

int PosixAppendFile::truncate(int64_t size) {
    if (!m_fd.valid())
        return EBADF;
    if (::ftruncate(m_fd.get(), static_cast<off_t>(size)) != 0)
        return errno;
    if (::lseek(m_fd.get(), static_cast<off_t>(size), SEEK_SET) < 0)
        return errno;
    return 0;
}

int PosixAppendFile::sync() {
    if (!m_fd.valid())
        return EBADF;
    // A file system that cannot flush a file (EINVAL) keeps it as well as it can.
    if (::fdatasync(m_fd.get()) != 0 && errno != EINVAL && errno != EROFS)
        return errno;
    return 0;
}

int PosixAppendFile::close() {
    if (!m_fd.valid())
        return 0;
    const int err = sync();
    const int closeErr = m_fd.reset();
    return err ? err : closeErr;
}

int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char buf[1 << 16];
    int err = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (n == 0)
            break;
        onPiece(std::string_view(buf, static_cast<std::size_t>(n)));
    }
    ::close(fd);
    return err;
}

namespace {

// Reads fd into content until its end or until `limit` bytes are there, its room growing by `room`
// at least. Returns 0 or an errno; content holds what was read either way.
int readUpTo(int fd, std::string& content, std::size_t limit, std::size_t room) {
    std::size_t used = 0;
    int err = 0;
    while (used < limit) {
        if (used == content.size())
            content.resize(std::min(limit, std::max(room, 2 * content.size())));
        const ssize_t n = ::read(fd, content.data() + used, content.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    content.resize(used);
    return err;
}

} // namespace

int readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // The room for the whole file at once (and a little more, to see its end without growing), so a
    // history of many records is read without being copied as it grows; a file that grows meanwhile
    // is read to its end all the same.
    struct stat st {};
    std::size_t room = 1 << 16;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        room = static_cast<std::size_t>(st.st_size) + 1;
    const int err = readUpTo(fd, content, SIZE_MAX, room);
    ::close(fd);
    return err;
}

int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno;
    const int err = readUpTo(fd, content, maxBytes, maxBytes);
    ::close(fd);
    if (err)
        content.clear();
    return err;
}

int makePrivateFolders(const std::string& path) {
    return makeFolderChain(path, 0700);
}

} // namespace rinoza
