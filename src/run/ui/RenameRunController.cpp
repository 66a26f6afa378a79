#include "run/ui/RenameRunController.h"

#include "common/TextCodec.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "run/RunEngine.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmChg.h"
#include "settings/IniFile.h"

#include <vector>

namespace rinoza {

namespace {

QString display(std::string_view bytes) {
    const std::string s = displayText(bytes);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Ends the progress whatever way the run leaves, an exception included.
class ProgressGuard {
public:
    explicit ProgressGuard(ProgressHost& p) : m_p(p) {}
    ~ProgressGuard() {
        if (m_armed)
            m_p.EndProgress();
    }
    void end() {
        m_armed = false;
        m_p.EndProgress();
    }

private:
    ProgressHost& m_p;
    bool m_armed = true;
};

} // namespace

RenameRunController::RenameRunController(RunHost host, QObject* parent) : QObject(parent), m_host(std::move(host)) {}

QString RenameRunController::systemFileQuestionText(const std::string& sourcePath) {
    return display(systemFileQuestion(sourcePath));
}

bool RenameRunController::confirm(int& method, std::string& destination) {
    FileSystem& fs = m_host.fileSystem ? *m_host.fileSystem : systemFileSystem();
    for (;;) {
        {
            // Made anew for every showing, so a showing after a declined folder question reads what
            // the start action of the one before stored.
            TFrmChg dlg(m_host.window);
            if (prompts().execDialog(dlg) != QDialog::Accepted)
                return false;
            method = dlg.selectedIndex();
            // The chosen entry's own bytes; typed text as entered.
            destination = dlg.destinationBytes();
        }
        if (method == static_cast<int>(RenameMethod::RenameOnly))
            return true;

        FileInfo info;
        if (!destination.empty() && fs.stat(destination, info) == 0 && info.isDirectory)
            return true;

        const int answer = BeepMessageDlg(QStringLiteral("フォルダ[ ") + display(destination) +
                                              QStringLiteral(" ]が存在しません。\r\n作成しますか？"),
                                          MsgType::Information, MsgButtons::OkCancel);
        if (answer != mrOk)
            continue;
        // A folder that cannot be made stops here: running on would replace the history of the last
        // run with one in which every file failed.
        if (destination.empty() || fs.makeDirectories(destination) != 0) {
            BeepMessageDlg(QStringLiteral("ディレクトリを作成することができません"), MsgType::Error, MsgButtons::Ok);
            return false;
        }
        return true;
    }
}

void RenameRunController::btnCnvStartClick() {
    FileListModel& model = *m_host.model;
    if (model.rowCount() == 0) {
        BeepMessageDlg(QStringLiteral("変名処理に対するファイルが選ばれていません。"), MsgType::Warning,
                       MsgButtons::Ok);
        return;
    }
    int method = 0;
    std::string destination;
    if (!confirm(method, destination))
        return;

    ProgressHost& progress = *m_host.progress;
    progress.BeginProgress(QStringLiteral("変名中"));
    ProgressGuard guard(progress);

    RunRequest request;
    request.method = static_cast<RenameMethod>(method);
    request.destination = destination;
    request.rules = m_host.rules ? m_host.rules() : RenameRuleSet::defaults();
    request.serialStartText = m_host.startText ? m_host.startText().toStdString() : std::string("1");
    request.historyPath = historyFilePath();
    request.photoDates = m_host.photoDates;

    // What a preview foretold no longer holds once files change.
    model.clearMarks();
    // The engine works on a copy of the rows; each changed row goes back into the model at once.
    std::vector<FileListRow> rows = model.rows();
    RunCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progressCallbacksFor(progress);
    callbacks.askSystemFile = [](const std::string& path) {
        // Closing the question counts as Yes; only No refuses.
        return BeepMessageDlg(systemFileQuestionText(path), MsgType::Warning, MsgButtons::YesNo) != mrNo;
    };
    callbacks.rowChanged = [&model, &rows](std::size_t i) { model.setRow(static_cast<int>(i), rows[i]); };

    SystemClock systemClock;
    const Clock& clock = m_host.clock ? *m_host.clock : systemClock;
    FileSystem& fs = m_host.fileSystem ? *m_host.fileSystem : systemFileSystem();
    RunEngine engine(fs, *m_host.builder, clock);
    const RunResult result = engine.run(rows, request, callbacks);

    if (result.end == RunEnd::Error)
        BeepMessageDlg(QString::fromUtf8(kRunStoppedMessage.data(), static_cast<qsizetype>(kRunStoppedMessage.size())),
                       MsgType::Error, MsgButtons::Ok);
    if (m_host.setStatus)
        m_host.setStatus(display(result.statusText()));
    guard.end();
    if (m_host.updateUndoCommands)
        m_host.updateUndoCommands();
    // The error's own message follows once the window is usable again.
    if (result.end == RunEnd::Error && !result.errorMessage.empty())
        BeepMessageDlg(display(result.errorMessage), MsgType::Error, MsgButtons::Ok);
}

} // namespace rinoza
