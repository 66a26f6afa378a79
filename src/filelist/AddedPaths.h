#pragma once

// The intake of paths added one by one (dropped onto the window, given on the command line): each
// path's file is looked up relative to its folder, and each folder is opened once however many of the
// paths it holds, so thousands of paths cost little more than one lookup each.

#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace rinoza {

struct AddedPath {
    int error = 0;   // 0, or the errno of the lookup (ENOENT for a path that names nothing)
    FileInfo info;   // what the path names, links followed
    FolderId folder; // the folder holding it, as it was opened (unknown for "/" and the like)
};

// The folders of one intake, each opened once however many of its paths are looked up, by however
// many threads (the file system's callsFromThreads says whether several may).
class AddedFolders {
public:
    explicit AddedFolders(FileSystem& fs) : m_fs(fs) {}

    struct Opened {
        int error = 0; // of the opening; the folder is null then
        std::unique_ptr<Folder> folder;
    };
    // The folder at path, opened at its first request. The result and its key stay valid as long as
    // this table.
    const std::pair<const std::string, Opened>& folder(std::string_view path);

    FileSystem& fileSystem() const { return m_fs; }

private:
    // Found by a view of the path's parent, without a string of its own.
    struct FolderHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    FileSystem& m_fs;
    std::mutex m_mutex;
    std::unordered_map<std::string, Opened, FolderHash, std::equal_to<>> m_folders;
};

// Looks up paths, keeping each folder open for the next path in it. One lookup serves one thread;
// lookups of several threads share the folders they were given.
class AddedPathLookup {
public:
    explicit AddedPathLookup(FileSystem& fs);
    explicit AddedPathLookup(AddedFolders& folders) : m_folders(folders) {}

    AddedPath find(const std::string& path);

    FileSystem& fileSystem() const { return m_folders.fileSystem(); }
    // The dates of the rows made from this lookup's paths: one intake is one operation, and files
    // that came together mostly share their times.
    DateColumnMemo& dates() { return m_dates; }

private:
    using Entry = std::pair<const std::string, AddedFolders::Opened>;
    std::unique_ptr<AddedFolders> m_own; // when no folders were given
    AddedFolders& m_folders;
    // The folders this lookup met, found without the shared table's lock.
    std::unordered_map<std::string_view, const Entry*> m_met;
    // Paths usually come folder by folder: the last folder is at hand without a lookup in the table.
    const Entry* m_last = nullptr;
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
