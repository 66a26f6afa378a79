#pragma once

// The program's own texts for its operations, in one place for the window and rinoza-cli. A "\r" or
// "\n" in a text is a line break in the window's message box; a terminal shows the text on one
// line (oneLine).

#include <string>
#include <string_view>

namespace rinoza::msg {

// The rename run and its preview.
inline constexpr std::string_view kNoFilesToRename = "変名処理に対するファイルが選ばれていません。";
inline constexpr std::string_view kRunActivity = "変名中";
inline constexpr std::string_view kPreviewActivity = "備考に変名結果を表示中";
inline constexpr std::string_view kCannotMakeFolder = "ディレクトリを作成することができません";
inline constexpr std::string_view kPreviewStopped = "結果表示を中止しました。";
inline constexpr std::string_view kNothingFails = "変名できないファイルはありません。";
// A forecast row whose system file question the run will ask on a terminal.
inline constexpr std::string_view kAsksAtRun = "OK (実行時にシステムファイルの確認あり)";

// The undo.
inline constexpr std::string_view kHistoryMissing = "前回の変名履歴ファイルが見つかりません。";
inline constexpr std::string_view kUndoQuestion = "前回の変名を戻します。\rよろしいですか？";
inline constexpr std::string_view kUndoActivity = "前回の変名戻し中";
inline constexpr std::string_view kUndoNoteNotWritten = "戻した記録を変更履歴ファイルに書き込めません。";
inline constexpr std::string_view kUndoNoteConsequence =
    "次の「前回の変名を戻す」でも、これらの記録が戻す対象になります。";

// The timestamp and attribute changes.
inline constexpr std::string_view kNoFilesToChange = "変更処理に対するファイルが選ばれていません。";
inline constexpr std::string_view kBadCreationDate = "作成日付の指定が間違っています。";
inline constexpr std::string_view kBadUpdateDate = "更新日付の指定が間違っています。";
inline constexpr std::string_view kTimesQuestion =
    "リストに抽出されているファイルのタイムスタンプを変更します。\rよろしいですか？";
inline constexpr std::string_view kAttrQuestion =
    "リストに抽出されているファイルの属性を変更します。\rよろしいですか？";
inline constexpr std::string_view kChangeActivity = "変更中";

// Searching and taking in paths.
inline constexpr std::string_view kSearchActivity = "検索中";
inline constexpr std::string_view kNotFound = "ファイルもフォルダも見つかりません";
inline constexpr std::string_view kNotAFile = "通常のファイルでもフォルダでもありません";

// Questions and notes of rinoza-cli.
inline constexpr std::string_view kNothingChanged = "中止しました。何も変えていません。";

// "<path> はシステムファイルです。変名してよろしいですか？"
std::string systemFileQuestion(std::string_view shownPath);
// "フォルダ[ <folder> ]が存在しません。\r\n作成しますか？"
std::string createFolderQuestion(std::string_view shownFolder);
// "検索数が<limit>を越えました。検索が途中で中止されます。\n検索設定を見直して下さい。"
std::string searchLimitMessage(int limit);
// "<n> 個のファイルは変名できません。", or kNothingFails for none; after a stop kPreviewStopped first.
std::string previewStatus(int failing, bool cancelled);
// The undo's status: the engine's count, and when its note could not be written, what that means.
std::string undoStatus(std::string_view countText, bool noteWritten);
// "<n>個のファイルを<変名|変名してコピー|変名して移動>します。よろしいですか？" with " (先: <folder>)"
// before the question for a copy or move (method 0, 1, 2 as in the confirmation dialog).
std::string runQuestion(std::size_t files, int method, std::string_view shownDestination);

// The text with its line breaks taken out, for a terminal.
std::string oneLine(std::string_view text);

} // namespace rinoza::msg
