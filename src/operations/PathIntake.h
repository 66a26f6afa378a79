#pragma once

// Paths given to the program (dropped on the window, or on either program's command line): what
// each one is, and the row of each file.

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
// little more than looking at each once. No filter and no limit apply to a path given by name.
TakenPath takePath(std::string_view given, const std::string& workingFolder, FileSystem& fs, bool withIcon);

} // namespace rinoza
