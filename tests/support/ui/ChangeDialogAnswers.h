#pragma once

// Scripted answers for the rename confirmation dialog (TFrmChg), to hand to ScriptedPrompts::dialogAnswer().

#include "run/ui/TFrmChg.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QString>
#include <functional>

namespace rinoza::test {

// Chooses the method (and, when given, types the destination folder), then starts.
inline std::function<int(QDialog&)> startWith(int method, const QString& folder = {}) {
    return [method, folder](QDialog& d) {
        auto& dlg = dynamic_cast<TFrmChg&>(d);
        dlg.setSelectedIndex(method);
        if (!folder.isNull())
            dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->setEditText(folder);
        dlg.acStart()->trigger();
        return dlg.result();
    };
}

// Chooses the method, then presses cancel.
inline std::function<int(QDialog&)> cancelWith(int method) {
    return [method](QDialog& d) {
        auto& dlg = dynamic_cast<TFrmChg&>(d);
        dlg.setSelectedIndex(method);
        dlg.acCancel()->trigger();
        return dlg.result();
    };
}

} // namespace rinoza::test
