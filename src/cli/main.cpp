#include "cli/CliCommand.h"
#include "cli/CliOptions.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/Terminal.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "rinoza-cli: %s (--help で使い方を表示)\n", message);
    return rinoza::cli::kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    using namespace rinoza::cli;
    using rinoza::PosixFileSystem;
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    try {
        const CliOptions options = parseCliOptions(args);
        if (options.help) {
            std::fputs(helpText().c_str(), stdout);
            return kExitSuccess;
        }
        if (options.version) {
            std::puts(versionText().c_str());
            return kExitSuccess;
        }
        // The program works on this machine's file system, in its terminal.
        PosixFileSystem fs;
        const TerminalStreams terminals{rinoza::isTerminal(rinoza::kStandardInput),
                                        rinoza::isTerminal(rinoza::kStandardOutput),
                                        rinoza::isTerminal(rinoza::kStandardError)};
        return runCli(options, fs, terminals);
    } catch (const UsageError& e) {
        return usage(e.what());
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "rinoza-cli: %s\n", e.what());
        return kExitFailure;
    }
}
