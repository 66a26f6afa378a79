#include "platform/FileSystem.h"

namespace rinoza {

namespace {

void readAfter(FileSystem& fs, const std::string& path, std::optional<FileInfo>* after) {
    if (!after)
        return;
    FileInfo info;
    if (fs.stat(path, info) == 0)
        *after = std::move(info);
    else
        after->reset();
}

} // namespace

int FileSystem::changeTimes(const std::string& path, const TimesDecision& decide, std::optional<FileInfo>* after) {
    FileInfo before;
    int err = stat(path, before);
    if (err == 0) {
        std::optional<FileTime> creation, lastWrite;
        err = decide(before, creation, lastWrite);
        if (err == 0)
            err = setTimes(path, creation, lastWrite);
    }
    readAfter(*this, path, after);
    return err;
}

int FileSystem::changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                                 std::optional<FileInfo>* after) {
    const int err = setAttributes(path, mask, values);
    readAfter(*this, path, after);
    return err;
}

} // namespace rinoza
