#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace rinoza {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string r(folder);
    if (r.empty() || r.back() != '/')
        r += '/';
    r += name;
    return r;
}

std::string parentOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    auto pos = path.rfind('/');
    if (pos == std::string_view::npos)
        return ".";
    if (pos == 0)
        return "/";
    return std::string(path.substr(0, pos));
}

std::string baseNameOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return "";
    auto pos = path.rfind('/');
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string homeFolder() {
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    else
        home = "/";
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home;
}

std::string currentFolder() {
    std::vector<char> buf(PATH_MAX);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE)
            return {};
        buf.resize(buf.size() * 2);
    }
    return std::string(buf.data());
}

} // namespace rinoza
