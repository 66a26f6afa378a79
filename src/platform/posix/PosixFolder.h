#pragma once

// Folders opened once on Linux: a descriptor that every lookup and change of a name inside goes
// through (openat, statx, renameat2, linkat, unlinkat, getxattrat), so the folder's path is followed
// once only. A folder's names are read in large batches (getdents64), and the kind of each entry comes
// from the listing itself, so only links and entries of unknown kind cost a stat.

#include "platform/FileSystem.h"
#include "platform/posix/Descriptor.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace rinoza {

class PosixFolder final : public Folder {
public:
    PosixFolder(std::string path, FolderId id, Descriptor fd) : Folder(std::move(path), id), m_fd(std::move(fd)) {}

    int fd() const { return m_fd.get(); }

private:
    Descriptor m_fd;
};

// Where one name of a folder is reached: the folder's descriptor and the name, or, for a folder this
// backend did not open and for a plain path, the full path from the working folder.
class NameAt {
public:
    NameAt(const Folder& folder, const std::string& name);
    // A path, reached from the working folder.
    explicit NameAt(const std::string& path);
    NameAt(const NameAt&) = delete;
    NameAt& operator=(const NameAt&) = delete;

    int dir() const { return m_dir; }
    const char* name() const { return m_name; }
    // The last component of the name (for hidden names and messages).
    std::string baseName() const;
    // The whole path, for what only a path can reach.
    std::string fullPath() const;
    // How another name of the same folder is reached (a temporary name, say).
    std::string sibling(std::string_view otherName) const;
    // The folder holding the name (device and inode); false when it cannot be looked at.
    bool folderId(FolderId& id) const;

private:
    std::string_view m_folderPath; // of the folder (which outlives this); empty for a plain path
    std::string m_joined;          // the full path, when the name is reached from the working folder
    int m_dir;
    const char* m_name;
};

// Opens the folder `path` relative to dir (AT_FDCWD for a path from the working folder), following
// links; shownPath is the path the folder keeps. Without read permission it is opened for lookups
// only (its names can then not be listed). See FileSystem::openFolder.
int openPosixFolder(int dir, const char* path, std::string shownPath, const FolderId* expected,
                    std::unique_ptr<Folder>& out);

// FileSystem::readFolder of a folder opened here; EBADF for any other.
int readPosixFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit);

// FileSystem::stat of a name.
int statNameAt(const NameAt& at, FileInfo& info, bool followLinks, bool basic = false);

// FileSystem::renameNoReplace of names: renameat2 with RENAME_NOREPLACE; a change of letter case only
// goes through a temporary name; where the file system lacks that flag, linkat and unlinkat, and
// where links are refused too, a look right before a plain rename.
int renameNoReplaceAt(const NameAt& from, const NameAt& to);

// A name for a temporary file beside `name` that no file is likely to have (".<name>.rinoza-<random>").
std::string temporaryNameFor(std::string_view name);

} // namespace rinoza
