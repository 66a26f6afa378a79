#include "operations/UndoOperation.h"

#include "operations/Messages.h"

#include <cstring>

namespace rinoza {

bool historyExists(const std::string& historyPath, FileSystem& fs) {
    FileInfo info;
    return fs.stat(historyPath, info) == 0 && !info.isDirectory;
}

UndoOutcome undoLastRun(const std::string& historyPath, FileSystem& fs, OperationPrompts& prompts,
                        ProgressDisplay& progress) {
    UndoOutcome outcome;
    if (!historyExists(historyPath, fs)) {
        prompts.tell(Notice::Warning, msg::kHistoryMissing);
        return outcome;
    }
    if (!prompts.ask(Question::Undo, msg::kUndoQuestion)) {
        outcome.end = UndoOutcome::End::Declined;
        return outcome;
    }
    ProgressScope scope(progress, msg::kUndoActivity);
    UndoEngine engine(fs);
    outcome.result = engine.run(historyPath, progress.callbacks());
    outcome.pending = outcome.result.pending;
    scope.end();
    if (outcome.result.error != 0) {
        outcome.end = UndoOutcome::End::Failed;
        outcome.errorText = prompts.shown(outcome.result.errorMessage);
        return outcome;
    }
    outcome.end = UndoOutcome::End::Done;
    if (outcome.result.noteError != 0) {
        outcome.noteError = std::string(msg::kUndoNoteNotWritten) + " (" + prompts.shown(historyPath) + ": " +
                            std::strerror(outcome.result.noteError) + ")";
    }
    outcome.statusText = msg::undoStatus(outcome.result.statusText(), outcome.result.noteError == 0);
    return outcome;
}

} // namespace rinoza
