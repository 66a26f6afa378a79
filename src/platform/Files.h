#pragma once

// Whole files as the program keeps them: the settings and history files are replaced durably (see
// FileSystem::replaceFile), and the history grows at its end while a run writes it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rinoza {

struct ReplaceOptions {
    // The permission bits of a file that did not exist before (the process umask applies). A file
    // that is replaced keeps its own.
    unsigned newFileMode = 0666;
};

// An open file written at its end, one write() per call, so whatever a call reported as written
// survives the process being killed right after it. Destroying an open one closes it without
// flushing.
class AppendFile {
public:
    virtual ~AppendFile() = default;

    virtual bool isOpen() const = 0;

    // Writes every byte, going on after short writes. Returns 0 or the errno of the write that
    // failed; `written` receives the bytes that reached the file, a failed call included.
    virtual int append(std::string_view bytes, std::size_t* written = nullptr) = 0;

    // Cuts the file to `size` bytes; writing goes on from there.
    virtual int truncate(int64_t size) = 0;

    // Flushes the data written so far to the disk; the file stays open. Returns 0 or an errno.
    virtual int sync() = 0;

    // Flushes the data to the disk and closes. Returns 0 or the first errno met.
    virtual int close() = 0;
};

} // namespace rinoza
