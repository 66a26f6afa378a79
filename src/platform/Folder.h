#pragma once

// Folders opened once and worked in by name. A run, a forecast, an undo, a change of stamps and the
// intake of dropped paths open each folder they work in once (FileSystem::openFolder) and then look
// up, rename, copy, move and change the files in it relative to that folder: the path is followed
// once, so a folder replaced by a symbolic link (or by another folder) after it was opened is never
// acted in, and no lookup walks the path from the root again.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace rinoza {

enum class EntryType { Unknown, File, Directory, Symlink, Other };

// Which folder a path named when it was listed or chosen: its device and inode. Both zero when
// unknown (a row made before anything looked at its folder).
struct FolderId {
    uint64_t dev = 0;
    uint64_t ino = 0;

    bool known() const { return dev != 0 || ino != 0; }
    bool operator==(const FolderId&) const = default;
};

// An open folder, made by a FileSystem and understood by the same FileSystem (or one that hands its
// calls on to it). It stays the folder it was when opened, whatever its path names later.
class Folder {
public:
    virtual ~Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // The path it was opened by, as given (for the texts of rows and the records of the history).
    const std::string& path() const { return m_path; }
    // The folder itself, whatever its path names by now.
    FolderId id() const { return m_id; }

protected:
    Folder(std::string path, FolderId id) : m_path(std::move(path)), m_id(id) {}

private:
    std::string m_path;
    FolderId m_id;
};

// One name of a folder as its listing gives it, valid during the visit only (NUL-terminated).
struct FolderEntry {
    std::string_view name;
    EntryType type = EntryType::Unknown; // File, Directory, Other, or Unknown when a stat failed
    bool looked = false;                 // the type took a stat (which may have waited on a slow disk)
};

} // namespace rinoza
