#include "rename/ui/PresetController.h"

#include "rename/RuleSetStore.h"
#include "rename/ui/RenameTab.h"
#include "settings/IniFile.h"

#include <QAction>
#include <QPushButton>

namespace rinoza {

PresetController::PresetController(RenameTab* tab, std::array<QAction*, 5> save, std::array<QAction*, 5> recall,
                                   QObject* parent)
    : QObject(parent), m_tab(tab), m_save(save), m_recall(recall) {
    for (QAction* a : m_save)
        connect(a, &QAction::triggered, this, &PresetController::SClick);
    for (QAction* a : m_recall)
        connect(a, &QAction::triggered, this, &PresetController::LClick);
    connect(m_tab->btnNew, &QPushButton::clicked, this, &PresetController::btnNewClick);
}

void PresetController::restoreState(const IniFile& ini) {
    for (int n = 1; n <= 5; ++n)
        m_recall[static_cast<std::size_t>(n - 1)]->setEnabled(RuleSetStore::presetSaved(ini, n));
}

// Saving, recalling and the reset are built with the presets; until then they do nothing.
void PresetController::SClick() {}
void PresetController::LClick() {}
void PresetController::btnNewClick() {}

} // namespace rinoza
