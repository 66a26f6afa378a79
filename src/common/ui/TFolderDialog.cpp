#include "common/ui/TFolderDialog.h"

#include "common/ui/UserPrompts.h"

namespace rinoza {

bool TFolderDialog::Execute() {
    QString chosen = Directory;
    if (!prompts().pickFolder(m_owner, Title, chosen))
        return false;
    if (!chosen.isEmpty())
        Directory = chosen;
    return true;
}

} // namespace rinoza
