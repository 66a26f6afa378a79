#pragma once

// The operations' questions and messages as the window shows them: message boxes through
// BeepMessageDlg (and so through the prompts seam), with each question's buttons and icon.

#include "common/OperationPrompts.h"

namespace rinoza {

class WindowPrompts final : public OperationPrompts {
public:
    bool ask(Question question, std::string_view text) override;
    void tell(Notice notice, std::string_view text) override;
    // By the one rule of the list (displayText).
    std::string shown(std::string_view bytes) const override;
};

// The window's prompts (they keep no state).
WindowPrompts& windowPrompts();

} // namespace rinoza
