// The places of this process as Linux tells them.

#include "platform/posix/PosixPaths.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace rinoza {

std::string homeFolder() {
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        home = pw->pw_dir;
    else
        home = "/";
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home;
}

std::string currentFolder() {
    std::vector<char> buf(4096);
    while (!::getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE)
            return "";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

std::string executableFolder() {
    const std::string exe = resolvedPath("/proc/self/exe");
    return exe.empty() ? exe : parentOf(exe);
}

std::string resolvedPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return "";
    std::string r = real;
    std::free(real);
    return r;
}

bool canWriteInto(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

} // namespace rinoza
