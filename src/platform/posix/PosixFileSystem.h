#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/PosixTransfers.h"

#include <functional>
#include <string_view>
#include <typeinfo>

namespace rinoza {

// FileSystem on Linux system calls. See FileSystem.h for the contract of each operation.
class PosixFileSystem : public FileSystem {
public:
    int listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) override;
    int stat(const std::string& path, FileInfo& info, bool followLinks = true) override;
    int statBasic(const std::string& path, FileInfo& info, bool followLinks = true) override;
    int renameNoReplace(const std::string& from, const std::string& to) override;
    int copyNoReplace(const std::string& from, const std::string& to) override;
    int moveNoReplace(const std::string& from, const std::string& to) override;
    int removeFile(const std::string& path) override;
    TrashResult moveToTrash(const std::string& path) override;
    int setTimes(const std::string& path, const std::optional<FileTime>& creation,
                 const std::optional<FileTime>& lastWrite) override;
    int setAttributes(const std::string& path, uint32_t mask, uint32_t values) override;
    // Both go through one open descriptor of the file where it can be opened for reading, so the path
    // is looked up once per file rather than once per call.
    int changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) override;
    int changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                         std::optional<FileInfo>* after) override;
    int makeDirectories(const std::string& path) override;
    int compareContents(const std::string& source, const std::string& copy, bool& equal) override;
    int appendLine(const std::string& path, std::string_view line) override;

    int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) override;
    // Straight into content, its room taken at once from the file's size.
    int readWholeFile(const std::string& path, std::string& content) override;
    int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) override;
    int replaceFile(const std::string& path, std::string_view content, const ReplaceOptions& options,
                    std::unique_ptr<AppendFile>* keepOpen = nullptr) override;
    int makePrivateFolders(const std::string& path) override;

    std::optional<std::string> environment(const char* name) override;
    std::string homeFolder() override;
    std::string currentFolder() override;
    std::string executableFolder() override;
    std::string resolvedPath(const std::string& path) override;
    bool canWriteInto(const std::string& folder) override;

    int openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) override;
    int openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out) override;
    int readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) override;
    int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override;
    int statBasicAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override;
    int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) override;
    int removeAt(const Folder& folder, const std::string& name) override;
    int compareContentsAt(const Folder& sourceFolder, const std::string& source, const Folder& copyFolder,
                          const std::string& copy, bool& equal) override;
    int changeTimesAt(const Folder& folder, const std::string& name, const TimesDecision& decide,
                      std::optional<FileInfo>* after) override;
    int changeAttributesAt(const Folder& folder, const std::string& name, uint32_t mask, uint32_t values,
                           std::optional<FileInfo>* after) override;
    std::unique_ptr<TransferBatch> beginTransfers() override;
    // Each call is system calls on a path or a folder's descriptor, with no state of its own. A file
    // system made from this one may lay state over them, so it is called from one thread unless it
    // says otherwise.
    bool callsFromThreads() const override { return typeid(*this) == typeid(PosixFileSystem); }

    // For tests: called at each named step of a copy or move (see PosixTransfers.h).
    void setFaultHook(FaultHook hook) { m_fault = std::move(hook); }

private:
    FaultHook m_fault;
};

// The real file system of this machine, for main() and the tests.
FileSystem& systemFileSystem();

// Attribute bits of a file that carries no user.DOSATTRIB: hidden for a name that begins with ".",
// archive set, system clear; read-only and directory from the mode.
uint32_t defaultAttributes(std::string_view name, mode_t mode);

// The rename of PosixFileSystem::renameNoReplace, which never replaces an existing target.
int renameWithoutReplacing(const std::string& from, const std::string& to);

// Creates a folder and every missing parent, from the top down, with permission bits `mode` (the
// umask applies). 0 when the folder exists afterwards.
int makeFolderChain(const std::string& path, mode_t mode);

// A name in the same folder that does not exist yet, for a temporary file (".<name>.rinoza-<random>").
std::string uniqueSiblingName(const std::string& path);

// The process's file mode creation mask, read without changing it.
mode_t processUmask();

} // namespace rinoza
