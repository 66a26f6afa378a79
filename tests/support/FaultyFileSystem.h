#pragma once

// A FileSystem that hands every call on to another one, except that the k-th call of a chosen
// operation fails with a chosen errno, for the faults Linux cannot be made to show on demand (a cut
// that fails, a flush that fails, a write refused half way).
//
// Operations are named once for the path and the folder-relative forms alike: "stat", "rename",
// "copy", "move", "remove", "trash", "setTimes", "setAttributes", "changeTimes", "changeAttributes",
// "makeDirectories", "compare", "appendLine", "readFile", "readHead", "replace", "makePrivateFolders",
// "openFolder", "readFolder"; the history's open file: "append", "truncate", "flush", "close". Over a
// PosixFileSystem the steps inside its copies and moves count as well: "open", "data", "attributes",
// "publish", "sync", "unlink-source" (see PosixTransfers.h). It is asked from one thread only
// (callsFromThreads), so a fault hits the same call in every run.

#include "platform/FileSystem.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace rinoza {
class PosixFileSystem;
}

namespace rinoza::test {

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner) : m_inner(inner) {}
    // Over the real file system, whose copy and move steps are counted too.
    explicit FaultyFileSystem(PosixFileSystem& inner);
    ~FaultyFileSystem() override;

    // The k-th call (from 1) of the operation fails with err and never reaches the other file system.
    // With `half`, an "append" writes the first half of its bytes before it fails. Several faults may
    // be laid, of one operation or of several.
    void failAt(const std::string& operation, int k, int err, bool half = false);
    // Calls of each operation so far.
    int calls(const std::string& operation) const;
    // Whether a chosen fault has happened.
    bool failed() const { return m_failed; }
    // Forgets the calls and the faults.
    void reset();

    // The operations counted so far in a run of the file system without a fault, for the tests that
    // fail each call of each in turn.
    std::map<std::string, int> counts() const { return m_calls; }

    int listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) override;
    int stat(const std::string& path, FileInfo& info, bool followLinks = true) override;
    int renameNoReplace(const std::string& from, const std::string& to) override;
    int copyNoReplace(const std::string& from, const std::string& to) override;
    int moveNoReplace(const std::string& from, const std::string& to) override;
    int removeFile(const std::string& path) override;
    TrashResult moveToTrash(const std::string& path) override;
    int setTimes(const std::string& path, const std::optional<FileTime>& creation,
                 const std::optional<FileTime>& lastWrite) override;
    int setAttributes(const std::string& path, uint32_t mask, uint32_t values) override;
    int changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) override;
    int changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                         std::optional<FileInfo>* after) override;
    int makeDirectories(const std::string& path) override;
    int compareContents(const std::string& source, const std::string& copy, bool& equal) override;
    int appendLine(const std::string& path, std::string_view line) override;
    int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) override;
    int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) override;
    int replaceFile(const std::string& path, std::string_view content, const ReplaceOptions& options,
                    std::unique_ptr<AppendFile>* keepOpen = nullptr) override;
    int makePrivateFolders(const std::string& path) override;
    std::optional<std::string> environment(const char* name) override { return m_inner.environment(name); }
    std::string homeFolder() override { return m_inner.homeFolder(); }
    std::string currentFolder() override { return m_inner.currentFolder(); }
    std::string executableFolder() override { return m_inner.executableFolder(); }
    std::string resolvedPath(const std::string& path) override { return m_inner.resolvedPath(path); }
    bool canWriteInto(const std::string& folder) override { return m_inner.canWriteInto(folder); }
    int openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) override;
    int openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out) override;
    int readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) override;
    int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override;
    int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) override;
    int removeAt(const Folder& folder, const std::string& name) override;
    int compareContentsAt(const Folder& sourceFolder, const std::string& source, const Folder& copyFolder,
                          const std::string& copy, bool& equal) override;
    int changeTimesAt(const Folder& folder, const std::string& name, const TimesDecision& decide,
                      std::optional<FileInfo>* after) override;
    int changeAttributesAt(const Folder& folder, const std::string& name, uint32_t mask, uint32_t values,
                           std::optional<FileInfo>* after) override;
    std::unique_ptr<TransferBatch> beginTransfers() override;

    // Counts one call of the operation; its errno when this is the chosen call, else 0.
    int fault(const std::string& operation);
    bool halfAppend() const { return m_half; }

private:
    FileSystem& m_inner;
    PosixFileSystem* m_posix = nullptr;
    struct Fault {
        int err = 0;
        bool half = false;
    };
    std::map<std::string, int> m_calls;
    std::map<std::pair<std::string, int>, Fault> m_faults;
    bool m_half = false; // the fault that just happened writes half
    bool m_failed = false;
};

} // namespace rinoza::test
