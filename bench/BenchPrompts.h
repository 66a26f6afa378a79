#pragma once

// The prompts of the window benchmarks: every question gets its first button (Yes, or OK), every
// message is counted (a message would mean a wrong set-up), folder pickers are cancelled, URLs
// "open", and a dialog runs the handler the benchmark sets (rejected without one).

#include "common/ui/UserPrompts.h"

#include <QDialog>
#include <functional>

namespace rinoza::bench {

class BenchPrompts final : public UserPrompts {
public:
    int messages = 0;
    std::function<int(QDialog&)> dialog;

    int message(const QString&, MsgType, MsgButtons buttons) override {
        ++messages;
        return buttons == MsgButtons::YesNo ? mrYes : mrOk;
    }
    void plainMessage(const QString&) override { ++messages; }
    bool pickFolder(QWidget*, const QString&, QString&) override { return false; }
    int execDialog(QDialog& d) override { return dialog ? dialog(d) : 0; }
    bool openUrl(const QString&) override { return true; }
};

} // namespace rinoza::bench
