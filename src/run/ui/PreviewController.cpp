#include "run/ui/PreviewController.h"

#include "common/TextCodec.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "run/RunEngine.h"
#include "run/ui/LivePreview.h"
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

} // namespace

PreviewController::PreviewController(RunHost host, QObject* parent)
    : QObject(parent), m_host(std::move(host)), m_live(new LivePreview(m_host, this)) {}

QString PreviewController::statusText(int failing, bool cancelled) {
    QString text = failing > 0 ? QString::number(failing) + QStringLiteral(" 個のファイルは変名できません。")
                               : QStringLiteral("変名できないファイルはありません。");
    return cancelled ? QStringLiteral("結果表示を中止しました。") + text : text;
}

void PreviewController::N20Click() {
    FileListModel& model = *m_host.model;
    if (model.rowCount() == 0)
        return;
    // This preview writes every row anew.
    m_live->disarm();

    RunRequest request;
    {
        // What a run started now would be confirmed with: the dialog's stored method and folder.
        TFrmChg dlg(m_host.window);
        request.method = static_cast<RenameMethod>(dlg.selectedIndex());
        request.destination = dlg.destinationBytes();
    }
    request.rules = m_host.rules ? m_host.rules() : RenameRuleSet::defaults();
    request.historyPath = historyFilePath();

    ProgressHost& progress = *m_host.progress;
    progress.BeginProgress(QStringLiteral("備考に変名結果を表示中"));
    // Read once the window is disabled, so the rule cannot change under the preview.
    request.serialStartText = m_host.startText ? m_host.startText().toStdString() : std::string("1");
    model.clearMarks();

    // Rows reach the model in batches: whatever was foretold since the last time events ran.
    int first = 0;
    int failing = 0;
    std::vector<FileListModel::RemarksUpdate> pending;
    const auto flush = [&] {
        const int n = static_cast<int>(pending.size());
        model.setRemarksRange(first, std::move(pending));
        pending.clear();
        first += n;
    };
    ForecastCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progressCallbacksFor(progress);
    callbacks.pumpEvents = [&] {
        flush();
        progress.pump();
    };
    callbacks.cancelRequested = [&] {
        if (progress.sliceOver())
            callbacks.pumpEvents();
        return progress.CancelRequested;
    };
    callbacks.rowForetold = [&](std::size_t, RowForecast&& f) {
        if (!f.outcome.empty())
            ++failing;
        // The remarks hold the name as the list will show it, never its bytes.
        pending.push_back({displayText(f.newName), std::string(f.outcome), f.photoDate});
    };

    SystemClock systemClock;
    const Clock& clock = m_host.clock ? *m_host.clock : systemClock;
    FileSystem& fs = m_host.fileSystem ? *m_host.fileSystem : systemFileSystem();
    RunEngine engine(fs, *m_host.builder, clock);
    const std::vector<FileListRow> rows = model.rows();
    const ForecastResult result = engine.foretell(rows, request, callbacks);
    flush();
    progress.EndProgress();

    if (!result.errorMessage.empty()) {
        BeepMessageDlg(display(result.errorMessage), MsgType::Error, MsgButtons::Ok);
        return;
    }
    if (m_host.setStatus)
        m_host.setStatus(statusText(failing, result.cancelled));
    if (!result.cancelled)
        m_live->arm(request.method, request.destination);
}

} // namespace rinoza
