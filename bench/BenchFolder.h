#pragma once

// What the benchmarks over one folder of generated files share: the clock and a fresh folder.

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

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

// Creates dir (and its parents) with one small file per name, each holding its own name; ends the
// program on a failure.
inline void makeFiles(const std::string& dir, const std::vector<std::string>& names) {
    std::filesystem::create_directories(dir);
    for (const auto& n : names) {
        int fd = ::open((dir + "/" + n).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, n.data(), n.size()) < 0) {
            std::perror(n.c_str());
            std::exit(1);
        }
        ::close(fd);
    }
}

// The baseline of the rename benchmarks: renameat2(RENAME_NOREPLACE) of from[i] to to[i] in dir;
// returns the number that failed.
inline int plainRenameLoop(const std::string& dir, const std::vector<std::string>& from,
                           const std::vector<std::string>& to) {
    int failed = 0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        const std::string a = dir + "/" + from[i];
        const std::string b = dir + "/" + to[i];
        if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE) != 0)
            ++failed;
    }
    return failed;
}

} // namespace rinoza::bench
