#include "run/ForecastFileSystem.h"

#include "platform/Paths.h"

#include <cerrno>
#include <climits>

namespace rinoza {

namespace {

// The device number of files the forecast makes up: no real file shares their identity.
constexpr dev_t kForecastDevice = static_cast<dev_t>(-1);
constexpr std::size_t kNameMax = 255;

bool sameFile(const FileInfo& a, const FileInfo& b) {
    return a.dev == b.dev && a.ino == b.ino;
}

bool tooLong(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return path.size() >= PATH_MAX || path.size() - (slash == std::string::npos ? 0 : slash + 1) > kNameMax;
}

} // namespace

void ForecastFileSystem::reserve(std::size_t files) {
    m_entries.reserve(2 * files + 1);
    std::size_t size = 16;
    while (size < 4 * files + 2)
        size *= 2;
    if (size > m_slots.size()) {
        m_slots.assign(size, {0, 0});
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            std::size_t at = m_entries[i].hash & (size - 1);
            while (m_slots[at].second)
                at = (at + 1) & (size - 1);
            m_slots[at] = {m_entries[i].hash, static_cast<uint32_t>(i + 1)};
        }
    }
}

std::size_t ForecastFileSystem::hashOf(const std::string& path) const {
    return !m_lastPath.empty() && path == m_lastPath ? m_lastHash : std::hash<std::string>{}(path);
}

void ForecastFileSystem::grow() {
    reserve(m_slots.empty() ? 8 : m_slots.size() / 2);
}

ForecastFileSystem::Entry* ForecastFileSystem::find(std::string_view path, std::size_t hash) {
    if (m_slots.empty())
        return nullptr;
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask; m_slots[at].second; at = (at + 1) & mask) {
        if (m_slots[at].first != hash)
            continue;
        Entry& e = m_entries[m_slots[at].second - 1];
        if (pathOf(e) == path)
            return &e;
    }
    return nullptr;
}

ForecastFileSystem::Entry& ForecastFileSystem::entry(const std::string& path, std::size_t hash) {
    if (Entry* e = find(path, hash))
        return *e;
    if (2 * (m_entries.size() + 1) > m_slots.size())
        grow();
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].second)
        at = (at + 1) & mask;
    Entry& e = m_entries.emplace_back();
    e.hash = hash;
    e.pathStart = static_cast<uint32_t>(m_paths.size());
    e.pathLength = static_cast<uint32_t>(path.size());
    m_paths += path;
    m_slots[at] = {hash, static_cast<uint32_t>(m_entries.size())};
    return e;
}

void ForecastFileSystem::assumeNewFile(const std::string& path) {
    FileInfo like;
    like.isRegular = true;
    like.mode = 0100644;
    m_lastPath.clear();
    const FileInfo info = newFileInfo(like);
    Entry& e = entry(path, std::hash<std::string>{}(path));
    e.present = true;
    e.link = info;
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

ForecastFileSystem::Place ForecastFileSystem::placeOf(const Folder& folder, const std::string& name) {
    return Place{joinPath(folder.path(), name), &folder, &name};
}

int ForecastFileSystem::lookup(const Place& place, FileInfo& info, bool followLinks, bool basic) {
    return lookup(place, hashOf(place.path), info, followLinks, basic);
}

int ForecastFileSystem::lookup(const Place& place, std::size_t hash, FileInfo& info, bool followLinks, bool basic) {
    const std::string& path = place.path;
    if (!followLinks && path == m_lastPath && (basic || !m_lastBasic)) {
        if (m_lastError == 0)
            info = m_lastInfo;
        return m_lastError;
    }
    int err = 0;
    if (const Entry* found = find(path, hash)) {
        const Entry& e = *found;
        if (!e.present) {
            err = ENOENT;
        } else if (followLinks && e.followedError) {
            err = e.followedError;
        } else {
            info = followLinks && e.followed ? *e.followed : e.link;
            info.name = baseNameOf(path);
        }
    } else if (place.folder) {
        err = basic ? m_real.statBasicAt(*place.folder, *place.name, info, followLinks)
                    : m_real.statAt(*place.folder, *place.name, info, followLinks);
    } else {
        err = basic ? m_real.statBasic(path, info, followLinks) : m_real.stat(path, info, followLinks);
    }
    if (!followLinks) {
        m_lastPath = path;
        m_lastHash = hash;
        m_lastError = err;
        m_lastBasic = basic;
        if (err == 0)
            m_lastInfo = info;
    }
    return err;
}

int ForecastFileSystem::stat(const std::string& path, FileInfo& info, bool followLinks) {
    return lookup(Place{path}, info, followLinks);
}

int ForecastFileSystem::statBasic(const std::string& path, FileInfo& info, bool followLinks) {
    return lookup(Place{path}, info, followLinks, true);
}

int ForecastFileSystem::statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) {
    return lookup(placeOf(folder, name), info, followLinks);
}

int ForecastFileSystem::statBasicAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) {
    return lookup(placeOf(folder, name), info, followLinks, true);
}

int ForecastFileSystem::moveEntry(const Place& fromPlace, const Place& toPlace, bool acrossVolumes) {
    const std::string& from = fromPlace.path;
    const std::string& to = toPlace.path;
    // Identity and kind are what a move needs of the files: the lookups leave out their extended
    // attributes. (A later row never names a file an earlier one moved: that row's file was there
    // when listed, so the move would have found its name taken.)
    const std::size_t fromHash = hashOf(from);
    const std::size_t toHash = std::hash<std::string>{}(to);
    FileInfo source;
    if (int err = lookup(fromPlace, fromHash, source, false, true))
        return err;
    if (tooLong(to))
        return ENAMETOOLONG;
    FileInfo existing;
    if (lookup(toPlace, toHash, existing, false, true) == 0) {
        // Only the file itself under another letter case (a case-insensitive volume) may be renamed
        // onto a name that answers; a second hard link in the folder is never replaced.
        if (!sameFile(existing, source) || parentOf(from) != parentOf(to) || baseNameOf(from) == baseNameOf(to))
            return EEXIST;
        bool listed = false;
        const std::string name = baseNameOf(to);
        if (toPlace.folder) {
            m_real.readFolder(*toPlace.folder, [&](const FolderEntry& d) {
                listed = d.name == name;
                return !listed;
            });
        } else {
            m_real.listDirectory(parentOf(to), [&](const DirEntry& d) {
                listed = d.name == name;
                return !listed;
            });
        }
        if (listed)
            return EEXIST;
    }
    if (acrossVolumes && !source.isRegular && !source.isSymlink) {
        FileInfo folder;
        if (toPlace.folder)
            folder.dev = static_cast<dev_t>(toPlace.folder->id().dev);
        if ((toPlace.folder || lookup(Place{parentOf(to)}, folder, true) == 0) && folder.dev != source.dev)
            return EXDEV; // only files and links are carried to another volume
    }
    // A link is carried as it is, and leads where it led.
    std::unique_ptr<FileInfo> followed;
    int followedError = 0;
    if (source.isSymlink) {
        followed = std::make_unique<FileInfo>();
        followedError = lookup(fromPlace, *followed, true);
    }
    m_lastPath.clear();
    source.name.clear(); // a lookup names it by its path
    {
        Entry& moved = entry(to, toHash);
        moved.present = true;
        moved.link = std::move(source);
        moved.followed = std::move(followed);
        moved.followedError = followedError;
    }
    Entry& left = entry(from, fromHash);
    left.present = false;
    left.followed.reset();
    return 0;
}

int ForecastFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    return moveEntry(Place{from}, Place{to}, false);
}

int ForecastFileSystem::renameAt(const Folder& from, const std::string& name, const Folder& to,
                                 const std::string& newName) {
    return moveEntry(placeOf(from, name), placeOf(to, newName), false);
}

int ForecastFileSystem::moveNoReplace(const std::string& from, const std::string& to) {
    return moveEntry(Place{from}, Place{to}, true);
}

int ForecastFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    return copyEntry(Place{from}, Place{to});
}

namespace {

// Copies and moves foretold at once in the forecast's memory.
class ForecastTransfers final : public TransferBatch {
public:
    using Transfer = std::function<int(const Folder&, const std::string&, const Folder&, const std::string&)>;
    ForecastTransfers(Transfer copy, Transfer move) : m_copy(std::move(copy)), m_move(std::move(move)) {}

    int copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override {
        pending = false;
        return m_copy(from, name, to, newName);
    }
    int move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override {
        pending = false;
        return m_move(from, name, to, newName);
    }
    bool flushDue() const override { return false; }
    void flush(const std::function<int()>&, std::vector<int>& outcomes) override { outcomes.clear(); }

private:
    Transfer m_copy, m_move;
};

} // namespace

std::unique_ptr<TransferBatch> ForecastFileSystem::beginTransfers() {
    return std::make_unique<ForecastTransfers>(
        [this](const Folder& from, const std::string& name, const Folder& to, const std::string& newName) {
            return copyEntry(placeOf(from, name), placeOf(to, newName));
        },
        [this](const Folder& from, const std::string& name, const Folder& to, const std::string& newName) {
            return moveEntry(placeOf(from, name), placeOf(to, newName), true);
        });
}

int ForecastFileSystem::copyEntry(const Place& fromPlace, const Place& toPlace) {
    const std::string& to = toPlace.path;
    FileInfo source;
    if (int err = lookup(fromPlace, source, true))
        return err;
    if (source.isDirectory)
        return EISDIR;
    if (tooLong(to))
        return ENAMETOOLONG;
    const std::size_t toHash = std::hash<std::string>{}(to);
    FileInfo existing;
    if (lookup(toPlace, toHash, existing, false, true) == 0)
        return EEXIST;
    m_lastPath.clear();
    const FileInfo info = newFileInfo(source);
    Entry& e = entry(to, toHash);
    e.present = true;
    e.link = info;
    e.followed.reset();
    e.followedError = 0;
    return 0;
}

} // namespace rinoza
