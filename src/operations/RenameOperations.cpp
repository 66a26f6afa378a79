#include "operations/RenameOperations.h"

#include "common/TextCodec.h"
#include "operations/Messages.h"
#include "settings/IniFile.h"

#include <vector>

namespace rinoza {

RunRequest renameRequest(FileSystem& fs, RenameMethod method, std::string destination, RenameRuleSet rules,
                         std::string startText) {
    RunRequest request;
    request.method = method;
    request.destination = std::move(destination);
    if (FileInfo d; method != RenameMethod::RenameOnly && fs.stat(request.destination, d) == 0 && d.isDirectory)
        request.destinationId = FolderId{static_cast<uint64_t>(d.dev), static_cast<uint64_t>(d.ino)};
    request.rules = std::move(rules);
    request.serialStartText = std::move(startText);
    request.historyPath = historyFilePath(fs);
    return request;
}

bool checkFilesToRename(const FileList& list, OperationPrompts& prompts) {
    if (!list.empty())
        return true;
    prompts.tell(Notice::Warning, msg::kNoFilesToRename);
    return false;
}

DestinationCheck prepareDestination(RenameMethod method, const std::string& destination, FileSystem& fs,
                                    OperationPrompts& prompts) {
    if (method == RenameMethod::RenameOnly)
        return DestinationCheck::Ready;
    FileInfo info;
    if (!destination.empty() && fs.stat(destination, info) == 0 && info.isDirectory)
        return DestinationCheck::Ready;
    if (!prompts.ask(Question::CreateFolder, msg::createFolderQuestion(prompts.shown(destination))))
        return DestinationCheck::Declined;
    if (destination.empty() || fs.makeDirectories(destination) != 0)
        return DestinationCheck::Failed;
    return DestinationCheck::Ready;
}

RunResult runRename(FileList& list, const RequestMaker& makeRequest, RenameContext& context, OperationPrompts& prompts,
                    ProgressDisplay& progress, const std::function<void(std::size_t row)>& rowDone) {
    ProgressScope scope(progress, msg::kRunActivity);
    RunRequest request = makeRequest();
    request.photoDates = context.photoDates;
    // What a preview foretold no longer holds once files change.
    list.clearMarks();
    RunCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progress.callbacks();
    if (!prompts.answersYes(Question::SystemFile)) {
        callbacks.askSystemFile = [&prompts](const std::string& path) {
            return prompts.ask(Question::SystemFile, msg::systemFileQuestion(prompts.shown(path)));
        };
    }
    callbacks.rowChanged = [&](std::size_t i) {
        list.rowsChanged(static_cast<int>(i), static_cast<int>(i));
        if (rowDone)
            rowDone(i);
    };
    RunEngine engine(context.fs, context.builder, context.clock);
    RunResult result = engine.run(list.rowsToChange(), request, callbacks);
    if (result.end == RunEnd::Error)
        prompts.tell(Notice::Error, kRunStoppedMessage);
    scope.end();
    // The error's own message follows once the window is usable again.
    if (result.end == RunEnd::Error && !result.errorMessage.empty())
        prompts.tell(Notice::Error, prompts.shown(result.errorMessage));
    return result;
}

PreviewOutcome previewRename(FileList& list, const RequestMaker& makeRequest, RenameContext& context,
                             OperationPrompts& prompts, ProgressDisplay& progress, bool intoRemarks,
                             const std::function<void(std::size_t row, const RowForecast&)>& rowForetold) {
    ProgressScope scope(progress, msg::kPreviewActivity);
    RunRequest request = makeRequest();
    request.photoDates = context.photoDates;
    PreviewOutcome outcome;
    if (intoRemarks)
        list.clearMarks();

    // Rows reach the list in batches: whatever was foretold since events last ran, so the window
    // shows the remarks filling in without a change signal per row.
    int first = 0;
    std::vector<FileList::RemarksUpdate> pending;
    const auto flush = [&] {
        if (pending.empty())
            return;
        const int n = static_cast<int>(pending.size());
        list.setRemarksRange(first, std::move(pending));
        pending.clear();
        first += n;
    };
    const ProgressCallbacks shown = progress.callbacks();
    ForecastCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = shown;
    if (intoRemarks) {
        callbacks.pumpEvents = [&] {
            flush();
            if (shown.pumpEvents)
                shown.pumpEvents();
        };
        // The stop flag is read once per row; the window lets events run in there once a slice is
        // over, and the rows foretold by then are in the list before it paints.
        callbacks.cancelRequested = [&] {
            if (progress.pumpDue())
                flush();
            return shown.cancelRequested && shown.cancelRequested();
        };
    }
    callbacks.rowForetold = [&](std::size_t i, RowForecast&& f) {
        if (!f.outcome.empty())
            ++outcome.failing;
        if (rowForetold)
            rowForetold(i, f);
        // The remarks hold the name as the list will show it, never its bytes.
        if (intoRemarks)
            pending.push_back({isValidUtf8(f.newName) ? std::move(f.newName) : displayText(f.newName),
                               std::string(f.outcome), std::move(f.note)});
    };

    RunEngine engine(context.fs, context.builder, context.clock);
    const ForecastResult result = engine.foretell(list.rows(), request, callbacks);
    if (intoRemarks)
        flush();
    outcome.rows = result.rows;
    outcome.cancelled = result.cancelled;
    outcome.errorMessage = result.errorMessage;
    scope.end();
    if (!outcome.errorMessage.empty())
        prompts.tell(Notice::Error, prompts.shown(outcome.errorMessage));
    else
        outcome.statusText = msg::previewStatus(outcome.failing, outcome.cancelled);
    return outcome;
}

} // namespace rinoza
