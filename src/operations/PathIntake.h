#pragma once

// Paths given to the program (dropped on the window, or on either program's command line): what
// each one is, and the row of each file.

#include "filelist/AddedPaths.h"
#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace rinoza {

enum class PathKind {
    File,    // a regular file, or a link to one
    Folder,  // a folder, or a link to one
    Missing, // nothing there, or nothing this user may look at
    Other,   // a pipe, a device, ...
};

struct TakenPath {
    std::string path; // absolute: a relative path is taken from the working folder
    PathKind kind = PathKind::Missing;
    std::optional<FileListRow> row; // with File
};

// One look at the path serves both the kind and the row, so taking thousands of dropped files costs
// little more than looking at each once. No filter and no limit apply to a path given by name. The
// file is looked up relative to its folder, which the lookup keeps open for the next path in it, and
// its row remembers which folder that was.
TakenPath takePath(std::string_view given, const std::string& workingFolder, AddedPathLookup& lookup, bool withIcon);

// The same for one path alone.
TakenPath takePath(std::string_view given, const std::string& workingFolder, FileSystem& fs, bool withIcon);

} // namespace rinoza
