#pragma once

// The undo of the last run between the user's command and the undo engine: whether there is a
// history, the question, the progress, and the texts of the outcome (also when the note of what was
// restored could not be written).

#include "common/OperationPrompts.h"
#include "operations/ProgressDisplay.h"
#include "platform/FileSystem.h"
#include "run/UndoEngine.h"

#include <string>

namespace rinoza {

// Whether the history file exists (a folder of its name does not count).
bool historyExists(const std::string& historyPath, FileSystem& fs);

struct UndoOutcome {
    enum class End {
        NoHistory, // told kHistoryMissing; nothing was touched
        Declined,  // the user said no; nothing was touched
        Failed,    // the history could not be read (errorText); nothing was undone
        Done,
    };
    End end = End::NoHistory;
    UndoResult result;
    int pending = 0;        // records the history still had to undo when it began
    std::string errorText;  // with Failed: what went wrong (shown form)
    std::string noteError;  // with Done: why the note could not be written; empty when it was
    std::string statusText; // with Done: the count, and what an unwritten note means
};

// Undoes the last run from the history file after the user agrees (Question::Undo). With Failed the
// error is left to the caller to show once its window is usable again.
UndoOutcome undoLastRun(const std::string& historyPath, FileSystem& fs, OperationPrompts& prompts,
                        ProgressDisplay& progress);

} // namespace rinoza
