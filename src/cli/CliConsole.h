#pragma once

// The terminal side of rinoza-cli: rows on standard output, messages, questions and progress on
// standard error.

#include <chrono>
#include <string>
#include <string_view>

namespace rinoza::cli {

// Which standard streams are terminals (a person may be reading and typing there).
struct TerminalStreams {
    bool input = false;
    bool output = false;
    bool error = false;
};

class Console {
public:
    explicit Console(const TerminalStreams& terminals);

    // Whether a person answers questions (standard input is a terminal).
    bool interactive() const { return m_interactive; }

    // One line on standard output (the line end is added).
    void row(std::string_view line);
    // One line on standard error, prefixed with "rinoza-cli: ".
    void message(std::string_view text);
    // Asks on standard error and reads a line from standard input; true for y, yes or はい.
    bool ask(std::string_view question);

    // A progress line "<activity> <position>/<maximum>" (without a maximum of 0) on standard error, shown only when
    // that is a terminal and the work has gone on for a while; redrawn at most every 100 ms.
    void beginProgress(std::string_view activity, int maximum);
    void progress(int position);
    void endProgress();

private:
    void clearProgress();

    bool m_interactive = false;
    bool m_errorIsTerminal = false;
    bool m_outputIsTerminal = false;
    std::string m_activity;
    int m_maximum = 0;
    bool m_progressShown = false;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lastDrawn;
};

} // namespace rinoza::cli
