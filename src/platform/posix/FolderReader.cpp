#include "platform/FolderReader.h"

#include "platform/posix/StatxInfo.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace rinoza {

namespace {

// The record layout of getdents64: inode (8 bytes), offset (8), record length (2), type (1), name.
constexpr std::size_t kDirentReclen = 16;
constexpr std::size_t kDirentType = 18;
constexpr std::size_t kDirentName = 19;
constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

OpenFolder::OpenFolder(const std::string& path)
    : m_fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}

OpenFolder::OpenFolder(const OpenFolder& parent, const char* name)
    : m_fd(parent.isOpen() ? ::openat(parent.m_fd.get(), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1) {}

bool OpenFolder::identity(uint64_t& device, uint64_t& inode) const {
    struct stat st {};
    if (!isOpen() || ::fstat(m_fd.get(), &st) != 0)
        return false;
    device = static_cast<uint64_t>(st.st_dev);
    inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

int OpenFolder::read(const std::function<bool(const Entry&)>& visit) const {
    if (!isOpen())
        return EBADF;
    // Not zeroed: the kernel fills what is read.
    const std::unique_ptr<char[]> buf(new char[kBufferSize]);
    for (;;) {
        const long n = ::syscall(SYS_getdents64, m_fd.get(), buf.get(), kBufferSize);
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        for (long pos = 0; pos < n;) {
            const char* rec = buf.get() + pos;
            unsigned short reclen;
            std::memcpy(&reclen, rec + kDirentReclen, sizeof reclen);
            pos += reclen;
            const char* name = rec + kDirentName;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            Entry e;
            e.name = std::string_view(name);
            const unsigned char type = static_cast<unsigned char>(rec[kDirentType]);
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat st {};
                e.looked = true;
                if (::fstatat(m_fd.get(), name, &st, 0) != 0)
                    e.type = EntryType::Unknown;
                else
                    e.type = S_ISDIR(st.st_mode) ? EntryType::Directory
                                                 : (S_ISREG(st.st_mode) ? EntryType::File : EntryType::Other);
            } else {
                e.type = type == DT_DIR ? EntryType::Directory : (type == DT_REG ? EntryType::File : EntryType::Other);
            }
            if (!visit(e))
                return 0;
        }
    }
}

int OpenFolder::stat(const char* name, const std::string& fullPath, FileInfo& info) const {
    struct statx sx {};
    if (::statx(m_fd.get(), name, 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return errno;
    info = FileInfo{};
    info.name = name;
    fillFileInfo(sx, info);
    overlayDosAttrib(fullPath, info);
    return 0;
}

} // namespace rinoza
