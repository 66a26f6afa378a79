#include "run/RunPaths.h"

#include "common/Myfunction.h"
#include "platform/Paths.h"

#include <stdexcept>
#include <vector>

namespace rinoza {

namespace {

bool hasDotDot(std::string_view path) {
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        if (path.substr(i, j - i) == "..")
            return true;
        i = j + 1;
    }
    return false;
}

} // namespace

std::string absolutePath(std::string_view path, std::string_view base, FileSystem& fs) {
    if (path.empty() || (path.front() != '/' && base.empty()))
        return std::string(path);
    const std::string full = path.front() == '/' ? std::string(path) : joinPath(base, path);

    std::string clean;
    std::size_t i = 0;
    while (i <= full.size()) {
        std::size_t j = full.find('/', i);
        if (j == std::string::npos)
            j = full.size();
        const std::string_view part = std::string_view(full).substr(i, j - i);
        i = j + 1;
        // The root's ".." is the root itself.
        if (part.empty() || part == "." || (part == ".." && clean.empty()))
            continue;
        clean += '/';
        clean += part;
    }
    if (clean.empty())
        return "/";
    if (!hasDotDot(clean))
        return clean;
    try {
        return GetLongPath(clean, fs);
    } catch (const std::runtime_error&) {
        return clean;
    }
}

bool isRecordablePath(std::string_view path) {
    return !path.empty() && path.front() == '/' && !hasDotDot(path);
}

} // namespace rinoza
