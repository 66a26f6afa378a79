#include "run/RunPaths.h"

namespace rinoza {

bool isRecordablePath(std::string_view path) {
    return !path.empty() && path.front() == '/' && !hasDotDot(path);
}

} // namespace rinoza
