#pragma once

// Whole files as the program keeps them: the settings and history files are replaced durably, read
// whole or in pieces, and the history grows at its end while a run writes it. Paths are bytes;
// results are errno values (0 = success).

#include "platform/Descriptor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace rinoza {

class AppendFile;

struct ReplaceOptions {
    // The permission bits of a file that did not exist before (the process umask applies). A file
    // that is replaced keeps its own.
    unsigned newFileMode = 0666;
};

// Replaces the file at path by one holding exactly `content`: a new file in the same folder is
// written, flushed to the disk, renamed over the old one, and then the folder is flushed, so a crash
// leaves either the old file or the whole new one. A link at path is followed (a relative target
// from the link's folder), so the file it points to is the one replaced, or created when it does not
// exist yet; the link stays. Refuses, changing nothing: a folder (EISDIR), anything else that is not
// a regular file (EEXIST), a file without any write bit or that this user may not write (EACCES, for
// root too: a rename would silently defeat the protection), a loop of links (ELOOP). On failure no
// temporary file stays behind.
// With keepOpen, the new file stays open there for appending after the content.
int replaceFileDurably(const std::string& path, std::string_view content, const ReplaceOptions& options = {},
                       AppendFile* keepOpen = nullptr);

// An open file written at its end, one write() per call, so whatever a call reported as written
// survives the process being killed right after it.
class AppendFile {
public:
    // Destroying an open AppendFile closes it without flushing.

    bool isOpen() const { return m_fd.valid(); }

    // Writes every byte, going on after short writes. Returns 0 or the errno of the write that
    // failed; `written` receives the bytes that reached the file, a failed call included.
    int append(std::string_view bytes, std::size_t* written = nullptr);

    // Cuts the file to `size` bytes; writing goes on from there.
    int truncate(int64_t size);

    // Flushes the data to the disk and closes. Returns 0 or the first errno met.
    int close();

private:
    friend int replaceFileDurably(const std::string&, std::string_view, const ReplaceOptions&, AppendFile*);
    Descriptor m_fd;
};

// Reads a whole file into content. Returns 0 or an errno.
int readWholeFile(const std::string& path, std::string& content);

// Reads a file from its start, handing each piece read to onPiece. Returns 0 or an errno.
int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece);

// Reads at most maxBytes from the start of a file into content. Never waits for a writer: a pipe or
// device without data at hand gives EAGAIN. Returns 0 or an errno.
int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content);

// Creates a folder and every missing parent with permissions for the owner only. 0 when the folder
// exists afterwards.
int makePrivateFolders(const std::string& path);

} // namespace rinoza
