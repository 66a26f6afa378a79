#pragma once

// The terminal side of rinoza-cli: rows on standard output; messages, questions and progress on
// standard error. The console is the front end the operations ask and report through.

#include "common/OperationPrompts.h"
#include "operations/ProgressDisplay.h"

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

class Console final : public OperationPrompts, public ProgressDisplay {
public:
    // yes: every question is answered Yes without asking (--yes).
    explicit Console(const TerminalStreams& terminals, bool yes = false);
    ~Console() override;

    // Whether a person answers questions (standard input is a terminal).
    bool interactive() const { return m_interactive; }

    // One line on standard output (the line end is added).
    void row(std::string_view line);
    // One line on standard error, prefixed with "rinoza-cli: ".
    void message(std::string_view text);
    // Asks on standard error and reads a line from standard input; true for y, yes or はい.
    bool askLine(std::string_view question);

    // The operations' questions: --yes answers each Yes. Without a person to answer, the folder is
    // made, the undo goes ahead, and a system file is left as it is; otherwise the person is asked.
    bool ask(Question question, std::string_view text) override;
    bool answersYes(Question question) const override;
    // Messages go to standard error, on one line.
    void tell(Notice notice, std::string_view text) override;
    // readableText: control characters and bytes that are no text are escaped.
    std::string shown(std::string_view bytes) const override;

    // A progress line "<activity> <position>/<maximum>" (without a maximum of 0) on standard error,
    // shown only when that is a terminal and the work has gone on for a while; redrawn at most every
    // 100 ms. Ctrl+C meanwhile asks the work to stop before its next item; a second one ends the
    // program at once.
    void begin(std::string_view activity) override;
    ProgressCallbacks callbacks() override;
    void end() override;
    void progress(int position);
    // Whether Ctrl+C was pressed since the progress began.
    static bool interrupted();

private:
    void clearProgress();

    bool m_yes = false;
    bool m_interactive = false;
    bool m_errorIsTerminal = false;
    bool m_outputIsTerminal = false;
    std::string m_activity;
    int m_maximum = 0;
    bool m_progressShown = false;
    bool m_interruptible = false;
    void (*m_previousHandler)(int) = nullptr;
    std::chrono::steady_clock::time_point m_started;
    std::chrono::steady_clock::time_point m_lastDrawn;
};

} // namespace rinoza::cli
