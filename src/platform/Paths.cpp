#include "platform/Paths.h"

namespace rinoza {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string r;
    r.reserve(folder.size() + 1 + name.size()); // one allocation, however long the folder
    r += folder;
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

} // namespace rinoza
