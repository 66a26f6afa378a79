#include "platform/FileSystem.h"
#include "rename/NameBuilder.h"

namespace rinoza {

// Kept apart from the builder so that code using only the builder does not pull in the file system.
LocalDateTime GetFileDate(FileSystem& fs, const std::string& path, FileDateKind kind,
                          const std::function<void(const std::string& path)>& onMissing) {
    FileInfo info;
    if (fs.stat(path, info) != 0) {
        if (onMissing)
            onMissing(path);
        return LocalDateTime{};
    }
    const std::optional<FileTime>& t = kind == FileDateKind::Crt   ? info.creation
                                       : kind == FileDateKind::Upd ? info.lastWrite
                                                                   : info.lastAccess;
    if (!t)
        return LocalDateTime{};
    return toDosGrain(toLocal(*t)).value_or(LocalDateTime{});
}

} // namespace rinoza
