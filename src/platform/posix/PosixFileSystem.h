#pragma once

#include "platform/FileSystem.h"

#include <functional>
#include <string_view>

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

    // For tests: called at each named step of a copy ("open", "data", "attributes", "publish",
    // "unlink-source"); a non-zero return is taken as that step's errno.
    using FaultHook = std::function<int(std::string_view step)>;
    void setFaultHook(FaultHook hook) { m_fault = std::move(hook); }

private:
    int copyFile(const std::string& from, const std::string& to, bool keepCreation);
    int fault(std::string_view step) const { return m_fault ? m_fault(step) : 0; }

    FaultHook m_fault;
};

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

} // namespace rinoza
