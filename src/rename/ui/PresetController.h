#pragma once

// The five rule presets (save and recall from the menu) and the reset of the rule set, on the
// rename tab's controls and the settings file.

#include <QObject>
#include <array>

class QAction;

namespace rinoza {

class IniFile;
class RenameTab;

class PresetController : public QObject {
    Q_OBJECT
public:
    // save and recall are the menu items with tags 1..5; the controller connects them and btnNew.
    PresetController(RenameTab* tab, std::array<QAction*, 5> save, std::array<QAction*, 5> recall,
                     QObject* parent = nullptr);

    // A preset can be recalled only once it was saved: the recall items follow the sections' In keys.
    void restoreState(const IniFile& ini);

public slots:
    // Saves the rule set as preset n (the tag of the item); an existing preset only after the user's OK.
    void SClick();
    // Recalls preset n; an unsaved one gives a message and disables its item.
    void LClick();
    // Returns the rule set to its defaults after the user's OK, keeping the replacement texts.
    void btnNewClick();

private:
    void savePreset(int n);
    void recallPreset(int n);

    RenameTab* m_tab;
    std::array<QAction*, 5> m_save;
    std::array<QAction*, 5> m_recall;
};

} // namespace rinoza
