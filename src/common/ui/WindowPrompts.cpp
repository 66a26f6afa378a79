#include "common/ui/WindowPrompts.h"

#include "common/TextCodec.h"
#include "common/ui/UserPrompts.h"

namespace rinoza {

namespace {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

bool WindowPrompts::ask(Question question, std::string_view text) {
    switch (question) {
    case Question::SystemFile:
        // Closing the question counts as Yes; only No refuses.
        return BeepMessageDlg(qText(text), MsgType::Warning, MsgButtons::YesNo) != mrNo;
    case Question::CreateFolder:
    case Question::Undo:
    case Question::ChangeFiles:
        break;
    }
    return BeepMessageDlg(qText(text), MsgType::Information, MsgButtons::OkCancel) == mrOk;
}

void WindowPrompts::tell(Notice notice, std::string_view text) {
    const MsgType type = notice == Notice::Error     ? MsgType::Error
                         : notice == Notice::Warning ? MsgType::Warning
                                                     : MsgType::Information;
    BeepMessageDlg(qText(text), type, MsgButtons::Ok);
}

std::string WindowPrompts::shown(std::string_view bytes) const {
    return displayText(bytes);
}

WindowPrompts& windowPrompts() {
    static WindowPrompts prompts;
    return prompts;
}

} // namespace rinoza
