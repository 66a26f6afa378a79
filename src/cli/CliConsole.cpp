#include "cli/CliConsole.h"

#include "cli/CliText.h"
#include "operations/Messages.h"

#include <csignal>
#include <cstdio>
#include <iostream>

namespace rinoza::cli {

namespace {

// Work shorter than this shows no progress line at all.
constexpr std::chrono::milliseconds kProgressDelay{500};
constexpr std::chrono::milliseconds kProgressRedraw{100};

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int) {
    if (g_interrupted != 0) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
    g_interrupted = 1;
}

void toError(std::string_view s) {
    std::fwrite(s.data(), 1, s.size(), stderr);
}

} // namespace

Console::Console(const TerminalStreams& terminals, bool yes)
    : m_yes(yes), m_interactive(terminals.input), m_errorIsTerminal(terminals.error),
      m_outputIsTerminal(terminals.output) {}

Console::~Console() {
    end();
}

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

bool Console::askLine(std::string_view question) {
    clearProgress();
    std::fflush(stdout);
    toError(question);
    toError(" [y/N] ");
    std::string answer;
    if (!std::getline(std::cin, answer))
        return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "はい";
}

bool Console::answersYes(Question question) const {
    return m_yes || (!m_interactive && question != Question::SystemFile);
}

bool Console::ask(Question question, std::string_view text) {
    if (answersYes(question))
        return true;
    return m_interactive && askLine(msg::oneLine(text));
}

void Console::tell(Notice, std::string_view text) {
    message(msg::oneLine(text));
}

std::string Console::shown(std::string_view bytes) const {
    return readableText(bytes);
}

void Console::begin(std::string_view activity) {
    m_activity = activity;
    m_maximum = 0;
    m_started = std::chrono::steady_clock::now();
    m_lastDrawn = m_started;
    if (!m_interruptible) {
        g_interrupted = 0;
        m_previousHandler = std::signal(SIGINT, onInterrupt);
        m_interruptible = true;
    }
}

ProgressCallbacks Console::callbacks() {
    ProgressCallbacks cb;
    cb.setMaximum = [this](int maximum) { m_maximum = maximum; };
    cb.setPosition = [this](int position) { progress(position); };
    cb.cancelRequested = [] { return g_interrupted != 0; };
    return cb;
}

void Console::end() {
    clearProgress();
    if (m_interruptible) {
        std::signal(SIGINT, m_previousHandler == SIG_ERR ? SIG_DFL : m_previousHandler);
        m_interruptible = false;
    }
}

bool Console::interrupted() {
    return g_interrupted != 0;
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

void Console::clearProgress() {
    if (!m_progressShown)
        return;
    toError("\r\x1b[K");
    m_progressShown = false;
}

} // namespace rinoza::cli
