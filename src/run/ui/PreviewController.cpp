#include "run/ui/PreviewController.h"

#include "common/ui/WindowPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "operations/RenameOperations.h"
#include "platform/FileSystem.h"
#include "run/ui/LivePreview.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmChg.h"

namespace rinoza {

PreviewController::PreviewController(RunHost host, QObject* parent)
    : QObject(parent), m_host(std::move(host)), m_live(new LivePreview(m_host, this)) {}

void PreviewController::N20Click() {
    FileList& list = m_host.model->list();
    if (list.empty())
        return;
    // This preview writes every row anew.
    m_live->disarm();

    // What a run started now would be confirmed with: the dialog's stored method and folder.
    int stored = 0;
    std::string destination;
    FileSystem& fs = *m_host.fileSystem;
    TFrmChg::storedChoice(fs, stored, destination);
    const auto method = static_cast<RenameMethod>(stored);
    SystemClock systemClock;
    RenameContext context{fs, *m_host.builder, m_host.clock ? *m_host.clock : systemClock, m_host.photoDates};
    const auto request = [&] {
        return renameRequest(fs, method, destination, m_host.rules ? m_host.rules() : RenameRuleSet::defaults(),
                             m_host.startText ? m_host.startText().toStdString() : std::string("1"));
    };
    const PreviewOutcome outcome = previewRename(list, request, context, windowPrompts(), *m_host.progress, true);
    if (!outcome.errorMessage.empty())
        return;
    if (m_host.setStatus)
        m_host.setStatus(QString::fromStdString(outcome.statusText));
    if (!outcome.cancelled)
        m_live->arm(method, destination);
}

} // namespace rinoza
