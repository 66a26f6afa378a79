#include "platform/posix/TemporaryFile.h"

#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace rinoza {

namespace {

bool namelessUnsupported(int e) {
    return e == EOPNOTSUPP || e == ENOTSUP || e == EXDEV || e == EINVAL || e == ENOSYS || e == EISDIR;
}

// Makes the names in a folder durable. The files are complete already, so a failure is ignored: some
// file systems cannot flush a folder.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

TemporaryFile::~TemporaryFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_published && !m_name.empty())
        ::unlink(m_name.c_str());
}

int TemporaryFile::create(const std::string& target, mode_t mode, bool nameless) {
    if (nameless) {
        m_fd = ::open(parentOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (m_fd >= 0)
            return 0;
        if (!namelessUnsupported(errno))
            return errno;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = uniqueSiblingName(target);
        m_fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOCTTY, mode);
        if (m_fd >= 0) {
            m_name = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int TemporaryFile::publish(const std::string& target, Publish how) {
    if (m_fd < 0 || m_published)
        return EBADF;
    // A file system that cannot flush a file (EINVAL) still takes the rename.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS)
        return errno;
    if (m_name.empty()) {
        if (how == Publish::Replace)
            return EINVAL;
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", m_fd);
        if (::linkat(AT_FDCWD, proc, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            const int e = errno;
            if (e != ENOENT || ::linkat(m_fd, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) != 0)
                return e;
        }
    } else if (how == Publish::Replace) {
        if (::rename(m_name.c_str(), target.c_str()) != 0)
            return errno;
    } else if (int e = renameWithoutReplacing(m_name, target)) {
        return e;
    }
    m_published = true;
    syncFolder(parentOf(target));
    return 0;
}

int TemporaryFile::release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

} // namespace rinoza
