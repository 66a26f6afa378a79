#include "platform/posix/PosixTransfers.h"

#include "platform/Paths.h"
#include "platform/posix/DosAttrib.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/StatxInfo.h"
#include "platform/posix/WriteAll.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <map>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace rinoza {

struct PosixTransferBatch::Scratch {
    std::vector<char> data; // read/write copies, allocated when first needed
    std::vector<char> names = std::vector<char>(4096);
    std::vector<char> value = std::vector<char>(512);
    // What the kernel refused between the last pair of file systems, so it is not asked again.
    dev_t fromDev = 0;
    dev_t toDev = 0;
    bool noClone = false;
    bool noRange = false;

    void between(dev_t from, dev_t to) {
        if (from == fromDev && to == toDev)
            return;
        fromDev = from;
        toDev = to;
        noClone = false;
        noRange = false;
    }
};

namespace {

bool unsupported(int e) {
    return e == EOPNOTSUPP || e == ENOTSUP || e == EXDEV || e == EINVAL || e == ENOSYS || e == ENOTTY || e == EPERM;
}

bool noUserXattrs(int e) {
    return e == ENOTSUP || e == EOPNOTSUPP;
}

dev_t devOf(const struct statx& sx) {
    return makedev(sx.stx_dev_major, sx.stx_dev_minor);
}

int64_t nanos(const statx_timestamp& t) {
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The data of in (size bytes when it was looked at) to out.
int copyData(int in, int out, uint64_t size, PosixTransferBatch::Scratch& s) {
    if (!s.noClone) {
        if (::ioctl(out, FICLONE, in) == 0)
            return 0;
        s.noClone = true; // not between these file systems; a copy of the bytes follows
    }
    uint64_t done = 0;
    // A file whose size the kernel reports is copied that far; one that reports none (some virtual
    // files) until its end.
    auto more = [&] { return size == 0 || done < size; };
    if (!s.noRange) {
        while (more()) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size ? size - done : (1 << 30), 0);
            if (n > 0) {
                done += static_cast<uint64_t>(n);
                continue;
            }
            if (n == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (!unsupported(errno))
                return errno;
            s.noRange = true; // the offsets moved as far as it got; go on from there
            break;
        }
        if (!s.noRange)
            return 0;
    }
    if (s.data.empty())
        s.data.resize(1 << 20);
    while (more()) {
        const ssize_t n = ::read(in, s.data.data(), s.data.size());
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (int e = writeAll(out, std::string_view(s.data.data(), static_cast<std::size_t>(n))))
            return e;
        done += static_cast<uint64_t>(n);
    }
    return 0;
}

// Copies the user.* extended attributes; hasDosAttrib tells whether the source carries
// user.DOSATTRIB. That value loses its creation time unless keepCreation: a copy is a new file, a
// moved file keeps its identity. A value without a creation time, or one this program cannot read
// (another program's, a newer layout), goes over unchanged.
int copyUserXattrs(int in, int out, bool keepCreation, PosixTransferBatch::Scratch& s, bool& hasDosAttrib) {
    hasDosAttrib = false;
    ssize_t len = ::flistxattr(in, s.names.data(), s.names.size());
    while (len < 0 && errno == ERANGE) {
        const ssize_t need = ::flistxattr(in, nullptr, 0);
        if (need < 0)
            return errno;
        s.names.resize(static_cast<std::size_t>(need) + 256);
        len = ::flistxattr(in, s.names.data(), s.names.size());
    }
    if (len < 0)
        return noUserXattrs(errno) ? 0 : errno;
    for (ssize_t i = 0; i < len;) {
        const char* name = s.names.data() + i;
        i += static_cast<ssize_t>(std::strlen(name)) + 1;
        if (std::strncmp(name, "user.", 5) != 0)
            continue;
        ssize_t vlen = ::fgetxattr(in, name, s.value.data(), s.value.size());
        while (vlen < 0 && errno == ERANGE) {
            const ssize_t need = ::fgetxattr(in, name, nullptr, 0);
            if (need < 0)
                return errno;
            s.value.resize(static_cast<std::size_t>(need) + 64);
            vlen = ::fgetxattr(in, name, s.value.data(), s.value.size());
        }
        if (vlen < 0)
            return errno;
        std::string_view v(s.value.data(), static_cast<std::size_t>(vlen));
        std::string rewritten;
        if (std::strcmp(name, kDosAttribName) == 0) {
            hasDosAttrib = true;
            if (!keepCreation) {
                if (auto a = decodeDosAttrib(v); a && a->createTime) {
                    a->createTime.reset();
                    rewritten = encodeDosAttrib(*a);
                    v = rewritten;
                }
            }
        }
        if (::fsetxattr(out, name, v.data(), v.size(), 0) != 0)
            return noUserXattrs(errno) ? 0 : errno; // a target without user attributes keeps the data
    }
    return 0;
}

// Removes the file at `at` when it is still the one made (device and inode).
void removeIfSame(const NameAt& at, dev_t dev, ino_t ino) {
    struct stat st {};
    if (::fstatat(at.dir(), at.name(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == dev && st.st_ino == ino)
        ::unlinkat(at.dir(), at.name(), 0);
}

// A descriptor of the folder to flush: the folder's own, or one opened by its path.
class FolderToFlush {
public:
    explicit FolderToFlush(const Folder& folder) {
        const NameAt at(folder, ".");
        if (at.dir() != AT_FDCWD) {
            m_fd = at.dir();
        } else {
            m_fd = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            m_owned = m_fd >= 0;
        }
    }
    ~FolderToFlush() {
        if (m_owned)
            ::close(m_fd);
    }
    FolderToFlush(const FolderToFlush&) = delete;
    FolderToFlush& operator=(const FolderToFlush&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    bool m_owned = false;
};

// Flushes one copy on its own: its data, then the name in its folder.
int syncOne(const NameAt& at, dev_t dev, ino_t ino) {
    const int fd = ::openat(at.dir(), at.name(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno;
    struct stat st {};
    int e = ::fstat(fd, &st) != 0 ? errno : (st.st_dev != dev || st.st_ino != ino) ? ESTALE : 0;
    if (!e && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        e = errno;
    ::close(fd);
    return e;
}

} // namespace

PosixTransferBatch::PosixTransferBatch(const FaultHook* fault, TransferLimits limits)
    : m_fault(fault), m_limits(limits), m_scratch(std::make_unique<Scratch>()) {}

PosixTransferBatch::~PosixTransferBatch() {
    if (m_pending.empty())
        return;
    std::vector<int> ignored;
    flush([] { return ECANCELED; }, ignored);
}

int PosixTransferBatch::copyFile(const NameAt& from, const NameAt& to, bool keepCreation, bool durableNow, Made& made) {
    if (int e = fault("open"))
        return e;
    // Read where a link points; never waits on a pipe or becomes a controlling terminal.
    const int in = ::openat(from.dir(), from.name(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (in < 0)
        return errno;
    struct statx src {};
    if (::statx(in, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &src) != 0) {
        const int e = errno;
        ::close(in);
        return e;
    }
    if (!S_ISREG(src.stx_mode)) {
        ::close(in);
        return S_ISDIR(src.stx_mode) ? EISDIR : EINVAL;
    }
    // Created with the permission bits it ends with, as far as the umask lets it, and writable by its
    // owner, who could not give it extended attributes otherwise. The rest comes last, after the data
    // (a write would clear set-user-ID anyway): usually nothing is left to change.
    const mode_t wanted = src.stx_mode & 07777;
    const mode_t createMode = (wanted & 0777) | S_IWUSR;
    const mode_t created = createMode & ~processUmask();
    const int out =
        ::openat(to.dir(), to.name(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, createMode);
    if (out < 0) {
        const int e = errno;
        ::close(in);
        return e;
    }
    Scratch& s = *m_scratch;
    int rc = 0;
    struct stat outSt {};
    if (::fstat(out, &outSt) != 0)
        rc = errno;
    if (!rc) {
        s.between(devOf(src), outSt.st_dev);
        rc = copyData(in, out, src.stx_size, s);
    }
    if (!rc)
        rc = fault("data");
    bool hasDosAttrib = false;
    if (!rc)
        rc = copyUserXattrs(in, out, keepCreation, s, hasDosAttrib);
    if (!rc && keepCreation && !hasDosAttrib && (src.stx_mask & STATX_BTIME)) {
        // A moved file keeps its creation time even where only the kernel's birth time knew it.
        DosAttrib a;
        a.attrib = defaultAttributes(to.baseName(), src.stx_mode) & ~AttrDirectory;
        a.createTime = fromStatxTime(src.stx_btime);
        writeDosAttrib(out, a); // best effort: not every file system has it
    }
    if (!rc)
        rc = fault("attributes");
    if (!rc && created != wanted && ::fchmod(out, wanted) != 0)
        rc = errno;
    if (!rc) {
        struct timespec times[2];
        times[0].tv_sec = static_cast<time_t>(src.stx_atime.tv_sec);
        times[0].tv_nsec = src.stx_atime.tv_nsec;
        times[1].tv_sec = static_cast<time_t>(src.stx_mtime.tv_sec);
        times[1].tv_nsec = src.stx_mtime.tv_nsec;
        if (::futimens(out, times) != 0)
            rc = errno;
    }
    if (!rc)
        rc = fault("publish");
    if (!rc && durableNow && ::fsync(out) != 0 && errno != EINVAL && errno != EROFS)
        rc = errno;
    ::close(in);
    // Some file systems (network ones) report a failed write only when the file is closed.
    if (::close(out) != 0 && !rc && errno != EINTR)
        rc = errno;
    if (rc) {
        removeIfSame(to, outSt.st_dev, outSt.st_ino);
        return rc;
    }
    if (durableNow) {
        const int dir =
            to.dir() == AT_FDCWD ? ::open(parentOf(to.name()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : to.dir();
        if (dir >= 0) {
            ::fsync(dir); // the data is whole already; some file systems cannot flush a folder
            if (dir != to.dir())
                ::close(dir);
        }
    }
    made = Made{outSt.st_dev,         outSt.st_ino,
                devOf(src),           static_cast<ino_t>(src.stx_ino),
                nanos(src.stx_ctime), (src.stx_mask & STATX_BTIME) ? nanos(src.stx_btime) : -1,
                src.stx_size};
    return 0;
}

int PosixTransferBatch::moveAcross(const NameAt& from, const NameAt& to, bool durableNow, Made& made, bool& copied) {
    copied = false;
    struct stat st {};
    if (::fstatat(from.dir(), from.name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        const ssize_t n = ::readlinkat(from.dir(), from.name(), target.data(), target.size());
        if (n < 0)
            return errno;
        target[static_cast<std::size_t>(n)] = '\0';
        if (::symlinkat(target.data(), to.dir(), to.name()) != 0)
            return errno;
        if (::unlinkat(from.dir(), from.name(), 0) != 0) {
            const int e = errno;
            ::unlinkat(to.dir(), to.name(), 0);
            return e;
        }
        return 0;
    }
    if (!S_ISREG(st.st_mode))
        return EXDEV; // folders and special files are not carried across file systems
    if (int e = copyFile(from, to, true, durableNow, made))
        return e;
    copied = true;
    return 0;
}

int PosixTransferBatch::copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
                             bool& pending) {
    pending = false;
    Made made;
    if (int e = copyFile(NameAt(from, name), NameAt(to, newName), false, false, made))
        return e;
    m_pending.push_back(Pending{&from, name, &to, newName, made, false});
    m_pendingBytes += made.bytes;
    pending = true;
    return 0;
}

int PosixTransferBatch::move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
                             bool& pending) {
    pending = false;
    const NameAt source(from, name), target(to, newName);
    const int rc = renameNoReplaceAt(source, target);
    if (rc != EXDEV)
        return rc;
    Made made;
    bool copied = false;
    if (int e = moveAcross(source, target, false, made, copied))
        return e;
    if (copied) {
        m_pending.push_back(Pending{&from, name, &to, newName, made, true});
        m_pendingBytes += made.bytes;
        pending = true;
    }
    return 0;
}

bool PosixTransferBatch::flushDue() const {
    if (m_pending.empty())
        return false;
    if (m_pendingBytes >= m_limits.bytes || m_pending.size() >= m_limits.maxFiles)
        return true;
    return m_pending.size() >= m_limits.files && std::chrono::steady_clock::now() - m_lastFlush >= m_limits.interval;
}

int PosixTransferBatch::syncCopies(std::vector<int>& outcomes) {
    // One flush per destination file system; where that fails, each copy and folder on its own, so
    // that only the copies that did not reach the disk are reported.
    std::map<dev_t, const Folder*> devices;
    for (const Pending& p : m_pending)
        devices.emplace(static_cast<dev_t>(p.to->id().dev), p.to);
    int firstError = 0;
    for (const auto& [dev, folder] : devices) {
        int e = fault("sync");
        if (!e) {
            const FolderToFlush f(*folder);
            e = f.fd() < 0 ? errno : ::syncfs(f.fd()) != 0 ? errno : 0;
        }
        if (!e)
            continue;
        std::map<const Folder*, int> folders;
        for (std::size_t i = 0; i < m_pending.size(); ++i) {
            const Pending& p = m_pending[i];
            if (static_cast<dev_t>(p.to->id().dev) != dev)
                continue;
            outcomes[i] = syncOne(NameAt(*p.to, p.newName), p.made.dev, p.made.ino);
            folders.emplace(p.to, 0);
        }
        for (auto& [f, err] : folders) {
            const FolderToFlush held(*f);
            err = held.fd() < 0 ? errno : (::fsync(held.fd()) != 0 && errno != EINVAL) ? errno : 0;
        }
        for (std::size_t i = 0; i < m_pending.size(); ++i) {
            const Pending& p = m_pending[i];
            if (static_cast<dev_t>(p.to->id().dev) == dev && outcomes[i] == 0)
                outcomes[i] = folders[p.to];
        }
        if (!firstError)
            firstError = e;
    }
    return firstError;
}

void PosixTransferBatch::flush(const std::function<int()>& beforeRemoving, std::vector<int>& outcomes) {
    m_lastFlush = std::chrono::steady_clock::now();
    outcomes.assign(m_pending.size(), 0);
    if (m_pending.empty())
        return;
    syncCopies(outcomes);
    const int before = beforeRemoving ? beforeRemoving() : 0;
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        const Pending& p = m_pending[i];
        const NameAt copyAt(*p.to, p.newName);
        if (outcomes[i] == 0 && p.move) {
            int e = before;
            if (!e)
                e = fault("unlink-source");
            if (!e)
                e = removeSource(p);
            outcomes[i] = e;
        }
        if (outcomes[i] != 0)
            removeIfSame(copyAt, p.made.dev, p.made.ino);
    }
    m_pending.clear();
    m_pendingBytes = 0;
}

int PosixTransferBatch::removeSource(const Pending& p) {
    const NameAt source(*p.from, p.name);
    struct statx sx {};
    if (::statx(source.dir(), source.name(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return errno == ENOENT ? 0 : errno;
    const bool sameInode = devOf(sx) == p.made.sourceDev && sx.stx_ino == p.made.sourceIno;
    const int64_t birth = (sx.stx_mask & STATX_BTIME) ? nanos(sx.stx_btime) : -1;
    // An inode number freed and given to a new file is told apart by its birth time.
    const bool sameFile = sameInode && birth == p.made.sourceBirth;
    if (!sameFile)
        return 0; // another file stands there now; the copy holds what was moved
    if (nanos(sx.stx_ctime) != p.made.sourceChange)
        // Changed after it was read: the copy is out of date and the source is kept. Without a birth
        // time a new file under a reused inode number looks the same, so both are kept then.
        return birth >= 0 ? ESTALE : 0;
    return ::unlinkat(source.dir(), source.name(), 0) == 0 ? 0 : errno;
}

int PosixTransferBatch::copyNow(const NameAt& from, const NameAt& to) {
    Made made;
    return copyFile(from, to, false, true, made);
}

int PosixTransferBatch::moveNow(const NameAt& from, const NameAt& to) {
    const int rc = renameNoReplaceAt(from, to);
    if (rc != EXDEV)
        return rc;
    Made made;
    bool copied = false;
    if (int e = moveAcross(from, to, true, made, copied))
        return e;
    if (!copied)
        return 0;
    int e = fault("unlink-source");
    if (!e && ::unlinkat(from.dir(), from.name(), 0) != 0)
        e = errno;
    if (e) {
        // The source stays, so the copy goes: a failed move leaves things as they were.
        removeIfSame(to, made.dev, made.ino);
        return e;
    }
    return 0;
}

} // namespace rinoza
