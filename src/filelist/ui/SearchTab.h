#pragma once

// The search tab: name pattern, folder, the two options and the four buttons. It restores and saves
// its two histories (sections FindName and FindLocate) itself.

#include <QWidget>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace rinoza {

class IniFile;
class PathComboBox;

class SearchTab : public QWidget {
    Q_OBJECT
public:
    explicit SearchTab(QWidget* parent = nullptr);

    QLabel* stxFndName = nullptr;
    QComboBox* cmbFndName = nullptr;
    QLabel* stxFnd = nullptr;
    PathComboBox* cmbFnd = nullptr;
    QPushButton* btnFnd = nullptr;
    QCheckBox* cbFnd = nullptr;
    QPushButton* btnStart = nullptr;
    QCheckBox* cbOpt = nullptr;
    QPushButton* btnStop = nullptr;
    // Clears the list; the file list connects it to its clear command.
    QPushButton* btnlvClr = nullptr;

    // The pattern and folder histories, 20 entries each, non-empty ones only.
    void restoreState(const IniFile& ini);
    // Writes both histories; a missing entry is written empty, so each section holds 20 keys.
    void saveState(IniFile& ini) const;
    // The fields start with the first history entries. Without a folder history the folder is
    // `home`, and the list offers it and the root.
    void showFirstEntries(const std::string& home);
};

} // namespace rinoza
