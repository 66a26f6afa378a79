#pragma once

// The rename run and its preview between the user's command and the run engine: the checks before,
// the questions on the way (through the prompts of the front end), the progress, and the texts of
// the outcome. The window and rinoza-cli gather the choices and show what comes back.

#include "common/OperationPrompts.h"
#include "filelist/FileList.h"
#include "operations/ProgressDisplay.h"
#include "run/RunEngine.h"

#include <cstddef>
#include <functional>
#include <string>

namespace rinoza {

// What the preview and the run work with.
struct RenameContext {
    FileSystem& fs;
    const NameBuilder& builder;
    const Clock& clock;
    // The dates taken read so far, kept for the run after a preview (each is read anew when null).
    PhotoDateMemos* photoDates = nullptr;
};

// The request of a run started now with these choices; its history goes to historyFilePath(fs). The
// destination of a copy or move is taken as the folder it names now: the run acts in no other, whatever
// its path names by then.
RunRequest renameRequest(FileSystem& fs, RenameMethod method, std::string destination, RenameRuleSet rules,
                         std::string startText);

// False, after telling kNoFilesToRename, when the list has no row.
bool checkFilesToRename(const FileList& list, OperationPrompts& prompts);

enum class DestinationCheck { Ready, Declined, Failed };
// The destination of a copy or move: Ready when it is an existing folder (and always for a plain
// rename); otherwise it is made once the user agrees (Question::CreateFolder): Declined when they do
// not, Failed when it is empty or cannot be made. A run must not start unless Ready, or the history of
// the last run would be replaced by one in which every file failed.
DestinationCheck prepareDestination(RenameMethod method, const std::string& destination, FileSystem& fs,
                                    OperationPrompts& prompts);

// The request is made once the progress shows (the window is disabled then, so the rule cannot
// change under the operation).
using RequestMaker = std::function<RunRequest()>;

// The run over every row of the list in display order: a preview's marks come off, the system file
// question goes through prompts (left out when they answer it Yes by themselves), and each row changes
// in the list as it is done; rowDone (may be empty) hears of it right after. A run that ends with an
// error says so, and then (the progress gone) gives the error's own message.
RunResult runRename(FileList& list, const RequestMaker& request, RenameContext& context, OperationPrompts& prompts,
                    ProgressDisplay& progress, const std::function<void(std::size_t row)>& rowDone = {});

struct PreviewOutcome {
    std::size_t rows = 0; // rows foretold, from the top
    int failing = 0;      // of them, rows the run would fail
    bool cancelled = false;
    std::string errorMessage; // the start number's message; nothing was foretold then
    std::string statusText;   // previewStatus, when there is no error
};

// Foretells the run over every row of the list (nothing changes on disk). With intoRemarks, each
// row's remarks get the new name, its mark the failure foretold and its note how the name came about,
// written in batches as the window's events run. rowForetold (may be empty) hears of every row. A
// start number that is no whole number is told (once the progress is gone), and nothing is foretold.
PreviewOutcome previewRename(FileList& list, const RequestMaker& request, RenameContext& context,
                             OperationPrompts& prompts, ProgressDisplay& progress, bool intoRemarks,
                             const std::function<void(std::size_t row, const RowForecast&)>& rowForetold = {});

} // namespace rinoza
