#include "platform/posix/PosixFileSystem.h"

#include "platform/Paths.h"
#include "platform/posix/DosAttrib.h"
#include "platform/posix/StatxInfo.h"
#include "platform/posix/TemporaryFile.h"
#include "platform/posix/Trash.h"
#include "platform/posix/WriteAll.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace rinoza {

namespace {

int renameat2NoReplace(const std::string& from, const std::string& to) {
    if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    return errno;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether a folder lists exactly this name (bytes compared as they are).
bool folderListsName(const std::string& dir, const std::string& name) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return true; // cannot tell: assume a separate entry, which refuses the rename
    bool found = false;
    while (dirent* e = readdir(d)) {
        if (name == e->d_name) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

EntryType entryTypeOf(unsigned char t) {
    switch (t) {
    case DT_REG:
        return EntryType::File;
    case DT_DIR:
        return EntryType::Directory;
    case DT_LNK:
        return EntryType::Symlink;
    case DT_UNKNOWN:
        return EntryType::Unknown;
    default:
        return EntryType::Other;
    }
}

bool unsupported(int e) {
    return e == EOPNOTSUPP || e == ENOTSUP || e == EXDEV || e == EINVAL || e == ENOSYS;
}

// Data from in to out: a reflink where the file system shares blocks, else copy_file_range, else read/write.
int copyData(int in, int out) {
    if (ioctl(out, FICLONE, in) == 0)
        return 0;
    bool useRange = true;
    std::vector<char> buf;
    for (;;) {
        if (useRange) {
            ssize_t n = copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n > 0)
                continue;
            if (n == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (!unsupported(errno))
                return errno;
            useRange = false; // the offsets moved as far as it got; go on from there
            buf.resize(1 << 20);
        }
        ssize_t n = read(in, buf.data(), buf.size());
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (int e = writeAll(out, std::string_view(buf.data(), static_cast<std::size_t>(n))))
            return e;
    }
}

// Copies the user.* extended attributes. The DOSATTRIB value loses its creation time unless
// keepCreation: a copy is a new file, a moved file keeps its identity. A value without a creation
// time, or one this program cannot read (another program's, a newer layout), goes over unchanged.
int copyUserXattrs(int in, int out, bool keepCreation) {
    ssize_t len = flistxattr(in, nullptr, 0);
    if (len < 0)
        return (errno == ENOTSUP || errno == EOPNOTSUPP) ? 0 : errno;
    std::vector<char> names(static_cast<std::size_t>(len) + 1);
    len = flistxattr(in, names.data(), names.size());
    if (len < 0)
        return errno;
    std::vector<char> value;
    for (ssize_t i = 0; i < len;) {
        const std::string name = names.data() + i;
        i += static_cast<ssize_t>(name.size()) + 1;
        if (name.rfind("user.", 0) != 0)
            continue;
        ssize_t vlen = fgetxattr(in, name.c_str(), nullptr, 0);
        if (vlen < 0)
            return errno;
        value.resize(static_cast<std::size_t>(vlen) + 1);
        vlen = fgetxattr(in, name.c_str(), value.data(), value.size());
        if (vlen < 0)
            return errno;
        std::string v(value.data(), static_cast<std::size_t>(vlen));
        if (name == kDosAttribName && !keepCreation) {
            if (auto a = decodeDosAttrib(v); a && a->createTime) {
                a->createTime.reset();
                v = encodeDosAttrib(*a);
            }
        }
        if (fsetxattr(out, name.c_str(), v.data(), v.size(), 0) != 0) {
            if (errno == ENOTSUP || errno == EOPNOTSUPP)
                return 0; // the target file system keeps no user attributes; the data is what counts
            return errno;
        }
    }
    return 0;
}

mode_t umaskFromProc() {
    // Reading the mask through /proc leaves it unchanged even for a moment.
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f)) {
            unsigned mask = 0;
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                std::fclose(f);
                return static_cast<mode_t>(mask);
            }
        }
        std::fclose(f);
    }
    mode_t m = umask(022);
    umask(m);
    return m;
}

mode_t processUmask() {
    // /proc costs an open and a read per call, too much once per file of a long run. So the mask is
    // read by setting it to the value it had last time: while that holds (always, unless someone
    // changed the mask since), the mask does not change even for a moment.
    static std::atomic<mode_t> last{umaskFromProc()};
    const mode_t guess = last.load(std::memory_order_relaxed);
    const mode_t m = umask(guess);
    if (m != guess) {
        umask(m);
        last.store(m, std::memory_order_relaxed);
    }
    return m;
}

} // namespace

uint32_t defaultAttributes(std::string_view name, mode_t mode) {
    uint32_t a = AttrArchive;
    if (!name.empty() && name[0] == '.')
        a |= AttrHidden;
    if (!(mode & 0222))
        a |= AttrReadOnly;
    if (S_ISDIR(mode))
        a |= AttrDirectory;
    return a;
}

std::string uniqueSiblingName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char tail[64];
    std::snprintf(tail, sizeof tail, ".rinoza-%d-%u-%08llx", static_cast<int>(getpid()), counter++,
                  static_cast<unsigned long long>(rng() & 0xffffffffULL));
    std::string base = baseNameOf(path);
    if (base.size() > 180)
        base.resize(180); // stay below NAME_MAX with the tail
    return joinPath(parentOf(path), "." + base + tail);
}

int PosixFileSystem::listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return errno;
    errno = 0;
    int rc = 0;
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        if (!onEntry(DirEntry{e->d_name, entryTypeOf(e->d_type)}))
            break;
        errno = 0;
    }
    rc = errno;
    closedir(d);
    return rc;
}

int PosixFileSystem::stat(const std::string& path, FileInfo& info, bool followLinks) {
    if (const int err = statBasic(path, info, followLinks))
        return err;
    overlayDosAttrib(path, info, followLinks);
    return 0;
}

int PosixFileSystem::statBasic(const std::string& path, FileInfo& info, bool followLinks) {
    struct statx sx {};
    if (statx(AT_FDCWD, path.c_str(), followLinks ? 0 : AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return errno;
    info = FileInfo{};
    info.name = baseNameOf(path);
    fillFileInfo(sx, info);
    return 0;
}

int PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    return renameWithoutReplacing(from, to);
}

int renameWithoutReplacing(const std::string& from, const std::string& to) {
    int rc = renameat2NoReplace(from, to);
    if (rc == 0 || rc == EXDEV)
        return rc;
    if (rc == EEXIST) {
        struct stat a {
        }, b{};
        if (lstat(from.c_str(), &a) != 0 || lstat(to.c_str(), &b) != 0 || !sameFile(a, b))
            return EEXIST;
        // The target names the source itself. If the folder does not list the target's exact bytes,
        // it is the same entry seen through a case-insensitive volume: change the case through a
        // temporary name. Otherwise it is a second hard link, which must not be replaced.
        struct stat da {
        }, db{};
        if (::stat(parentOf(from).c_str(), &da) != 0 || ::stat(parentOf(to).c_str(), &db) != 0 || !sameFile(da, db))
            return EEXIST;
        if (baseNameOf(from) == baseNameOf(to) || folderListsName(parentOf(to), baseNameOf(to)))
            return EEXIST;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string tmp = uniqueSiblingName(from);
            int r = renameat2NoReplace(from, tmp);
            if (r == EEXIST)
                continue;
            if (r != 0)
                return r;
            r = renameat2NoReplace(tmp, to);
            if (r != 0)
                renameat2NoReplace(tmp, from);
            return r;
        }
        return EEXIST;
    }
    if (rc == EINVAL || rc == ENOSYS) {
        // No RENAME_NOREPLACE here (some network and FUSE file systems): a link cannot replace anything.
        if (link(from.c_str(), to.c_str()) == 0) {
            if (unlink(from.c_str()) != 0) {
                int e = errno;
                unlink(to.c_str());
                return e;
            }
            return 0;
        }
        int e = errno;
        if (e != EPERM && e != EOPNOTSUPP && e != ENOTSUP && e != EMLINK)
            return e;
        // Links refused too: the narrowest window left is to look right before the plain rename.
        struct stat st {};
        if (lstat(to.c_str(), &st) == 0)
            return EEXIST;
        if (errno != ENOENT)
            return errno;
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }
    return rc;
}

int PosixFileSystem::copyFile(const std::string& from, const std::string& to, bool keepCreation) {
    struct stat src {};
    if (::stat(from.c_str(), &src) != 0)
        return errno;
    if (S_ISDIR(src.st_mode))
        return EISDIR;
    if (!S_ISREG(src.st_mode))
        return EINVAL;
    struct stat dst {};
    if (lstat(to.c_str(), &dst) == 0)
        return EEXIST; // also when it is the source itself: the source is never opened for writing
    if (errno != ENOENT)
        return errno;
    if (int e = fault("open"))
        return e;

    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (in < 0)
        return errno;
    struct stat inSt {};
    if (fstat(in, &inSt) != 0 || !sameFile(inSt, src)) {
        close(in);
        return EAGAIN; // the source changed under us
    }

    TemporaryFile tmp;
    if (int e = tmp.create(to, 0600, true)) {
        close(in);
        return e;
    }
    const int out = tmp.fd();

    int rc = copyData(in, out);
    if (!rc)
        rc = fault("data");
    if (!rc)
        rc = copyUserXattrs(in, out, keepCreation);
    if (!rc && keepCreation) {
        // A moved file keeps its creation time even where only the kernel's birth time knew it. A
        // file that carries a value of its own, readable here or not, keeps that value as it is.
        struct statx sx {};
        if (fgetxattr(in, kDosAttribName, nullptr, 0) < 0 && errno == ENODATA &&
            statx(in, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
            DosAttrib a;
            a.attrib = defaultAttributes(baseNameOf(to), src.st_mode) & ~AttrDirectory;
            a.createTime = fromStatxTime(sx.stx_btime);
            const std::string b = encodeDosAttrib(a);
            fsetxattr(out, kDosAttribName, b.data(), b.size(), 0); // best effort: not every file system has it
        }
    }
    if (!rc)
        rc = fault("attributes");
    if (!rc && fchmod(out, src.st_mode & 07777) != 0)
        rc = errno;
    if (!rc) {
        const struct timespec times[2] = {src.st_atim, src.st_mtim};
        if (futimens(out, times) != 0)
            rc = errno;
    }
    if (!rc)
        rc = fault("publish");
    if (!rc)
        rc = tmp.publish(to, TemporaryFile::Publish::NoReplace);
    close(in);
    return rc;
}

int PosixFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    return copyFile(from, to, false);
}

int PosixFileSystem::moveNoReplace(const std::string& from, const std::string& to) {
    int rc = renameNoReplace(from, to);
    if (rc != EXDEV)
        return rc;
    struct stat st {};
    if (lstat(from.c_str(), &st) != 0)
        return errno;
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1);
        ssize_t n = readlink(from.c_str(), target.data(), target.size());
        if (n < 0)
            return errno;
        if (symlink(std::string(target.data(), static_cast<std::size_t>(n)).c_str(), to.c_str()) != 0)
            return errno;
        if (unlink(from.c_str()) != 0) {
            int e = errno;
            unlink(to.c_str());
            return e;
        }
        return 0;
    }
    if (!S_ISREG(st.st_mode))
        return EXDEV; // folders and special files are not carried across file systems
    rc = copyFile(from, to, true);
    if (rc)
        return rc;
    rc = fault("unlink-source");
    if (!rc && unlink(from.c_str()) != 0)
        rc = errno;
    if (rc) {
        // The source stays, so the copy goes: a failed move leaves things as they were.
        unlink(to.c_str());
        return rc;
    }
    return 0;
}

int PosixFileSystem::removeFile(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 0 : errno;
}

TrashResult PosixFileSystem::moveToTrash(const std::string& path) {
    return trashFile(path,
                     [this](const std::string& from, const std::string& to) { return renameNoReplace(from, to); });
}

namespace {

// Where the calls of one change go: through an open descriptor of the file when there is one, else
// by path (links followed either way).
struct ChangeTarget {
    const std::string& path;
    int fd = -1;

    int stat(struct statx& sx) const {
        const int rc = fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx)
                               : statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx);
        return rc == 0 ? 0 : errno;
    }
    int chmod(mode_t mode) const { return (fd >= 0 ? fchmod(fd, mode) : ::chmod(path.c_str(), mode)) == 0 ? 0 : errno; }
    int readDos(std::optional<DosAttrib>& out) const {
        return fd >= 0 ? readDosAttrib(fd, out) : readDosAttrib(path, out);
    }
    int writeDos(const DosAttrib& a) const { return fd >= 0 ? writeDosAttrib(fd, a) : writeDosAttrib(path, a); }
    int setLastWrite(FileTime t) const {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(t.sec);
        times[1].tv_nsec = t.nsec;
        return (fd >= 0 ? futimens(fd, times) : utimensat(AT_FDCWD, path.c_str(), times, 0)) == 0 ? 0 : errno;
    }
};

// A descriptor to change a file through, or -1 (the change then goes by path). Opened without
// blocking and without becoming a controlling terminal, whatever the path names by now.
int openForChange(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

FileInfo infoOf(const std::string& path, const struct statx& sx, const std::optional<DosAttrib>& dos) {
    FileInfo info;
    info.name = baseNameOf(path);
    fillFileInfo(sx, info);
    if (dos)
        applyDosAttrib(*dos, info);
    return info;
}

// The stored value to rewrite: the present one, else one for the attributes the file shows now.
DosAttrib startingValue(const std::string& path, mode_t mode, const std::optional<DosAttrib>& dos) {
    if (dos)
        return *dos;
    DosAttrib a;
    a.attrib = defaultAttributes(baseNameOf(path), mode) & ~AttrDirectory;
    return a;
}

// The information after a change: the kernel's anew, and the stored value as it now is (the change
// either wrote it or left it as it was read a moment ago).
void fillAfter(const ChangeTarget& t, const std::optional<DosAttrib>& dos, std::optional<FileInfo>* after) {
    if (!after)
        return;
    struct statx sx {};
    if (t.stat(sx) == 0)
        *after = infoOf(t.path, sx, dos);
    else
        after->reset();
}

int changeTimesAt(const ChangeTarget& t, const FileSystem::TimesDecision& decide, std::optional<FileInfo>* after) {
    struct statx sx {};
    if (int rc = t.stat(sx)) {
        if (after)
            after->reset();
        return rc;
    }
    std::optional<DosAttrib> dos;
    const int dosErr = t.readDos(dos);
    std::optional<FileTime> creation, lastWrite;
    int err = decide(infoOf(t.path, sx, dos), creation, lastWrite);
    if (err == 0 && !(sx.stx_mode & 0222))
        err = EACCES; // read-only files keep their times, for root too
    // A creation time the stored value cannot hold would be written as none at all, losing the one
    // the file had: refused before anything is written.
    if (err == 0 && creation && !fitsNtTime(*creation))
        err = ERANGE;
    if (err == 0 && creation) {
        err = dosErr;
        if (err == 0) {
            DosAttrib a = startingValue(t.path, sx.stx_mode, dos);
            a.createTime = creation;
            err = t.writeDos(a);
            if (err == 0)
                dos = a;
        }
    }
    if (err == 0 && lastWrite)
        err = t.setLastWrite(*lastWrite);
    fillAfter(t, dos, after);
    return err;
}

int changeAttributesAt(const ChangeTarget& t, uint32_t mask, uint32_t values, std::optional<FileInfo>* after) {
    struct statx sx {};
    if (int rc = t.stat(sx)) {
        if (after)
            after->reset();
        return rc;
    }
    mode_t newMode = sx.stx_mode & 07777;
    if (mask & AttrReadOnly) {
        if (values & AttrReadOnly)
            newMode &= ~static_cast<mode_t>(0222);
        else if (!(newMode & 0222))
            newMode |= ((newMode & 0444) >> 1) & ~processUmask();
    }
    const bool readOnlyAfter = !(newMode & 0222);
    const uint32_t xattrBits = AttrHidden | AttrSystem | AttrArchive;

    std::optional<DosAttrib> dos;
    const int rc = t.readDos(dos);
    auto finish = [&](int err) {
        fillAfter(t, dos, after);
        return err;
    };
    if (rc && (mask & xattrBits))
        return finish(rc);
    // The stored value is rewritten when a bit kept there changes, or to mirror a read-only change.
    const bool writeXattr = rc == 0 && ((mask & xattrBits) || dos);
    DosAttrib a = startingValue(t.path, sx.stx_mode, dos);
    a.attrib = (a.attrib & ~(mask & xattrBits)) | (values & mask & xattrBits);
    a.attrib = readOnlyAfter ? (a.attrib | AttrReadOnly) : (a.attrib & ~static_cast<uint32_t>(AttrReadOnly));
    auto write = [&] {
        const int e = t.writeDos(a);
        if (e == 0)
            dos = a;
        return e;
    };

    const mode_t oldMode = sx.stx_mode & 07777;
    if (writeXattr && !(oldMode & 0200) && !(newMode & 0200)) {
        // Its owner may only write a read-only file's attributes after lending it the write bit.
        if (int e = t.chmod(oldMode | 0200))
            return finish(e);
        int e = write();
        if (int c = t.chmod(e ? oldMode : newMode); c && !e)
            e = c;
        return finish(e);
    }
    // A file that becomes writable is made so first, one that becomes read-only last.
    if (!readOnlyAfter && newMode != oldMode)
        if (int e = t.chmod(newMode))
            return finish(e);
    if (writeXattr)
        if (int e = write())
            return finish(e);
    if (readOnlyAfter && newMode != oldMode)
        if (int e = t.chmod(newMode))
            return finish(e);
    return finish(0);
}

} // namespace

int PosixFileSystem::setTimes(const std::string& path, const std::optional<FileTime>& creation,
                              const std::optional<FileTime>& lastWrite) {
    return changeTimesAt(
        ChangeTarget{path},
        [&](const FileInfo&, std::optional<FileTime>& c, std::optional<FileTime>& w) {
            c = creation;
            w = lastWrite;
            return 0;
        },
        nullptr);
}

int PosixFileSystem::setAttributes(const std::string& path, uint32_t mask, uint32_t values) {
    return changeAttributesAt(ChangeTarget{path}, mask, values, nullptr);
}

int PosixFileSystem::changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) {
    const int fd = openForChange(path);
    const int err = changeTimesAt(ChangeTarget{path, fd}, decide, after);
    if (fd >= 0)
        ::close(fd);
    return err;
}

int PosixFileSystem::changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                                      std::optional<FileInfo>* after) {
    const int fd = openForChange(path);
    const int err = changeAttributesAt(ChangeTarget{path, fd}, mask, values, after);
    if (fd >= 0)
        ::close(fd);
    return err;
}

int PosixFileSystem::makeDirectories(const std::string& path) {
    return makeFolderChain(path, 0777);
}

int makeFolderChain(const std::string& path, mode_t mode) {
    if (path.empty())
        return ENOENT;
    std::size_t pos = 0;
    for (;;) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        if (!part.empty() && part != "/" && part.back() != '/') {
            if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
                int e = errno;
                struct stat st {};
                if (::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                    return e;
            }
        }
        if (pos == std::string::npos)
            break;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

namespace {

// Reads until buf is full or the file ends. Returns the bytes read, or -errno.
ssize_t readFull(int fd, char* buf, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd, buf + got, size - got);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -errno;
        }
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// A file descriptor closed when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0)
            close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

} // namespace

int PosixFileSystem::compareContents(const std::string& source, const std::string& copy, bool& equal) {
    equal = false;
    // Non-blocking opens, so that a pipe standing where a file was expected never hangs the caller.
    Fd a(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (a.fd < 0)
        return errno;
    Fd b(open(copy.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
    if (b.fd < 0)
        return errno;
    struct stat sa {
    }, sb{};
    if (fstat(a.fd, &sa) != 0 || fstat(b.fd, &sb) != 0)
        return errno;
    if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode))
        return EINVAL;
    if (sa.st_size != sb.st_size)
        return 0;
    if (sameFile(sa, sb)) {
        equal = true;
        return 0;
    }
    posix_fadvise(a.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    posix_fadvise(b.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    constexpr std::size_t kChunk = 1 << 16;
    static thread_local std::vector<char> bufA(kChunk), bufB(kChunk);
    for (;;) {
        const ssize_t na = readFull(a.fd, bufA.data(), kChunk);
        if (na < 0)
            return static_cast<int>(-na);
        const ssize_t nb = readFull(b.fd, bufB.data(), kChunk);
        if (nb < 0)
            return static_cast<int>(-nb);
        // A file that grew or shrank while being read differs from the other one.
        if (na != nb || std::memcmp(bufA.data(), bufB.data(), static_cast<std::size_t>(na)) != 0)
            return 0;
        if (na == 0) {
            equal = true;
            return 0;
        }
    }
}

int PosixFileSystem::appendLine(const std::string& path, std::string_view line) {
    Fd f(open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (f.fd < 0)
        return errno;
    struct stat st {};
    if (fstat(f.fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    std::string bytes;
    if (st.st_size > 0) {
        char last = 0;
        const ssize_t n = pread(f.fd, &last, 1, st.st_size - 1);
        if (n < 0)
            return errno;
        if (n == 1 && last != '\n')
            bytes = "\r\n";
    }
    bytes += line;
    bytes += "\r\n";
    std::size_t written = 0;
    if (int rc = writeAll(f.fd, bytes, &written)) {
        // Half a line could read as something else.
        if (written > 0 && ftruncate(f.fd, st.st_size) != 0) {
            // nothing more to do: the caller hears of the failed write either way
        }
        return rc;
    }
    if (fdatasync(f.fd) != 0 && errno != EINVAL && errno != EROFS)
        return errno;
    return 0;
}

FileSystem& systemFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

} // namespace rinoza
