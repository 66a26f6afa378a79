#pragma once

// What shows an operation's progress: the window's progress dialog (which disables the window and
// offers a stop button), or rinoza-cli's progress line.

#include "run/RunProgress.h"

#include <string_view>

namespace rinoza {

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;
    // The work named activity starts.
    virtual void begin(std::string_view activity) = 0;
    // What the engine reports through while the work goes on.
    virtual ProgressCallbacks callbacks() = 0;
    // The work has ended (also when it leaves by an exception).
    virtual void end() = 0;
    // Whether reading the stop flag now lets pending events run first (the window's time slice is
    // over), so that what the work has to show should be handed over before.
    virtual bool pumpDue() const { return false; }
};

// Ends the progress shown whatever way the scope is left.
class ProgressScope {
public:
    ProgressScope(ProgressDisplay& display, std::string_view activity) : m_display(display) {
        m_display.begin(activity);
    }
    ~ProgressScope() { end(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    void end() {
        if (m_open)
            m_display.end();
        m_open = false;
    }

private:
    ProgressDisplay& m_display;
    bool m_open = true;
};

} // namespace rinoza
