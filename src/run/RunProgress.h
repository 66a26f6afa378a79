#pragma once

// How a long operation of this subsystem talks to whoever shows it: a progress bar, a way to let
// pending window events run, and the stop flag those events may set.

#include <chrono>
#include <functional>

namespace rinoza {

struct ProgressCallbacks {
    std::function<void(int maximum)> setMaximum; // position 0, new maximum; called once at the start
    std::function<void(int position)> setPosition;
    std::function<void()> pumpEvents;      // let pending window events run (the stop button is served here)
    std::function<bool()> cancelRequested; // the stop flag; read once per item
    // Events run at most this often while items go by; 0 lets them run after every item.
    std::chrono::milliseconds pumpInterval{20};
};

// Advances the position item by item and passes it on, with an event pump, once per time slice.
class ProgressPacer {
public:
    explicit ProgressPacer(const ProgressCallbacks& cb) : m_cb(cb), m_last(std::chrono::steady_clock::now()) {}

    void start(int maximum) {
        m_position = 0;
        if (m_cb.setMaximum)
            m_cb.setMaximum(maximum);
    }

    bool cancelRequested() const { return m_cb.cancelRequested && m_cb.cancelRequested(); }

    // One item further; shows the position and lets events run when the slice is used up. The clock
    // is read every few items: items of a long run take microseconds each.
    void step() {
        if (stepDue())
            flush();
    }

    // One item further, without showing it: true when the slice is used up and flush() is due.
    bool stepDue() {
        ++m_position;
        if (m_cb.pumpInterval.count() > 0 && (m_position & 7) != 0)
            return false;
        auto now = std::chrono::steady_clock::now();
        if (m_cb.pumpInterval.count() > 0 && now - m_last < m_cb.pumpInterval)
            return false;
        m_last = now;
        return true;
    }

    // Shows the position reached and lets events run now.
    void flush() {
        if (m_cb.setPosition)
            m_cb.setPosition(m_position);
        pump();
    }

    void pump() {
        if (m_cb.pumpEvents)
            m_cb.pumpEvents();
    }

    int position() const { return m_position; }

private:
    const ProgressCallbacks& m_cb;
    std::chrono::steady_clock::time_point m_last;
    int m_position = 0;
};

} // namespace rinoza
