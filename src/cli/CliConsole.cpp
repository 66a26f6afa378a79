#include "cli/CliConsole.h"

#include <cstdio>
#include <iostream>

namespace rinoza::cli {

namespace {

// Work shorter than this shows no progress line at all.
constexpr std::chrono::milliseconds kProgressDelay{500};
constexpr std::chrono::milliseconds kProgressRedraw{100};

void toError(std::string_view s) {
    std::fwrite(s.data(), 1, s.size(), stderr);
}

} // namespace

Console::Console(const TerminalStreams& terminals)
    : m_interactive(terminals.input), m_errorIsTerminal(terminals.error), m_outputIsTerminal(terminals.output) {}

void Console::row(std::string_view line) {
    if (m_outputIsTerminal)
        clearProgress();
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void Console::message(std::string_view text) {
    clearProgress();
    std::fflush(stdout);
    toError("rinoza-cli: ");
    toError(text);
    toError("\n");
}

bool Console::ask(std::string_view question) {
    clearProgress();
    std::fflush(stdout);
    toError(question);
    toError(" [y/N] ");
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "はい";
}

void Console::beginProgress(std::string_view activity, int maximum) {
    m_activity = activity;
    m_maximum = maximum;
    m_started = std::chrono::steady_clock::now();
    m_lastDrawn = m_started;
}

void Console::progress(int position) {
    if (!m_errorIsTerminal)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_started < kProgressDelay || (m_progressShown && now - m_lastDrawn < kProgressRedraw))
        return;
    m_lastDrawn = now;
    if (m_outputIsTerminal)
        std::fflush(stdout);
    std::string line(1, '\r');
    line += m_activity;
    line += ' ';
    line += std::to_string(position);
    if (m_maximum > 0) {
        line += '/';
        line += std::to_string(m_maximum);
    }
    line += "\x1b[K";
    toError(line);
    m_progressShown = true;
}

void Console::endProgress() {
    clearProgress();
}

void Console::clearProgress() {
    if (!m_progressShown)
        return;
    toError("\r\x1b[K");
    m_progressShown = false;
}

} // namespace rinoza::cli
