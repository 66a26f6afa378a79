#include "common/ui/ProgramImages.h"

#include <QString>

namespace rinoza {

QIcon programImage(ProgramImage which) {
    static const char* const files[ProgramImageCount] = {
        "tab-find", "tab-rename", "tab-time", "tab-attr", "delete", "recycle-bin", "open-folder", "arrow-up",
        "arrow-down"};
    if (which < 0 || which >= ProgramImageCount)
        return {};
    return QIcon(QStringLiteral(":/icons/") + QLatin1String(files[which]) + QStringLiteral(".png"));
}

} // namespace rinoza
