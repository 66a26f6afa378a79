#include "platform/posix/PosixFolder.h"

#include "platform/Paths.h"
#include "platform/posix/DosAttrib.h"
#include "platform/posix/StatxInfo.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace rinoza {

namespace {

// The record layout of getdents64: inode (8 bytes), offset (8), record length (2), type (1), name.
constexpr std::size_t kDirentReclen = 16;
constexpr std::size_t kDirentType = 18;
constexpr std::size_t kDirentName = 19;
constexpr std::size_t kBufferSize = 64 * 1024;

// Lays the stored DOS attributes of the name over info, relative to its folder where the kernel can.
void overlayDosAttribAt(const NameAt& at, FileInfo& info, bool followLinks) {
    if (at.dir() == AT_FDCWD) {
        overlayDosAttrib(at.name(), info, followLinks);
        return;
    }
    // Most values fit the buffer on the stack; a longer one is read again at its full size.
    char buf[256];
    const long n = getXattrAt(at.dir(), at.name(), followLinks, kDosAttribName, buf, sizeof buf);
    if (n < 0 && errno == ENOSYS) {
        overlayDosAttrib(at.fullPath(), info, followLinks);
        return;
    }
    std::optional<DosAttrib> dos;
    if (n >= 0)
        dos = decodeDosAttrib(std::string_view(buf, static_cast<std::size_t>(n)));
    else if (errno == ERANGE && readDosAttribAt(at.dir(), at.name(), dos, followLinks) != 0)
        dos.reset();
    if (dos)
        applyDosAttrib(*dos, info);
}

int renameat2NoReplace(const NameAt& from, const NameAt& to) {
    return ::syscall(SYS_renameat2, from.dir(), from.name(), to.dir(), to.name(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int lstatAt(const NameAt& at, struct stat& st) {
    return ::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
}

// Whether the folder of `at` lists exactly this name (bytes compared as they are).
bool folderListsName(const NameAt& at, const std::string& name) {
    const int fd = at.dir() == AT_FDCWD ? ::open(parentOf(at.name()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                        : ::openat(at.dir(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true; // cannot tell: assume a separate entry, which refuses the rename
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return true;
    }
    bool found = false;
    while (dirent* e = ::readdir(d)) {
        if (name == e->d_name) {
            found = true;
            break;
        }
    }
    ::closedir(d);
    return found;
}

} // namespace

std::string temporaryNameFor(std::string_view name) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char tail[64];
    std::snprintf(tail, sizeof tail, ".rinoza-%d-%u-%08llx", static_cast<int>(::getpid()), counter++,
                  static_cast<unsigned long long>(rng() & 0xffffffffULL));
    std::string base(name.substr(0, 180)); // stays below NAME_MAX with the tail
    return "." + base + tail;
}

int renameNoReplaceAt(const NameAt& from, const NameAt& to) {
    int rc = renameat2NoReplace(from, to);
    if (rc == 0 || rc == EXDEV)
        return rc;
    if (rc == EEXIST) {
        struct stat a {
        }, b{};
        if (lstatAt(from, a) != 0 || lstatAt(to, b) != 0 || !sameFile(a, b))
            return EEXIST;
        // The target names the source itself. If the folder does not list the target's exact bytes,
        // it is the same entry seen through a case-insensitive volume: change the case through a
        // temporary name. Otherwise it is a second hard link, which must not be replaced.
        FolderId fa, fb;
        if (!from.folderId(fa) || !to.folderId(fb) || !(fa == fb))
            return EEXIST;
        const std::string toBase = to.baseName();
        if (from.baseName() == toBase || folderListsName(to, toBase))
            return EEXIST;
        for (int attempt = 0; attempt < 100; ++attempt) {
            // The temporary name lies in the source's folder, reached the way the source is.
            const std::string tmpName = from.sibling(temporaryNameFor(from.baseName()));
            const int tmpDir = from.dir();
            int r = ::syscall(SYS_renameat2, from.dir(), from.name(), tmpDir, tmpName.c_str(), RENAME_NOREPLACE) == 0
                        ? 0
                        : errno;
            if (r == EEXIST)
                continue;
            if (r != 0)
                return r;
            r = ::syscall(SYS_renameat2, tmpDir, tmpName.c_str(), to.dir(), to.name(), RENAME_NOREPLACE) == 0 ? 0
                                                                                                              : errno;
            if (r != 0)
                ::syscall(SYS_renameat2, tmpDir, tmpName.c_str(), from.dir(), from.name(), RENAME_NOREPLACE);
            return r;
        }
        return EEXIST;
    }
    if (rc == EINVAL || rc == ENOSYS) {
        // No RENAME_NOREPLACE here (some network and FUSE file systems): a link cannot replace anything.
        if (::linkat(from.dir(), from.name(), to.dir(), to.name(), 0) == 0) {
            if (::unlinkat(from.dir(), from.name(), 0) != 0) {
                const int e = errno;
                ::unlinkat(to.dir(), to.name(), 0);
                return e;
            }
            return 0;
        }
        const int e = errno;
        if (e != EPERM && e != EOPNOTSUPP && e != ENOTSUP && e != EMLINK)
            return e;
        // Links refused too: the narrowest window left is to look right before the plain rename.
        struct stat st {};
        if (const int look = lstatAt(to, st); look != ENOENT)
            return look == 0 ? EEXIST : look;
        return ::renameat(from.dir(), from.name(), to.dir(), to.name()) == 0 ? 0 : errno;
    }
    return rc;
}

NameAt::NameAt(const Folder& folder, const std::string& name) : m_folderPath(folder.path()) {
    if (const auto* own = dynamic_cast<const PosixFolder*>(&folder)) {
        m_dir = own->fd();
        m_name = name.c_str();
    } else {
        m_joined = joinPath(folder.path(), name);
        m_dir = AT_FDCWD;
        m_name = m_joined.c_str();
    }
}

NameAt::NameAt(const std::string& path) : m_dir(AT_FDCWD), m_name(path.c_str()) {}

std::string NameAt::baseName() const {
    return baseNameOf(m_name);
}

std::string NameAt::fullPath() const {
    return m_dir == AT_FDCWD ? std::string(m_name) : joinPath(m_folderPath, m_name);
}

std::string NameAt::sibling(std::string_view otherName) const {
    return m_dir == AT_FDCWD ? joinPath(parentOf(m_name), otherName) : std::string(otherName);
}

bool NameAt::folderId(FolderId& id) const {
    struct stat st {};
    const int rc = m_dir == AT_FDCWD ? ::stat(parentOf(m_name).c_str(), &st) : ::fstat(m_dir, &st);
    if (rc != 0)
        return false;
    id = FolderId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

int openPosixFolder(int dir, const char* path, std::string shownPath, const FolderId* expected,
                    std::unique_ptr<Folder>& out) {
    int fd = ::openat(dir, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder this user may pass through but not list is still worked in by name.
    if (fd < 0 && errno == EACCES)
        fd = ::openat(dir, path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    Descriptor held(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    const FolderId id{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    if (expected && expected->known() && !(*expected == id))
        return ESTALE;
    out = std::make_unique<PosixFolder>(std::move(shownPath), id, std::move(held));
    return 0;
}

int readPosixFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) {
    const auto* own = dynamic_cast<const PosixFolder*>(&folder);
    if (!own)
        return EBADF;
    const int fd = own->fd();
    // The folder may have been read before: start from its first name.
    if (::lseek(fd, 0, SEEK_SET) < 0)
        return errno;
    // Not zeroed: the kernel fills what is read.
    const std::unique_ptr<char[]> buf(new char[kBufferSize]);
    for (;;) {
        const long n = ::syscall(SYS_getdents64, fd, buf.get(), kBufferSize);
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
            FolderEntry e;
            e.name = std::string_view(name);
            const unsigned char type = static_cast<unsigned char>(rec[kDirentType]);
            if (type == DT_LNK || type == DT_UNKNOWN) {
                struct stat st {};
                e.looked = true;
                if (::fstatat(fd, name, &st, 0) != 0)
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

int statNameAt(const NameAt& at, FileInfo& info, bool followLinks, bool basic) {
    struct statx sx {};
    if (::statx(at.dir(), at.name(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return errno;
    info = FileInfo{};
    info.name = baseNameOf(at.name());
    fillFileInfo(sx, info);
    if (!basic)
        overlayDosAttribAt(at, info, followLinks);
    return 0;
}

} // namespace rinoza
