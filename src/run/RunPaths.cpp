#include "run/RunPaths.h"

namespace rinoza {

bool isRecordablePath(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return false;
    for (std::size_t i = 0; i <= path.size();) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        if (path.substr(i, j - i) == "..")
            return false;
        i = j + 1;
    }
    return true;
}

} // namespace rinoza
