#pragma once

// The intake of paths added one by one (dropped onto the window, given on the command line): each
// path's file is looked up relative to its folder, and each folder is opened once however many of the
// paths it holds, so thousands of paths cost little more than one lookup each.

#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rinoza {

struct AddedPath {
    int error = 0;   // 0, or the errno of the lookup (ENOENT for a path that names nothing)
    FileInfo info;   // what the path names, links followed
    FolderId folder; // the folder holding it, as it was opened (unknown for "/" and the like)
};

// Looks up paths, keeping each folder open for the next path in it.
class AddedPathLookup {
public:
    explicit AddedPathLookup(FileSystem& fs) : m_fs(fs) {}

    AddedPath find(const std::string& path);

    FileSystem& fileSystem() const { return m_fs; }
    // The dates of the rows made from this lookup's paths: one intake is one operation, and files
    // that came together mostly share their times.
    DateColumnMemo& dates() { return m_dates; }

private:
    struct Opened {
        int error = 0;
        std::unique_ptr<Folder> folder;
    };
    // Found by a view of the path's parent, without a string of its own.
    struct FolderHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    FileSystem& m_fs;
    std::unordered_map<std::string, Opened, FolderHash, std::equal_to<>> m_folders;
    // Paths usually come folder by folder: the last folder is at hand without a lookup in the table.
    const std::string* m_lastKey = nullptr;
    Opened* m_last = nullptr;
    DateColumnMemo m_dates;
};

// The row of one added path: no filters, no limit. nullopt when the path names no regular file (or a
// link to one).
std::optional<FileListRow> addedPathRow(FileSystem& fs, const std::string& path, bool withIcon);

// The row of a path found by a lookup, as addedPathRow makes it (the dates through memo when one is
// given).
std::optional<FileListRow> addedPathRow(const AddedPath& found, const std::string& path, bool withIcon,
                                        DateColumnMemo* memo = nullptr);

} // namespace rinoza
