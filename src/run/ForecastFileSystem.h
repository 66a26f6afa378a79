#pragma once

// A file system that foretells: it answers lookups from the real one, but renames, copies and moves
// only in its own memory, so that a run handled on it ends with the outcomes the real run would
// write, and nothing on disk changes. Later lookups see the foretold changes: a file renamed away is
// gone, its new name exists, a copy exists beside its source.
//
// What it cannot know is left to the real run: permissions, a full disk, a file changed by someone
// else in between. Every other operation refuses with EROFS.

#include "platform/FileSystem.h"

#include <string>
#include <utility>
#include <vector>

namespace rinoza {

class ForecastFileSystem final : public FileSystem {
public:
    explicit ForecastFileSystem(FileSystem& real) : m_real(real) {}

    // A new regular file at path, as a run's history looks once its header is written (a new file
    // put in place of any old one).
    void assumeNewFile(const std::string& path);
    // Room for the changes of this many files.
    void reserve(std::size_t files);

    int listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) override;
    int stat(const std::string& path, FileInfo& info, bool followLinks = true) override;
    int statBasic(const std::string& path, FileInfo& info, bool followLinks = true) override;
    int renameNoReplace(const std::string& from, const std::string& to) override;
    int copyNoReplace(const std::string& from, const std::string& to) override;
    int moveNoReplace(const std::string& from, const std::string& to) override;

    // Folders are the real ones, opened by the real file system (so a folder that is no longer the
    // one listed fails here as in the run); lookups and renames of their names go as above.
    int openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) override {
        return m_real.openFolder(path, expected, out);
    }
    int openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out) override {
        return m_real.openFolderAt(parent, name, out);
    }
    int readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) override {
        return m_real.readFolder(folder, visit);
    }
    int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override;
    int statBasicAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override;
    int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) override;
    // Copies and moves foretold at once, never pending.
    std::unique_ptr<TransferBatch> beginTransfers() override;

    int removeFile(const std::string&) override { return EROFS; }
    TrashResult moveToTrash(const std::string&) override { return {EROFS, {}, {}}; }
    int setTimes(const std::string&, const std::optional<FileTime>&, const std::optional<FileTime>&) override {
        return EROFS;
    }
    int setAttributes(const std::string&, uint32_t, uint32_t) override { return EROFS; }
    int makeDirectories(const std::string&) override { return EROFS; }
    int compareContents(const std::string&, const std::string&, bool&) override { return EROFS; }
    int appendLine(const std::string&, std::string_view) override { return EROFS; }
    int replaceFile(const std::string&, std::string_view, const ReplaceOptions&,
                    std::unique_ptr<AppendFile>*) override {
        return EROFS;
    }
    int makePrivateFolders(const std::string&) override { return EROFS; }

    // Reads and the places of the process are the real ones.
    int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) override {
        return m_real.readFilePieces(path, onPiece);
    }
    int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) override {
        return m_real.readFileHead(path, maxBytes, content);
    }
    std::optional<std::string> environment(const char* name) override { return m_real.environment(name); }
    std::string homeFolder() override { return m_real.homeFolder(); }
    std::string currentFolder() override { return m_real.currentFolder(); }
    std::string executableFolder() override { return m_real.executableFolder(); }
    std::string resolvedPath(const std::string& path) override { return m_real.resolvedPath(path); }
    bool canWriteInto(const std::string& folder) override { return m_real.canWriteInto(folder); }

private:
    // A path whose file the forecast changed: gone, or present with what the path itself is (link)
    // and, for a link, what it leads to (followed, or followedError when that cannot be reached).
    struct Entry {
        std::size_t hash = 0;
        uint32_t pathStart = 0; // the path's bytes in m_paths
        uint32_t pathLength = 0;
        bool present = false;
        FileInfo link;
        std::unique_ptr<FileInfo> followed;
        int followedError = 0;
    };

    // A name the forecast looks at: its path, and the open folder holding it when there is one (the
    // real file system is then asked relative to that folder).
    struct Place {
        std::string path;
        const Folder* folder = nullptr;
        const std::string* name = nullptr;
    };
    static Place placeOf(const Folder& folder, const std::string& name);

    // The entry of path, or null. The table holds only hashes and places, so that the many lookups
    // of paths the forecast never changed stay within a small, cache-friendly array.
    Entry* find(std::string_view path, std::size_t hash);
    Entry& entry(const std::string& path, std::size_t hash);
    void grow();
    std::string_view pathOf(const Entry& e) const {
        return std::string_view(m_paths).substr(e.pathStart, e.pathLength);
    }
    // The hash of a path, that of the last lookup taken again.
    std::size_t hashOf(const std::string& path) const;

    // A path the forecast changed answers from its entry; any other from the real file system, whole
    // or without its extended attributes (basic).
    int lookup(const Place& place, FileInfo& info, bool followLinks, bool basic = false);
    int lookup(const Place& place, std::size_t hash, FileInfo& info, bool followLinks, bool basic);
    int moveEntry(const Place& from, const Place& to, bool acrossVolumes);
    int copyEntry(const Place& from, const Place& to);
    FileInfo newFileInfo(const FileInfo& like);

    FileSystem& m_real;
    std::vector<Entry> m_entries;
    std::string m_paths; // the entries' paths, one after another (no string of its own each)
    std::vector<std::pair<std::size_t, uint32_t>> m_slots; // hash, place in m_entries + 1 (0: free)
    // The last lookup of a link itself: a row's source is looked up by the checks and again by the
    // operation right after. Any change the forecast makes forgets it.
    std::string m_lastPath;
    std::size_t m_lastHash = 0;
    int m_lastError = 0;
    bool m_lastBasic = false;
    FileInfo m_lastInfo;
    ino_t m_nextIno = 1;
};

} // namespace rinoza
