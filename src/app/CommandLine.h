#pragma once

// The window program's command line, read before any window exists: --help and --version answer on
// standard output without a display; everything else is a path to list.

#include <string>
#include <vector>

namespace rinoza {

struct StartRequest {
    enum class Kind { Window, Help, Version };
    Kind kind = Kind::Window;
    std::vector<std::string> paths; // the paths to list, as the bytes given
};

// -h and --help ask for the help, --version for the version (the first of them wins); every other
// argument, and every one after "--", is a path.
StartRequest parseStartArguments(const std::vector<std::string>& args);

std::string windowHelpText();
std::string windowVersionText();
// The one line said when no graphical session can be reached.
std::string noDisplayText();

} // namespace rinoza
