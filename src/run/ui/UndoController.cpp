#include "run/ui/UndoController.h"

#include "common/ui/LocalFileUrl.h"
#include "common/ui/UserPrompts.h"
#include "common/ui/WindowPrompts.h"
#include "operations/Messages.h"
#include "operations/UndoOperation.h"
#include "platform/FileSystem.h"
#include "run/ui/ProgressHost.h"
#include "settings/IniFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QUrl>

namespace rinoza {

UndoController::UndoController(RunHost host, QObject* parent) : QObject(parent), m_host(std::move(host)) {}

void UndoController::setUndoCommands(QAbstractButton* button, QList<QAction*> actions) {
    m_button = button;
    m_actions = std::move(actions);
}

void UndoController::UpdateUndoCommands() {
    const bool exists = historyExists(historyFilePath(fileSystem()), fileSystem());
    if (m_button)
        m_button->setEnabled(exists);
    for (QAction* a : m_actions)
        a->setEnabled(exists);
}

FileSystem& UndoController::fileSystem() const {
    return *m_host.fileSystem;
}

void UndoController::btnAndoClick() {
    if (m_host.updateUndoCommands)
        m_host.updateUndoCommands();
    const UndoOutcome outcome =
        undoLastRun(historyFilePath(fileSystem()), fileSystem(), windowPrompts(), *m_host.progress);
    if (outcome.end == UndoOutcome::End::Failed)
        windowPrompts().tell(Notice::Error, outcome.errorText);
    else if (outcome.end == UndoOutcome::End::Done && m_host.setStatus)
        m_host.setStatus(QString::fromStdString(outcome.statusText));
}

void UndoController::N8Click() {
    if (m_host.updateUndoCommands)
        m_host.updateUndoCommands();
    if (!historyExists(historyFilePath(fileSystem()), fileSystem())) {
        windowPrompts().tell(Notice::Warning, msg::kHistoryMissing);
        return;
    }
    if (!prompts().openUrl(localFileUrl(historyFilePath(fileSystem())).toString(QUrl::FullyEncoded)))
        BeepMessageDlg(QStringLiteral("関連付けされたアプリケーションがありません。"), MsgType::Warning,
                       MsgButtons::Ok);
}

} // namespace rinoza
