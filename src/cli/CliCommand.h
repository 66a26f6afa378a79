#pragma once

// What rinoza-cli does once its command line is read: gathers the rows, then foretells, runs or
// undoes, writing rows to standard output and messages to standard error.

#include "cli/CliOptions.h"

namespace rinoza::cli {

// Returns the exit status. Throws UsageError for a preset that was never saved, and for rule edits
// (applyRuleEdits) that leave a rule the edits made unusable (a regular expression in error).
int runCli(const CliOptions& options);

} // namespace rinoza::cli
