#pragma once

// What rinoza-cli does once its command line is read: gathers the rows, then foretells, runs or
// undoes, writing rows to standard output and messages to standard error.

#include "cli/CliConsole.h"
#include "cli/CliOptions.h"

namespace rinoza {
class FileSystem;
}

namespace rinoza::cli {

// Returns the exit status. Throws UsageError for a preset that was never saved, and for rule edits
// (applyRuleEdits) that leave a rule the edits made unusable (a regular expression in error). Every
// file, the settings and the history are reached through fs.
int runCli(const CliOptions& options, FileSystem& fs, const TerminalStreams& terminals);

} // namespace rinoza::cli
