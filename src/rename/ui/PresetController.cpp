#include "rename/ui/PresetController.h"

#include "common/ui/UserPrompts.h"
#include "rename/RuleSetStore.h"
#include "rename/ui/RenameTab.h"
#include "settings/IniFile.h"

#include <QAction>
#include <QPushButton>

namespace rinoza {

namespace {

// The tag of the menu item that sent the signal: its place in items, counted from 1; 0 if none.
int tagOf(QObject* sender, const std::array<QAction*, 5>& items) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == sender)
            return static_cast<int>(i) + 1;
    return 0;
}

void showWriteError(const SettingsWriteError& e) {
    BeepMessageDlg(QString::fromUtf8(e.what()), MsgType::Error, MsgButtons::Ok);
}

} // namespace

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

void PresetController::SClick() {
    savePreset(tagOf(sender(), m_save));
}

void PresetController::LClick() {
    recallPreset(tagOf(sender(), m_recall));
}

void PresetController::savePreset(int n) {
    if (n < 1 || n > 5)
        return;
    try {
        IniFile ini(m_tab->fileSystem(), settingsFilePath(m_tab->fileSystem()));
        if (RuleSetStore::presetSaved(ini, n) &&
            BeepMessageDlg(QStringLiteral("既に保存されています。上書きしてよろしいですか？"), MsgType::Warning,
                           MsgButtons::OkCancel) != mrOk)
            return;
        // One write of the file for all keys of the preset.
        ini.beginUpdate();
        RuleSetStore::writePreset(ini, n, m_tab->storedRuleSet());
        ini.endUpdate();
        restoreState(ini);
    } catch (const SettingsWriteError& e) {
        showWriteError(e);
    }
}

void PresetController::recallPreset(int n) {
    if (n < 1 || n > 5)
        return;
    const IniFile ini(m_tab->fileSystem(), settingsFilePath(m_tab->fileSystem()));
    if (!RuleSetStore::presetSaved(ini, n)) {
        BeepMessageDlg(QStringLiteral("設定(") + QString::number(n) + QStringLiteral(")が保存されていません。"),
                       MsgType::Warning, MsgButtons::Ok);
        m_recall[static_cast<std::size_t>(n - 1)]->setEnabled(false);
        return;
    }
    // The serial increment and the example name are no part of a preset: they keep what they show.
    StoredRuleSet stored = m_tab->storedRuleSet();
    RuleSetStore::readPreset(ini, n, stored);
    m_tab->applyStoredRuleSet(stored);
    m_tab->UpdateExample();
}

void PresetController::btnNewClick() {
    if (BeepMessageDlg(QStringLiteral("変名設定を初期値に戻します。よろしいですか？"), MsgType::Information,
                       MsgButtons::OkCancel) != mrOk)
        return;
    // The replacement texts stay in their fields; element 9 is unticked, so they take no part.
    StoredRuleSet defaults;
    const RenameRuleSet current = m_tab->currentRuleSet();
    defaults.rules.strChgBefore = current.strChgBefore;
    defaults.rules.strChgAfter = current.strChgAfter;
    m_tab->applyStoredRuleSet(defaults);
}

} // namespace rinoza
