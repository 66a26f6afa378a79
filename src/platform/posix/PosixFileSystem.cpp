#include "platform/posix/PosixFileSystem.h"

#include "platform/Paths.h"
#include "platform/posix/DosAttrib.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixFolder.h"
#include "platform/posix/PosixPaths.h"
#include "platform/posix/StatxInfo.h"
#include "platform/posix/Trash.h"
#include "platform/posix/WriteAll.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rinoza {

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

} // namespace

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
    return joinPath(parentOf(path), temporaryNameFor(baseNameOf(path)));
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

namespace {

// Both parent folders of a path operation, opened for the operation only.
struct PathPair {
    std::unique_ptr<Folder> fromFolder, toFolder;
    std::string fromName, toName;
    int error = 0;

    PathPair(const std::string& from, const std::string& to) : fromName(baseNameOf(from)), toName(baseNameOf(to)) {
        error = openPosixFolder(AT_FDCWD, parentOf(from).c_str(), parentOf(from), nullptr, fromFolder);
        if (!error)
            error = openPosixFolder(AT_FDCWD, parentOf(to).c_str(), parentOf(to), nullptr, toFolder);
        // A path that names no entry of a folder ("/", "a/.."): the system call decides as it would.
        if (fromName.empty() || fromName == "." || fromName == ".." || toName.empty() || toName == "." ||
            toName == "..")
            error = -1;
    }
};

} // namespace

int PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    return renameWithoutReplacing(from, to);
}

int renameWithoutReplacing(const std::string& from, const std::string& to) {
    const PathPair p(from, to);
    if (p.error > 0)
        return p.error;
    if (p.error < 0)
        return renameNoReplaceAt(NameAt(from), NameAt(to));
    return renameNoReplaceAt(NameAt(*p.fromFolder, p.fromName), NameAt(*p.toFolder, p.toName));
}

int PosixFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    PosixTransferBatch batch(&m_fault);
    const PathPair p(from, to);
    if (p.error > 0)
        return p.error;
    if (p.error < 0)
        return batch.copyNow(NameAt(from), NameAt(to));
    return batch.copyNow(NameAt(*p.fromFolder, p.fromName), NameAt(*p.toFolder, p.toName));
}

int PosixFileSystem::moveNoReplace(const std::string& from, const std::string& to) {
    PosixTransferBatch batch(&m_fault);
    const PathPair p(from, to);
    if (p.error > 0)
        return p.error;
    if (p.error < 0)
        return batch.moveNow(NameAt(from), NameAt(to));
    return batch.moveNow(NameAt(*p.fromFolder, p.fromName), NameAt(*p.toFolder, p.toName));
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
// by its name in its folder (links followed either way).
struct ChangeTarget {
    const NameAt& at;
    int fd = -1;

    int stat(struct statx& sx) const {
        const int rc = fd >= 0 ? statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx)
                               : statx(at.dir(), at.name(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx);
        return rc == 0 ? 0 : errno;
    }
    int chmod(mode_t mode) const {
        return (fd >= 0 ? fchmod(fd, mode) : ::fchmodat(at.dir(), at.name(), mode, 0)) == 0 ? 0 : errno;
    }
    int readDos(std::optional<DosAttrib>& out) const {
        if (fd >= 0)
            return readDosAttrib(fd, out);
        if (at.dir() != AT_FDCWD)
            if (const int rc = readDosAttribAt(at.dir(), at.name(), out); rc != ENOSYS)
                return rc;
        return readDosAttrib(at.fullPath(), out);
    }
    int writeDos(const DosAttrib& a) const {
        return fd >= 0 ? writeDosAttrib(fd, a) : writeDosAttrib(at.fullPath(), a);
    }
    int setLastWrite(FileTime t) const {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(t.sec);
        times[1].tv_nsec = t.nsec;
        return (fd >= 0 ? futimens(fd, times) : utimensat(at.dir(), at.name(), times, 0)) == 0 ? 0 : errno;
    }
    std::string name() const { return at.baseName(); }
};

// A descriptor to change a file through, or -1 (the change then goes by name). Opened without
// blocking and without becoming a controlling terminal, whatever the name stands for by now.
int openForChange(const NameAt& at) {
    return ::openat(at.dir(), at.name(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

FileInfo infoOf(const std::string& name, const struct statx& sx, const std::optional<DosAttrib>& dos) {
    FileInfo info;
    info.name = name;
    fillFileInfo(sx, info);
    if (dos)
        applyDosAttrib(*dos, info);
    return info;
}

// The stored value to rewrite: the present one, else one for the attributes the file shows now.
DosAttrib startingValue(const std::string& name, mode_t mode, const std::optional<DosAttrib>& dos) {
    if (dos)
        return *dos;
    DosAttrib a;
    a.attrib = defaultAttributes(name, mode) & ~AttrDirectory;
    return a;
}

// The information after a change: the kernel's anew, and the stored value as it now is (the change
// either wrote it or left it as it was read a moment ago).
void fillAfter(const ChangeTarget& t, const std::optional<DosAttrib>& dos, std::optional<FileInfo>* after) {
    if (!after)
        return;
    struct statx sx {};
    if (t.stat(sx) == 0)
        *after = infoOf(t.name(), sx, dos);
    else
        after->reset();
}

int changeTimesThrough(const ChangeTarget& t, const FileSystem::TimesDecision& decide, std::optional<FileInfo>* after) {
    struct statx sx {};
    if (int rc = t.stat(sx)) {
        if (after)
            after->reset();
        return rc;
    }
    std::optional<DosAttrib> dos;
    const int dosErr = t.readDos(dos);
    std::optional<FileTime> creation, lastWrite;
    int err = decide(infoOf(t.name(), sx, dos), creation, lastWrite);
    if (err == 0 && !(sx.stx_mode & 0222))
        err = EACCES; // read-only files keep their times, for root too
    // A creation time the stored value cannot hold would be written as none at all, losing the one
    // the file had: refused before anything is written.
    if (err == 0 && creation && !fitsNtTime(*creation))
        err = ERANGE;
    if (err == 0 && creation) {
        err = dosErr;
        if (err == 0) {
            DosAttrib a = startingValue(t.name(), sx.stx_mode, dos);
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

int changeAttributesThrough(const ChangeTarget& t, uint32_t mask, uint32_t values, std::optional<FileInfo>* after) {
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
    DosAttrib a = startingValue(t.name(), sx.stx_mode, dos);
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

namespace {

int changeTimesOf(const NameAt& at, const FileSystem::TimesDecision& decide, std::optional<FileInfo>* after) {
    const int fd = openForChange(at);
    const int err = changeTimesThrough(ChangeTarget{at, fd}, decide, after);
    if (fd >= 0)
        ::close(fd);
    return err;
}

int changeAttributesOf(const NameAt& at, uint32_t mask, uint32_t values, std::optional<FileInfo>* after) {
    const int fd = openForChange(at);
    const int err = changeAttributesThrough(ChangeTarget{at, fd}, mask, values, after);
    if (fd >= 0)
        ::close(fd);
    return err;
}

} // namespace

int PosixFileSystem::setTimes(const std::string& path, const std::optional<FileTime>& creation,
                              const std::optional<FileTime>& lastWrite) {
    return changeTimesThrough(
        ChangeTarget{NameAt(path)},
        [&](const FileInfo&, std::optional<FileTime>& c, std::optional<FileTime>& w) {
            c = creation;
            w = lastWrite;
            return 0;
        },
        nullptr);
}

int PosixFileSystem::setAttributes(const std::string& path, uint32_t mask, uint32_t values) {
    return changeAttributesThrough(ChangeTarget{NameAt(path)}, mask, values, nullptr);
}

int PosixFileSystem::changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) {
    return changeTimesOf(NameAt(path), decide, after);
}

int PosixFileSystem::changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                                      std::optional<FileInfo>* after) {
    return changeAttributesOf(NameAt(path), mask, values, after);
}

int PosixFileSystem::changeTimesAt(const Folder& folder, const std::string& name, const TimesDecision& decide,
                                   std::optional<FileInfo>* after) {
    return changeTimesOf(NameAt(folder, name), decide, after);
}

int PosixFileSystem::changeAttributesAt(const Folder& folder, const std::string& name, uint32_t mask, uint32_t values,
                                        std::optional<FileInfo>* after) {
    return changeAttributesOf(NameAt(folder, name), mask, values, after);
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

int compareContentsOf(const NameAt& source, const NameAt& copy, bool& equal) {
    equal = false;
    // Non-blocking opens, so that a pipe standing where a file was expected never hangs the caller.
    Fd a(openat(source.dir(), source.name(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (a.fd < 0)
        return errno;
    Fd b(openat(copy.dir(), copy.name(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW));
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

} // namespace

int PosixFileSystem::compareContents(const std::string& source, const std::string& copy, bool& equal) {
    return compareContentsOf(NameAt(source), NameAt(copy), equal);
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

int PosixFileSystem::readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) {
    return rinoza::readFilePieces(path, onPiece);
}

int PosixFileSystem::readWholeFile(const std::string& path, std::string& content) {
    return rinoza::readWholeFile(path, content);
}

int PosixFileSystem::readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) {
    return rinoza::readFileHead(path, maxBytes, content);
}

int PosixFileSystem::replaceFile(const std::string& path, std::string_view content, const ReplaceOptions& options,
                                 std::unique_ptr<AppendFile>* keepOpen) {
    return replaceFileDurably(path, content, options, keepOpen);
}

int PosixFileSystem::makePrivateFolders(const std::string& path) {
    return rinoza::makePrivateFolders(path);
}

std::optional<std::string> PosixFileSystem::environment(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::optional<std::string>(v) : std::nullopt;
}

std::string PosixFileSystem::homeFolder() {
    return rinoza::homeFolder();
}

std::string PosixFileSystem::currentFolder() {
    return rinoza::currentFolder();
}

std::string PosixFileSystem::executableFolder() {
    return rinoza::executableFolder();
}

std::string PosixFileSystem::resolvedPath(const std::string& path) {
    return rinoza::resolvedPath(path);
}

bool PosixFileSystem::canWriteInto(const std::string& folder) {
    return rinoza::canWriteInto(folder);
}

int PosixFileSystem::openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) {
    return openPosixFolder(AT_FDCWD, path.c_str(), path, expected, out);
}

int PosixFileSystem::openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out) {
    const NameAt at(parent, name);
    return openPosixFolder(at.dir(), at.name(), joinPath(parent.path(), name), nullptr, out);
}

int PosixFileSystem::readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) {
    const int rc = readPosixFolder(folder, visit);
    return rc == EBADF && !dynamic_cast<const PosixFolder*>(&folder) ? FileSystem::readFolder(folder, visit) : rc;
}

int PosixFileSystem::statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) {
    return statNameAt(NameAt(folder, name), info, followLinks);
}

int PosixFileSystem::statBasicAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) {
    return statNameAt(NameAt(folder, name), info, followLinks, true);
}

int PosixFileSystem::renameAt(const Folder& from, const std::string& name, const Folder& to,
                              const std::string& newName) {
    return renameNoReplaceAt(NameAt(from, name), NameAt(to, newName));
}

int PosixFileSystem::removeAt(const Folder& folder, const std::string& name) {
    const NameAt at(folder, name);
    return ::unlinkat(at.dir(), at.name(), 0) == 0 ? 0 : errno;
}

int PosixFileSystem::compareContentsAt(const Folder& sourceFolder, const std::string& source, const Folder& copyFolder,
                                       const std::string& copy, bool& equal) {
    return compareContentsOf(NameAt(sourceFolder, source), NameAt(copyFolder, copy), equal);
}

std::unique_ptr<TransferBatch> PosixFileSystem::beginTransfers() {
    return std::make_unique<PosixTransferBatch>(&m_fault);
}

FileSystem& systemFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

} // namespace rinoza
