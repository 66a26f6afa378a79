#pragma once

// The command line of rinoza-cli: what the user asked for, checked before anything is read or touched.

#include "cli/CliRule.h"
#include "run/HistoryFile.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace rinoza::cli {

// Exit statuses.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Bad usage; what() is the one-line message (without the program's name).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CliOptions {
    std::vector<std::string> paths; // files and folders, in the order given
    std::string pattern = "*.*";
    bool recursive = false;
    int preset = 0; // 1..5; 0 = the current rule
    RenameMethod method = RenameMethod::RenameOnly;
    std::string destination; // as given; made absolute when the run starts
    bool destinationGiven = false;
    bool dryRun = false;
    bool json = false;
    bool yes = false;
    bool undo = false;
    // Changes of the rule for this run (--set and the options that stand for keys), in their order.
    std::vector<RuleEdit> ruleEdits;
    bool showRule = false;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program's name. "--opt VALUE" and "--opt=VALUE" both work; "--"
// ends the options. Throws UsageError for an unknown option, a missing or bad value (a rule key or a
// value that key does not take included: ruleEditError), a preset outside 1..5, copy or move without
// a destination, a destination for a plain rename, no path, paths or a dry run together with --undo,
// and paths, --undo or --json together with --show-rule. --help and --version are accepted whatever
// else is there.
CliOptions parseCliOptions(const std::vector<std::string>& args);

// The text of --help.
std::string helpText();

// "rinoza-cli <version>".
std::string versionText();

} // namespace rinoza::cli
