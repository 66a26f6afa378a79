#include "operations/PathIntake.h"

#include "platform/Paths.h"

namespace rinoza {

TakenPath takePath(std::string_view given, const std::string& workingFolder, FileSystem& fs, bool withIcon) {
    TakenPath taken;
    taken.path = absolutePath(given, workingFolder, fs);
    FileInfo info;
    if (fs.stat(taken.path, info) != 0) {
        taken.kind = PathKind::Missing;
    } else if (info.isDirectory) {
        taken.kind = PathKind::Folder;
    } else if (info.isRegular) {
        taken.kind = PathKind::File;
        taken.row = makeFileListRow(info, parentOf(taken.path), withIcon);
    } else {
        taken.kind = PathKind::Other;
    }
    return taken;
}

} // namespace rinoza
