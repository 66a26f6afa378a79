#pragma once

// The places of this process as Linux tells them (see FileSystem for the contracts).

#include <string>

namespace rinoza {

std::string homeFolder();
std::string currentFolder();
std::string executableFolder();
std::string resolvedPath(const std::string& path);
bool canWriteInto(const std::string& folder);

} // namespace rinoza
