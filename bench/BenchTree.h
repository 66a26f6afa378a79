#pragma once

// What the search benchmarks share: a generated tree of files to search, the find command they are
// compared with, the median of timed runs and the resident memory of the process.
//
// A benchmark takes [--keep] [ROOT]. Without ROOT the tree goes into a new folder in /tmp; a ROOT that
// does not exist yet is generated there. Only what the run generated is removed at the end, unless
// --keep is given.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rinoza::bench {

using SteadyClock = std::chrono::steady_clock;

// The resident set size of this process in KiB (0 when it cannot be read).
inline long rssKb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

inline double ms(SteadyClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// `top` folders under the root, `middle` folders in each of them and `leaves` folders in each of
// those; every folder below the root holds filesPerFolder files. Counted over the whole tree, file k
// is a .jpg (or .JPG) when k % 20 < 3, so 3 in 20 files match *.jpg ignoring case.
struct TreeShape {
    int top = 20;
    int middle = 10;
    int leaves = 99;
    int filesPerFolder = 10;
};

inline void touch(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0)
        close(fd);
}

inline void generateTree(const std::string& root, const TreeShape& shape) {
    mkdir(root.c_str(), 0755);
    long k = 0;
    auto files = [&](const std::string& dir) {
        for (int f = 0; f < shape.filesPerFolder; ++f, ++k) {
            const char* ext = (k % 20 < 3) ? ((k % 2) ? ".jpg" : ".JPG") : ((k % 3) ? ".txt" : ".dat");
            touch(dir + "/file" + std::to_string(k) + ext);
        }
    };
    for (int a = 0; a < shape.top; ++a) {
        std::string da = root + "/a" + std::to_string(a);
        mkdir(da.c_str(), 0755);
        files(da);
        for (int b = 0; b < shape.middle; ++b) {
            std::string db = da + "/b" + std::to_string(b);
            mkdir(db.c_str(), 0755);
            files(db);
            for (int c = 0; c < shape.leaves; ++c) {
                std::string dc = db + "/c" + std::to_string(c);
                mkdir(dc.c_str(), 0755);
                files(dc);
            }
        }
    }
}

// The find run the searches are compared with: the same files, with size and times printed.
inline std::string findJpgCommand(const std::string& root) {
    return "find '" + root + "' -iname '*.jpg' -printf '%s %T@ %A@\\n' >/dev/null";
}

// Runs a shell command; returns its wall time in milliseconds.
inline double runCommandMs(const std::string& command) {
    const auto t0 = SteadyClock::now();
    if (std::system(command.c_str()) != 0)
        std::printf("find failed\n");
    return ms(SteadyClock::now() - t0);
}

// The tree of one benchmark run, from the command line.
class BenchTree {
public:
    // Reads [--keep] [ROOT]; without ROOT makes a new folder from tmpTemplate ("/tmp/name-XXXXXX")
    // to hold it. Generates the tree when ROOT does not exist. False when no folder could be made.
    bool open(int argc, char** argv, std::string tmpTemplate, const TreeShape& shape) {
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--keep") == 0)
                m_keep = true;
            else
                m_root = argv[i];
        }
        if (m_root.empty()) {
            if (!mkdtemp(tmpTemplate.data()))
                return false;
            m_removeDir = tmpTemplate;
            m_root = m_removeDir + "/tree";
        }
        struct stat st {};
        if (::stat(m_root.c_str(), &st) != 0) {
            const auto t0 = SteadyClock::now();
            generateTree(m_root, shape);
            m_generated = true;
            if (m_removeDir.empty())
                m_removeDir = m_root;
            std::printf("generated %s in %.1f s\n", m_root.c_str(), ms(SteadyClock::now() - t0) / 1000);
        }
        return true;
    }

    const std::string& root() const { return m_root; }

    // Removes what open() made, unless --keep was given.
    void close() {
        if (m_generated && !m_keep) {
            std::string rm = "rm -rf '" + m_removeDir + "'";
            if (std::system(rm.c_str()) != 0)
                std::printf("could not remove %s\n", m_root.c_str());
        } else if (m_generated) {
            std::printf("kept %s\n", m_root.c_str());
        } else if (!m_removeDir.empty()) {
            rmdir(m_removeDir.c_str());
        }
    }

private:
    bool m_keep = false;
    bool m_generated = false;
    std::string m_root;
    std::string m_removeDir; // what the cleanup deletes: only what this run made
};

} // namespace rinoza::bench
