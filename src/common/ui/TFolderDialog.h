#pragma once

// The folder picker: shows the desktop's folder dialog with a title and a preselected folder and
// hands back the folder the user chose. Used once per click and dropped afterwards.

#include <QString>

class QFileDialog;
class QWidget;

namespace rinoza {

class TFolderDialog {
public:
    explicit TFolderDialog(QWidget* owner) : m_owner(owner) {}

    // Text shown as the dialog's title.
    QString Title = QStringLiteral("フォルダーの選択");
    // On entry the folder to preselect (used only when it exists); after a true Execute the chosen folder.
    QString Directory;

    // Shows the dialog, modal to the owner. True when the user confirmed a folder; false when cancelled
    // (Directory then keeps its entry value).
    bool Execute();

private:
    QWidget* m_owner;
};

// The dialog the real folder picker shows: folders only, `start` preselected, the title given.
// The caller owns it (it is parented to `owner`) and shows it.
QFileDialog* newFolderDialog(QWidget* owner, const QString& title, const QString& start);

} // namespace rinoza
