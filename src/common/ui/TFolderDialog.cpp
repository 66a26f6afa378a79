#include "common/ui/TFolderDialog.h"

#include "common/ui/UserPrompts.h"

#include <QFileDialog>

namespace rinoza {

bool TFolderDialog::Execute() {
    QString chosen = Directory;
    if (!prompts().pickFolder(m_owner, Title, chosen))
        return false;
    if (!chosen.isEmpty())
        Directory = chosen;
    return true;
}

QFileDialog* newFolderDialog(QWidget* owner, const QString& title, const QString& start) {
    auto* d = new QFileDialog(owner, title, start);
    d->setFileMode(QFileDialog::Directory);
    d->setOption(QFileDialog::ShowDirsOnly, true);
    return d;
}

} // namespace rinoza
