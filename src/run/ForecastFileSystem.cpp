#include "run/ForecastFileSystem.h"

#include "platform/Paths.h"

#include <cerrno>
#include <climits>

namespace rinoza {

namespace {

// The device number of files the forecast makes up: no real file shares their identity.
constexpr dev_t kForecastDevice = static_cast<dev_t>(-1);
constexpr std::size_t kNameMax = 255;

bool sameFile(const FileInfo& a, const FileInfo& b) { return a.dev == b.dev && a.ino == b.ino; }

bool tooLong(const std::string& path) {
    return path.size() >= PATH_MAX || baseNameOf(path).size() > kNameMax;
}

} // namespace

void ForecastFileSystem::assumeNewFile(const std::string& path) {
    Entry e;
    e.present = true;
    FileInfo like;
    like.isRegular = true;
    like.mode = 0100644;
    e.link = newFileInfo(like);
    e.target = e.link;
    m_entries[path] = e;
}

FileInfo ForecastFileSystem::newFileInfo(const FileInfo& like) {
    FileInfo info;
    info.isRegular = true;
    info.size = like.size;
    info.mode = like.mode;
    info.attributes = like.attributes & ~static_cast<uint32_t>(AttrDirectory);
    info.dev = kForecastDevice;
    info.ino = m_nextIno++;
    return info;
}

int ForecastFileSystem::listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) {
    return m_real.listDirectory(dir, onEntry);
}

int ForecastFileSystem::lookup(const std::string& path, FileInfo& info, bool followLinks) {
    if (auto it = m_entries.find(path); it != m_entries.end()) {
        const Entry& e = it->second;
        if (!e.present)
            return ENOENT;
        if (followLinks && e.targetError)
            return e.targetError;
        info = followLinks ? e.target : e.link;
        info.name = baseNameOf(path);
        return 0;
    }
    if (followLinks)
        return m_real.stat(path, info, true);
    if (path != m_lastPath) {
        m_lastPath = path;
        m_lastError = m_real.stat(path, m_lastInfo, false);
    }
    if (m_lastError == 0)
        info = m_lastInfo;
    return m_lastError;
}

int ForecastFileSystem::stat(const std::string& path, FileInfo& info, bool followLinks) {
    return lookup(path, info, followLinks);
}

ForecastFileSystem::Entry ForecastFileSystem::entryFor(const std::string& from, const FileInfo& fromLink) {
    Entry e;
    e.present = true;
    e.link = fromLink;
    if (fromLink.isSymlink)
        e.targetError = lookup(from, e.target, true);
    else
        e.target = fromLink;
    return e;
}

int ForecastFileSystem::moveEntry(const std::string& from, const std::string& to, bool acrossVolumes) {
    FileInfo source;
    if (int err = lookup(from, source, false))
        return err;
    if (tooLong(to))
        return ENAMETOOLONG;
    FileInfo existing;
    if (lookup(to, existing, false) == 0) {
        // Only the file itself under another letter case (a case-insensitive volume) may be renamed
        // onto a name that answers; a second hard link in the folder is never replaced.
        if (!sameFile(existing, source) || parentOf(from) != parentOf(to) || baseNameOf(from) == baseNameOf(to))
            return EEXIST;
        bool listed = false;
        const std::string name = baseNameOf(to);
        m_real.listDirectory(parentOf(to), [&](const DirEntry& d) {
            listed = d.name == name;
            return !listed;
        });
        if (listed)
            return EEXIST;
    }
    if (acrossVolumes && !source.isRegular && !source.isSymlink) {
        FileInfo folder;
        if (lookup(parentOf(to), folder, true) == 0 && folder.dev != source.dev)
            return EXDEV; // only files and links are carried to another volume
    }
    Entry moved = entryFor(from, source);
    m_entries[from] = Entry{};
    m_entries[to] = std::move(moved);
    return 0;
}

int ForecastFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    return moveEntry(from, to, false);
}

int ForecastFileSystem::moveNoReplace(const std::string& from, const std::string& to) {
    return moveEntry(from, to, true);
}

int ForecastFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    FileInfo source;
    if (int err = lookup(from, source, true))
        return err;
    if (source.isDirectory)
        return EISDIR;
    if (tooLong(to))
        return ENAMETOOLONG;
    FileInfo existing;
    if (lookup(to, existing, false) == 0)
        return EEXIST;
    Entry e;
    e.present = true;
    e.link = newFileInfo(source);
    e.target = e.link;
    m_entries[to] = e;
    return 0;
}

} // namespace rinoza
