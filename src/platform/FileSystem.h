#pragma once

// The operating system's file services behind one interface: everything the core asks of the system
// goes through it, so a fault can be laid over any call and a second backend touches no core file.
// The backend is chosen by main() (and by the tests); the core only ever gets a FileSystem&.
// Paths are byte strings, passed unchanged to the system calls; results are errno values (0 =
// success). Nothing here replaces an existing file but replaceFile: every other operation that
// creates a name fails with EEXIST instead.

#include "platform/DateTime.h"
#include "platform/Files.h"
#include "platform/Folder.h"
#include "platform/Transfers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace rinoza {

// DOS attribute bits as the program shows and changes them.
enum FileAttr : uint32_t {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrDirectory = 0x10,
    AttrArchive = 0x20,
};

// One name from a directory listing, before any stat.
struct DirEntry {
    std::string name;
    EntryType type = EntryType::Unknown; // from d_type; Unknown when the file system does not say
};

// What the program knows about one file (links followed unless asked otherwise).
struct FileInfo {
    std::string name; // last component of the path
    bool isDirectory = false;
    bool isRegular = false;
    bool isSymlink = false; // the path itself is a symbolic link (only with followLinks = false)
    int64_t size = 0;
    std::optional<FileTime> creation; // DOSATTRIB create_time, else birth time, else unknown
    std::optional<FileTime> lastWrite;
    std::optional<FileTime> lastAccess;
    // The time of the last change of anything about the file (its data, name, mode or extended
    // attributes): as long as it stays, what was read of the file still holds.
    std::optional<FileTime> statusChange;
    uint32_t attributes = 0; // FileAttr bits
    mode_t mode = 0;
    dev_t dev = 0;
    ino_t ino = 0;
};

// What was read of a file once, to tell later whether it is still the same file unchanged: its
// identity and the time of its last change, with the attribute bits read then.
struct FileStamp {
    bool known = false; // false: nothing was read
    dev_t dev = 0;
    ino_t ino = 0;
    FileTime changed{};
    uint32_t attributes = 0;

    static FileStamp of(const FileInfo& info) {
        return {info.statusChange.has_value(), info.dev, info.ino, info.statusChange.value_or(FileTime{}),
                info.attributes};
    }
    // Whether info (read later) shows the same file with nothing changed since.
    bool matches(const FileInfo& info) const {
        return known && info.statusChange == changed && info.dev == dev && info.ino == ino;
    }
};

// The outcome of trashing one file.
struct TrashResult {
    int error = 0;           // 0 when the file is now in a trash
    std::string trashedPath; // where its data went
    std::string infoPath;    // its .trashinfo file
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Lists the names in a folder ("." and ".." excluded), in the order the file system returns them.
    // Calls onEntry for each; stops early when it returns false. Returns 0, or the errno of opendir.
    virtual int listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) = 0;

    // Fills info for path. Returns 0 or errno (ENOENT for a missing file).
    virtual int stat(const std::string& path, FileInfo& info, bool followLinks = true) = 0;

    // stat without what only the file's extended attributes tell: the attributes are those of the
    // name and mode alone, and the creation time is the birth time. A cheaper lookup for a caller that
    // knows the other bits already (what a search read, while the file's status change time is the
    // same) or does not need them. The real file system reads no extended attribute here.
    virtual int statBasic(const std::string& path, FileInfo& info, bool followLinks = true) {
        return stat(path, info, followLinks);
    }

    // Renames within one file system without ever replacing an existing target (EEXIST).
    // A rename that only changes letter case of the same file goes through a temporary name.
    virtual int renameNoReplace(const std::string& from, const std::string& to) = 0;

    // Copies data, mode, user extended attributes and the last write time to a new file `to`, on the
    // disk when this returns; fails with EEXIST when `to` exists. A failed copy leaves nothing behind.
    virtual int copyNoReplace(const std::string& from, const std::string& to) = 0;

    // Moves a file, across file systems too (copy, flush to the disk, then remove the source).
    // Never replaces an existing target; on failure the source stays where it was.
    virtual int moveNoReplace(const std::string& from, const std::string& to) = 0;

    // Deletes a file permanently (unlink).
    virtual int removeFile(const std::string& path) = 0;

    // Moves a file into the freedesktop.org trash of its file system.
    virtual TrashResult moveToTrash(const std::string& path) = 0;

    // Sets the creation and/or last write time; the last access time is never changed.
    // A read-only file refuses with EACCES.
    virtual int setTimes(const std::string& path, const std::optional<FileTime>& creation,
                         const std::optional<FileTime>& lastWrite) = 0;

    // Sets the bits of `mask` (AttrReadOnly, AttrHidden, AttrSystem, AttrArchive) to those of `values`.
    virtual int setAttributes(const std::string& path, uint32_t mask, uint32_t values) = 0;

    // A change of times decided from the file's present information: `decide` gets it and returns 0
    // with the times to write (nullopt keeps one), or the errno to refuse with. Returns 0 or errno.
    // `after` (may be null) gets the file's information after the change whenever it can be read,
    // also when the change failed; it is reset when it cannot.
    using TimesDecision = std::function<int(const FileInfo& before, std::optional<FileTime>& creation,
                                            std::optional<FileTime>& lastWrite)>;
    virtual int changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after);

    // setAttributes, and the information after the change as changeTimes gives it.
    virtual int changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                                 std::optional<FileInfo>* after);

    // Creates a folder and every missing parent, from the top down. 0 when it exists afterwards.
    virtual int makeDirectories(const std::string& path) = 0;

    // Whether two files hold the same bytes: reads both side by side and stops at the first
    // difference. The source is read where a link points; the copy only when it is a regular file
    // itself (a link there gives ELOOP, anything else EINVAL). Returns 0 with equal set, or errno.
    virtual int compareContents(const std::string& source, const std::string& copy, bool& equal) = 0;

    // Appends line and CR LF to an existing file (a link is followed), first ending its last line
    // when the file does not end with LF, and flushes the data to the disk. Never creates the file
    // (ENOENT) and writes to nothing but a regular file (EINVAL). Returns 0 or errno; a line that
    // could not be written whole is taken off again.
    virtual int appendLine(const std::string& path, std::string_view line) = 0;

    // ---- Whole files: the settings and the history ----------------------------------------------

    // Reads a file from its start, handing each piece read to onPiece. Returns 0 or an errno.
    virtual int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) = 0;

    // Reads a whole file into content (by default through readFilePieces). Returns 0 or an errno.
    virtual int readWholeFile(const std::string& path, std::string& content);

    // Reads at most maxBytes from the start of a file into content. Never waits for a writer: a pipe
    // or device without data at hand gives EAGAIN. Returns 0 or an errno.
    virtual int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) = 0;

    // Replaces the file at path by one holding exactly `content`: a new file in the same folder is
    // written, flushed to the disk, renamed over the old one, and then the folder is flushed, so a
    // crash leaves either the old file or the whole new one. A link at path is followed (a relative
    // target from the link's folder), so the file it points to is the one replaced, or created when it
    // does not exist yet; the link stays. Refuses, changing nothing: a folder (EISDIR), anything else
    // that is not a regular file (EEXIST), a file without any write bit or that this user may not
    // write (EACCES, for root too: a rename would silently defeat the protection), a loop of links
    // (ELOOP). On failure no temporary file stays behind. With keepOpen, the new file stays open there
    // for appending after the content.
    virtual int replaceFile(const std::string& path, std::string_view content, const ReplaceOptions& options,
                            std::unique_ptr<AppendFile>* keepOpen = nullptr) = 0;

    // Creates a folder and every missing parent with permissions for the owner only. 0 when the
    // folder exists afterwards.
    virtual int makePrivateFolders(const std::string& path) = 0;

    // ---- The places of this process ------------------------------------------------------------

    // The value of an environment variable; nullopt when it is not set.
    virtual std::optional<std::string> environment(const char* name) = 0;

    // The user's home folder: $HOME when set and not empty, else the home of the user's account
    // entry, else "/". No trailing "/" except for the root.
    virtual std::string homeFolder() = 0;

    // The process's working folder as the system gives its bytes; "" when it cannot be had.
    virtual std::string currentFolder() = 0;

    // The folder of the running program's file with every link resolved; "" when unknown.
    virtual std::string executableFolder() = 0;

    // The absolute path with every link, "." and ".." resolved; "" when a component does not exist
    // or cannot be read.
    virtual std::string resolvedPath(const std::string& path) = 0;

    // Whether this user may create and replace files in the folder.
    virtual bool canWriteInto(const std::string& folder) = 0;

    // ---- Folders opened once (see Folder.h) -----------------------------------------------------
    // The file system here answers by path from what the path operations above do; a backend that
    // can act relative to an open folder does so.

    // Opens the folder at path, following links. With `expected` known, the folder must be that one:
    // any other (a link put in its place, a folder renamed there) gives ESTALE. A path that names no
    // folder gives ENOTDIR or ENOENT. Returns 0 with out set, or an errno.
    virtual int openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out);

    // The folder `name` inside parent (a link to a folder is followed).
    virtual int openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out);

    // Visits every entry but "." and ".." in the order the file system hands them out. Links and
    // entries of unknown kind are resolved with a stat that follows links; one whose stat fails comes
    // as Unknown. Stops when visit returns false. Returns 0 or an errno.
    virtual int readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit);

    // stat, renameNoReplace, removeFile, compareContents, changeTimes and changeAttributes of names
    // inside open folders, with the same contracts.
    virtual int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true);
    // statBasic of a name inside an open folder.
    virtual int statBasicAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) {
        return statAt(folder, name, info, followLinks);
    }
    virtual int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName);
    virtual int removeAt(const Folder& folder, const std::string& name);
    virtual int compareContentsAt(const Folder& sourceFolder, const std::string& source, const Folder& copyFolder,
                                  const std::string& copy, bool& equal);
    virtual int changeTimesAt(const Folder& folder, const std::string& name, const TimesDecision& decide,
                              std::optional<FileInfo>* after);
    virtual int changeAttributesAt(const Folder& folder, const std::string& name, uint32_t mask, uint32_t values,
                                   std::optional<FileInfo>* after);

    // Whether calls may come from two threads at once: a run makes the renames of one batch on a
    // second thread while it checks the rows of the next, and a long intake of paths looks them up on
    // two. False unless a backend says so: a file system that counts or scripts its calls (a test's)
    // is then called from one thread, in order.
    virtual bool callsFromThreads() const { return false; }

    // Copies and moves made durable together (see Transfers.h). Here: each made at once by
    // copyNoReplace and moveNoReplace, nothing ever pending.
    virtual std::unique_ptr<TransferBatch> beginTransfers();
};

} // namespace rinoza
