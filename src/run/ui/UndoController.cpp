#include "run/ui/UndoController.h"

#include "common/TextCodec.h"
#include "common/ui/LocalFileUrl.h"
#include "common/ui/UserPrompts.h"
#include "platform/FileSystem.h"
#include "run/UndoEngine.h"
#include "run/ui/ProgressHost.h"
#include "settings/IniFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QUrl>

namespace rinoza {

namespace {

const QString& historyMissingText() {
    static const QString t = QStringLiteral("前回の変名履歴ファイルが見つかりません。");
    return t;
}

QString display(std::string_view bytes) {
    const std::string s = displayText(bytes);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

UndoController::UndoController(RunHost host, QObject* parent) : QObject(parent), m_host(std::move(host)) {}

void UndoController::setUndoCommands(QAbstractButton* button, QList<QAction*> actions) {
    m_button = button;
    m_actions = std::move(actions);
}

void UndoController::UpdateUndoCommands() {
    const bool exists = historyExists();
    if (m_button)
        m_button->setEnabled(exists);
    for (QAction* a : m_actions)
        a->setEnabled(exists);
}

bool UndoController::historyExists() const {
    FileSystem& fs = *m_host.fileSystem;
    FileInfo info;
    return fs.stat(historyFilePath(*m_host.fileSystem), info) == 0 && !info.isDirectory;
}

void UndoController::btnAndoClick() {
    if (m_host.updateUndoCommands)
        m_host.updateUndoCommands();
    if (!historyExists()) {
        BeepMessageDlg(historyMissingText(), MsgType::Warning, MsgButtons::Ok);
        return;
    }
    if (BeepMessageDlg(QStringLiteral("前回の変名を戻します。\rよろしいですか？"), MsgType::Information,
                       MsgButtons::OkCancel) != mrOk)
        return;

    ProgressHost& progress = *m_host.progress;
    progress.BeginProgress(QStringLiteral("前回の変名戻し中"));
    const ProgressCallbacks callbacks = progressCallbacksFor(progress);

    FileSystem& fs = *m_host.fileSystem;
    UndoEngine engine(fs);
    UndoResult result;
    try {
        result = engine.run(historyFilePath(*m_host.fileSystem), callbacks);
    } catch (...) {
        progress.EndProgress();
        throw;
    }
    if (result.error != 0) {
        progress.EndProgress();
        BeepMessageDlg(display(result.errorMessage), MsgType::Error, MsgButtons::Ok);
        return;
    }
    if (m_host.setStatus)
        m_host.setStatus(display(result.statusText()));
    progress.EndProgress();
}

void UndoController::N8Click() {
    if (m_host.updateUndoCommands)
        m_host.updateUndoCommands();
    if (!historyExists()) {
        BeepMessageDlg(historyMissingText(), MsgType::Warning, MsgButtons::Ok);
        return;
    }
    if (!prompts().openUrl(localFileUrl(historyFilePath(*m_host.fileSystem)).toString(QUrl::FullyEncoded)))
        BeepMessageDlg(QStringLiteral("関連付けされたアプリケーションがありません。"), MsgType::Warning,
                       MsgButtons::Ok);
}

} // namespace rinoza
