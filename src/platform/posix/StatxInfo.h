#pragma once

// FileInfo from what the kernel and the file's user.DOSATTRIB say about it.

#include "platform/FileSystem.h"
#include "platform/posix/DosAttrib.h"

#include <string>
#include <sys/stat.h>

namespace rinoza {

FileTime fromStatxTime(const statx_timestamp& t);

// Fills kind, mode, size, device and inode, the write, access, status change and birth times, and the attribute
// bits that follow from the name and mode (info.name must be set before). The creation time stays as
// it was when the file system reports no birth time.
void fillFileInfo(const struct statx& sx, FileInfo& info);

// Lays the hidden, system and archive bits and the creation time of a user.DOSATTRIB value over info.
void applyDosAttrib(const DosAttrib& dos, FileInfo& info);

// Reads user.DOSATTRIB of path and lays its hidden, system and archive bits and its creation time over
// info; a file without one (or whose value cannot be read or is malformed) keeps what info has.
void overlayDosAttrib(const std::string& path, FileInfo& info, bool followLinks = true);

} // namespace rinoza
