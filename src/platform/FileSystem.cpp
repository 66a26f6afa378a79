#include "platform/FileSystem.h"

#include "platform/Paths.h"

#include <cerrno>

namespace rinoza {

namespace {

void readAfter(FileSystem& fs, const std::string& path, std::optional<FileInfo>* after) {
    if (!after)
        return;
    FileInfo info;
    if (fs.stat(path, info) == 0)
        *after = std::move(info);
    else
        after->reset();
}

// A folder known by its path only: operations on it go by the full path of each name.
class PathFolder final : public Folder {
public:
    PathFolder(std::string path, FolderId id) : Folder(std::move(path), id) {}
};

std::string pathIn(const Folder& folder, const std::string& name) {
    return joinPath(folder.path(), name);
}

// Transfers made one by one, each on the disk before the call returns.
class ImmediateTransfers final : public TransferBatch {
public:
    explicit ImmediateTransfers(FileSystem& fs) : m_fs(fs) {}

    int copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override {
        pending = false;
        return m_fs.copyNoReplace(pathIn(from, name), pathIn(to, newName));
    }
    int move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override {
        pending = false;
        return m_fs.moveNoReplace(pathIn(from, name), pathIn(to, newName));
    }
    bool flushDue() const override { return false; }
    void flush(const std::function<int()>&, std::vector<int>& outcomes) override { outcomes.clear(); }

private:
    FileSystem& m_fs;
};

} // namespace

int FileSystem::changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) {
    FileInfo before;
    int err = stat(path, before);
    if (err == 0) {
        std::optional<FileTime> creation, lastWrite;
        err = decide(before, creation, lastWrite);
        if (err == 0)
            err = setTimes(path, creation, lastWrite);
    }
    readAfter(*this, path, after);
    return err;
}

int FileSystem::changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                                 std::optional<FileInfo>* after) {
    const int err = setAttributes(path, mask, values);
    readAfter(*this, path, after);
    return err;
}

int FileSystem::readWholeFile(const std::string& path, std::string& content) {
    content.clear();
    return readFilePieces(path, [&](std::string_view piece) { content.append(piece); });
}

int FileSystem::openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) {
    FileInfo info;
    if (int err = stat(path, info, true))
        return err;
    if (!info.isDirectory)
        return ENOTDIR;
    const FolderId id{static_cast<uint64_t>(info.dev), static_cast<uint64_t>(info.ino)};
    if (expected && expected->known() && !(*expected == id))
        return ESTALE;
    out = std::make_unique<PathFolder>(path, id);
    return 0;
}

int FileSystem::openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out) {
    return openFolder(pathIn(parent, name), nullptr, out);
}

int FileSystem::readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) {
    return listDirectory(folder.path(), [&](const DirEntry& d) {
        FolderEntry e;
        e.name = d.name;
        e.type = d.type;
        if (e.type == EntryType::Symlink || e.type == EntryType::Unknown) {
            FileInfo info;
            e.looked = true;
            e.type = stat(pathIn(folder, d.name), info, true) != 0 ? EntryType::Unknown
                     : info.isDirectory                            ? EntryType::Directory
                     : info.isRegular                              ? EntryType::File
                                                                   : EntryType::Other;
        }
        return visit(e);
    });
}

int FileSystem::statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) {
    return stat(pathIn(folder, name), info, followLinks);
}

int FileSystem::renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) {
    return renameNoReplace(pathIn(from, name), pathIn(to, newName));
}

int FileSystem::removeAt(const Folder& folder, const std::string& name) {
    return removeFile(pathIn(folder, name));
}

int FileSystem::compareContentsAt(const Folder& sourceFolder, const std::string& source, const Folder& copyFolder,
                                  const std::string& copy, bool& equal) {
    return compareContents(pathIn(sourceFolder, source), pathIn(copyFolder, copy), equal);
}

int FileSystem::changeTimesAt(const Folder& folder, const std::string& name, const TimesDecision& decide,
                              std::optional<FileInfo>* after) {
    return changeTimes(pathIn(folder, name), decide, after);
}

int FileSystem::changeAttributesAt(const Folder& folder, const std::string& name, uint32_t mask, uint32_t values,
                                   std::optional<FileInfo>* after) {
    return changeAttributes(pathIn(folder, name), mask, values, after);
}

std::unique_ptr<TransferBatch> FileSystem::beginTransfers() {
    return std::make_unique<ImmediateTransfers>(*this);
}

} // namespace rinoza
