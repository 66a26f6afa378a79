#include "operations/Messages.h"

namespace rinoza::msg {

std::string systemFileQuestion(std::string_view shownPath) {
    std::string text(shownPath);
    text += " はシステムファイルです。変名してよろしいですか？";
    return text;
}

std::string createFolderQuestion(std::string_view shownFolder) {
    std::string text = "フォルダ[ ";
    text += shownFolder;
    text += " ]が存在しません。\r\n作成しますか？";
    return text;
}

std::string searchLimitMessage(int limit) {
    return "検索数が" + std::to_string(limit) + "を越えました。検索が途中で中止されます。\n検索設定を見直して下さい。";
}

std::string previewStatus(int failing, bool cancelled) {
    std::string text = cancelled ? std::string(kPreviewStopped) : std::string();
    if (failing > 0)
        text += std::to_string(failing) + " 個のファイルは変名できません。";
    else
        text += kNothingFails;
    return text;
}

std::string undoStatus(std::string_view countText, bool noteWritten) {
    std::string text(countText);
    if (!noteWritten) {
        text += kUndoNoteNotWritten;
        text += kUndoNoteConsequence;
    }
    return text;
}

std::string runQuestion(std::size_t files, int method, std::string_view shownDestination) {
    static constexpr std::string_view kVerbs[] = {"変名", "変名してコピー", "変名して移動"};
    std::string text = std::to_string(files) + "個のファイルを";
    text += kVerbs[method >= 0 && method <= 2 ? method : 0];
    if (method == 1 || method == 2) {
        text += " (先: ";
        text += shownDestination;
        text += ")";
    }
    text += "します。よろしいですか？";
    return text;
}

std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

} // namespace rinoza::msg
