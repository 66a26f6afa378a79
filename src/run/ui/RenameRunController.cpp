#include "run/ui/RenameRunController.h"

#include "common/ui/UserPrompts.h"
#include "common/ui/WindowPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "operations/Messages.h"
#include "operations/RenameOperations.h"
#include "platform/FileSystem.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/TFrmChg.h"

namespace rinoza {

RenameRunController::RenameRunController(RunHost host, QObject* parent) : QObject(parent), m_host(std::move(host)) {}

bool RenameRunController::confirm(int& method, std::string& destination) {
    FileSystem& fs = *m_host.fileSystem;
    for (;;) {
        {
            // Made anew for every showing, so a showing after a declined folder question reads what
            // the start action of the one before stored.
            TFrmChg dlg(*m_host.fileSystem, m_host.window);
            if (prompts().execDialog(dlg) != QDialog::Accepted)
                return false;
            method = dlg.selectedIndex();
            // The chosen entry's own bytes; typed text as entered.
            destination = dlg.destinationBytes();
        }
        switch (prepareDestination(static_cast<RenameMethod>(method), destination, fs, windowPrompts())) {
        case DestinationCheck::Ready:
            return true;
        case DestinationCheck::Declined:
            continue;
        case DestinationCheck::Failed:
            windowPrompts().tell(Notice::Error, msg::kCannotMakeFolder);
            return false;
        }
    }
}

void RenameRunController::btnCnvStartClick() {
    FileList& list = m_host.model->list();
    if (!checkFilesToRename(list, windowPrompts()))
        return;
    int method = 0;
    std::string destination;
    if (!confirm(method, destination))
        return;

    SystemClock systemClock;
    FileSystem& fs = *m_host.fileSystem;
    RenameContext context{fs, *m_host.builder, m_host.clock ? *m_host.clock : systemClock, m_host.photoDates};
    const auto request = [&] {
        return renameRequest(fs, static_cast<RenameMethod>(method), destination,
                             m_host.rules ? m_host.rules() : RenameRuleSet::defaults(),
                             m_host.startText ? m_host.startText().toStdString() : std::string("1"));
    };
    const RunResult result = runRename(list, request, context, windowPrompts(), *m_host.progress);
    if (m_host.setStatus)
        m_host.setStatus(QString::fromStdString(windowPrompts().shown(result.statusText())));
    if (m_host.updateUndoCommands)
        m_host.updateUndoCommands();
}

} // namespace rinoza
