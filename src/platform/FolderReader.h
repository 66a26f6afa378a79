#pragma once

// Folders read one after another by a walk over many of them: each folder is opened relative to the
// one above it, its names are read in large batches, and the kind of each entry comes from the
// listing itself, so only links and entries of unknown kind cost a stat.

#include "platform/Descriptor.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace rinoza {

class OpenFolder {
public:
    // One name of the folder. `name` is NUL-terminated and valid during the visit only.
    struct Entry {
        std::string_view name;
        EntryType type = EntryType::Unknown; // File, Directory, Other, or Unknown when a stat failed
        bool looked = false;                 // the type took a stat (which may have waited on a slow disk)
    };

    OpenFolder() = default;
    explicit OpenFolder(const std::string& path);
    // The folder `name` inside parent; links to folders are followed.
    OpenFolder(const OpenFolder& parent, const char* name);

    bool isOpen() const { return m_fd.valid(); }

    // The device and inode that tell this folder from every other; false when unknown.
    bool identity(uint64_t& device, uint64_t& inode) const;

    // Visits every entry but "." and ".." in the order the file system hands them out. Links and
    // entries of unknown kind are resolved with a stat that follows links; one whose stat fails comes
    // as Unknown. Stops when visit returns false. Returns 0 or an errno.
    int read(const std::function<bool(const Entry&)>& visit) const;

    // What FileSystem::stat tells of the entry `name` (links followed); fullPath names the same file
    // for what only a path can reach (the extended attributes). Returns 0 or an errno.
    int stat(const char* name, const std::string& fullPath, FileInfo& info) const;

private:
    Descriptor m_fd;
};

} // namespace rinoza
