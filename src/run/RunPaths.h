#pragma once

// Paths as a run records them: absolute, so that the undo finds the same files whatever folder the
// program runs in later.

#include "platform/FileSystem.h"

#include <string>
#include <string_view>

namespace rinoza {

// The absolute form of path: a relative path is taken from the folder base (the current folder, an
// absolute path); "." components and doubled or trailing separators are dropped ("/" stays "/").
// ".." is resolved against the file system as the kernel would (after a link it leaves the link's
// target); where that cannot be done (a part of the path does not exist yet) it stays in the path.
// An empty path, or a relative one with an empty base, comes back unchanged.
std::string absolutePath(std::string_view path, std::string_view base, FileSystem& fs);

// True when path is absolute and has no ".." component: the only paths a run records.
bool isRecordablePath(std::string_view path);

} // namespace rinoza
