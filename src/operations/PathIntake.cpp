#include "operations/PathIntake.h"

#include "platform/Paths.h"

namespace rinoza {

TakenPath takePath(std::string_view given, const std::string& workingFolder, AddedPathLookup& lookup, bool withIcon) {
    TakenPath taken;
    taken.path = absolutePath(given, workingFolder, lookup.fileSystem());
    const AddedPath found = lookup.find(taken.path);
    if (found.error != 0) {
        taken.kind = PathKind::Missing;
    } else if (found.info.isDirectory) {
        taken.kind = PathKind::Folder;
    } else if (found.info.isRegular) {
        taken.kind = PathKind::File;
        taken.row = addedPathRow(found, taken.path, withIcon, &lookup.dates());
    } else {
        taken.kind = PathKind::Other;
    }
    return taken;
}

TakenPath takePath(std::string_view given, const std::string& workingFolder, FileSystem& fs, bool withIcon) {
    AddedPathLookup lookup(fs);
    return takePath(given, workingFolder, lookup, withIcon);
}

} // namespace rinoza
