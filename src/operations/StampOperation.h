#pragma once

// The timestamp and attribute changes between the user's command and the change engine: the checks
// of the list and the dates, the question, the progress, and the status text.

#include "common/OperationPrompts.h"
#include "filelist/FileList.h"
#include "operations/ProgressDisplay.h"
#include "stamps/StampEngine.h"

#include <optional>
#include <string>

namespace rinoza {

// Changes the file of every row in display order after the user agrees (Question::ChangeFiles): the
// rows' columns and remarks change in the list as runs of them are done. nullopt, after the warning
// that says why, when the list is empty or a date of a timestamp change is no existing date; nullopt
// too when the user declines. Otherwise the status text.
std::optional<std::string> changeListedFiles(FileList& list, const StampRequest& request, FileSystem& fs,
                                             OperationPrompts& prompts, ProgressDisplay& progress);

} // namespace rinoza
