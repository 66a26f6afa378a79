#include "platform/posix/Trash.h"

#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixPaths.h"
#include "platform/posix/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rinoza {

namespace {

// Where a file really lies: its folder with every link resolved, its own name kept (a link is trashed
// itself, not its target). The path as given when the folder cannot be resolved.
std::string realLocation(const std::string& abs) {
    const std::string base = baseNameOf(abs);
    if (base.empty() || base == "." || base == "..")
        return abs;
    char* real = realpath(parentOf(abs).c_str(), nullptr);
    if (!real)
        return abs;
    std::string located = joinPath(real, base);
    std::free(real);
    return located;
}

// The Path= value: relative to the top folder when the file lies below it, else absolute.
std::string recordedPath(const std::string& abs, const std::string& topDir) {
    if (topDir.empty())
        return abs;
    const std::string prefix = topDir == "/" ? "/" : topDir + "/";
    if (abs.size() > prefix.size() && abs.compare(0, prefix.size(), prefix) == 0)
        return abs.substr(prefix.size());
    return abs;
}

// A folder that exists (created with 0700 when missing), is no symbolic link, and lies on `dev`.
int ensureOwnFolder(const std::string& dir, dev_t dev) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (st.st_dev != dev)
        return EXDEV;
    return 0;
}

// A per-user trash folder (inside the shared .Trash, or .Trash-$uid beside it): it must be a real
// folder (no link) of ours that nobody else may write into; anything else could hand our files to
// another user.
bool isPrivateFolder(const std::string& dir) {
    struct stat st {};
    return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Device of a path, or of its nearest existing ancestor.
bool deviceOfNearest(std::string path, dev_t& dev) {
    for (;;) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            dev = st.st_dev;
            return true;
        }
        if (path == "/" || path.empty() || path == ".")
            return false;
        path = parentOf(path);
    }
}

// The mount point holding a file: the highest ancestor of its folder still on the file's device.
std::string topDirOf(const std::string& absPath, dev_t dev) {
    std::string dir = parentOf(absPath);
    char* real = realpath(dir.c_str(), nullptr);
    if (real) {
        dir = real;
        std::free(real);
    }
    for (;;) {
        if (dir == "/")
            return dir;
        const std::string up = parentOf(dir);
        struct stat st {};
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != dev)
            return dir;
        dir = up;
    }
}

struct TrashPlace {
    std::string dir;    // the trash folder (holding files/ and info/)
    std::string topDir; // empty for the home trash: its Path= values are absolute
};

int findTrash(const std::string& absPath, dev_t dev, TrashPlace& place) {
    const std::string home = homeTrashDir();
    dev_t homeDev = 0;
    if (!home.empty() && deviceOfNearest(home, homeDev) && homeDev == dev) {
        std::string dataHome = parentOf(home);
        struct stat st {};
        if (::stat(dataHome.c_str(), &st) != 0) {
            // Create $XDG_DATA_HOME the way a desktop would (0700), parents included.
            std::size_t pos = 0;
            while ((pos = dataHome.find('/', pos + 1)) != std::string::npos)
                mkdir(dataHome.substr(0, pos).c_str(), 0700);
            mkdir(dataHome.c_str(), 0700);
        }
        place.dir = home;
        place.topDir.clear();
        return ensureOwnFolder(home, dev);
    }

    const std::string top = topDirOf(absPath, dev);
    const std::string uid = std::to_string(getuid());
    const std::string shared = joinPath(top, ".Trash");
    struct stat st {};
    if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) && st.st_dev == dev) {
        place.dir = joinPath(shared, uid);
        place.topDir = top;
        if (ensureOwnFolder(place.dir, dev) == 0 && isPrivateFolder(place.dir))
            return 0;
    }
    place.dir = joinPath(top, ".Trash-" + uid);
    place.topDir = top;
    if (int e = ensureOwnFolder(place.dir, dev))
        return e;
    // Someone else's folder, or one others may write into, could hand our files to another user.
    if (!isPrivateFolder(place.dir))
        return EPERM;
    return 0;
}

// A name's length in bytes cut to at most max without splitting a UTF-8 character.
std::size_t cutAtCharacter(std::string_view s, std::size_t max) {
    if (s.size() <= max)
        return s.size();
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

} // namespace

std::string trashStoredName(std::string_view name, int n) {
    constexpr std::size_t kNameMax = 255;
    constexpr std::string_view kInfoSuffix = ".trashinfo";
    const std::string counter = n > 1 ? "." + std::to_string(n) : std::string();
    if (name.size() + counter.size() + kInfoSuffix.size() <= kNameMax)
        return std::string(name) + counter;
    uint32_t hash = 2166136261u; // FNV-1a of the whole name
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char mark[16];
    std::snprintf(mark, sizeof mark, "~%08x", hash);
    // The extension tells a file manager what the file is; a long one is not kept.
    std::string_view ext;
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0 && name.size() - dot <= 16)
        ext = name.substr(dot);
    const std::size_t room = kNameMax - kInfoSuffix.size() - counter.size() - ext.size() - std::strlen(mark);
    const std::string_view stem = name.substr(0, name.size() - ext.size());
    std::string stored(stem.substr(0, cutAtCharacter(stem, room)));
    stored += mark;
    stored += counter;
    stored += ext;
    return stored;
}

std::string trashInfoText(std::string_view path, const LocalDateTime& t) {
    char date[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return "[Trash Info]\nPath=" + percentEncodePath(path) + "\nDeletionDate=" + date + "\n";
}

std::string homeTrashDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return joinPath(xdg, "Trash");
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/')
        return "";
    return joinPath(joinPath(home, ".local/share"), "Trash");
}

TrashResult trashFile(const std::string& path, const NoReplaceRename& rename) {
    TrashResult r;
    // A file reached through a link to a folder is recorded (and moved) where it really lies.
    const std::string abs = realLocation(absolutePath(path, currentFolder(), systemFileSystem()));
    struct stat st {};
    if (lstat(abs.c_str(), &st) != 0) {
        r.error = errno;
        return r;
    }
    TrashPlace place;
    if (int e = findTrash(abs, st.st_dev, place)) {
        r.error = e;
        return r;
    }
    const std::string filesDir = joinPath(place.dir, "files");
    const std::string infoDir = joinPath(place.dir, "info");
    if (int e = ensureOwnFolder(filesDir, st.st_dev); e || (e = ensureOwnFolder(infoDir, st.st_dev))) {
        r.error = e;
        return r;
    }

    const std::string info = trashInfoText(recordedPath(abs, place.topDir), SystemClock().now());
    const std::string base = baseNameOf(abs);

    for (int n = 1; n < 10000; ++n) {
        const std::string name = trashStoredName(base, n);
        const std::string infoPath = joinPath(infoDir, name + ".trashinfo");
        const std::string target = joinPath(filesDir, name);
        const int fd = open(infoPath.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            r.error = errno;
            return r;
        }
        int e = writeAll(fd, info);
        if (!e && fsync(fd) != 0)
            e = errno;
        if (close(fd) != 0 && !e)
            e = errno;
        if (!e) {
            struct stat existing {};
            if (lstat(target.c_str(), &existing) == 0) {
                unlink(infoPath.c_str()); // a leftover without its info: leave it, take the next name
                continue;
            }
            e = rename(abs, target);
            if (e == EEXIST) {
                unlink(infoPath.c_str());
                continue;
            }
        }
        if (e) {
            unlink(infoPath.c_str());
            r.error = e;
            return r;
        }
        r.trashedPath = target;
        r.infoPath = infoPath;
        return r;
    }
    r.error = EEXIST;
    return r;
}

} // namespace rinoza
