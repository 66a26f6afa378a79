#pragma once

// What the benchmarks over one folder of generated files share: the clock and a fresh folder.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace rinoza::bench {

using Steady = std::chrono::steady_clock;

inline double ms(Steady::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A new folder "rinoza-bench-XXXXXX" in argv[2] (else $TMPDIR, else /tmp) holding an empty folder
// "files"; RINOZA_HOME names it, so settings and history stay inside. Empty (and said why) on failure.
inline std::string makeBenchFolder(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    std::string root = std::string(argc > 2 ? argv[2] : (tmp ? tmp : "/tmp")) + "/rinoza-bench-XXXXXX";
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return {};
    }
    std::error_code ec;
    std::filesystem::create_directory(root + "/files", ec);
    if (ec || ::setenv("RINOZA_HOME", root.c_str(), 1) != 0) {
        std::fprintf(stderr, "%s/files: %s\n", root.c_str(), ec.message().c_str());
        return {};
    }
    return root;
}

} // namespace rinoza::bench
