#pragma once

// Paths as a run records them: absolute (see absolutePath), so that the undo finds the same files
// whatever folder the program runs in later.

#include "platform/Paths.h"

#include <string_view>

namespace rinoza {

// True when path is absolute and has no ".." component: the only paths a run records.
bool isRecordablePath(std::string_view path);

} // namespace rinoza
