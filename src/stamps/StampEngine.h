#pragma once

// The timestamp and attribute change over the rows of the file list: changes each row's file, writes
// the outcome into its remarks and rewrites its size, time and attribute columns from the file. No
// history is kept; nothing of a change can be undone by the program.

#include "common/Myfunction.h"
#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"
#include "run/RunProgress.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rinoza {

namespace stampText {
inline constexpr std::string_view kStopped = "変更処理が途中で終了しました。";
inline constexpr std::string_view kChanged = "個のファイルが正常に変更されました。";
} // namespace stampText

namespace stampOutcome {
inline constexpr std::string_view kOk = "OK";
inline constexpr std::string_view kAttrError = "x:Err(Attr)";
// "x:Err(Date&Time<" + the error number in decimal + ">)"
std::string timeError(int err);
} // namespace stampOutcome

// What one change run does to every file: its times or its attributes.
struct StampRequest {
    enum class Kind { Times, Attributes };
    Kind kind = Kind::Times;
    TimeChange times;      // with Kind::Times
    AttrChange attributes; // with Kind::Attributes
};

// Which date of a timestamp change forms no existing date, the creation date tested first.
enum class DateCheck { Valid, BadCreation, BadUpdate };
// Tests both dates, whichever times the change writes: an empty field counts as 1 in every digit.
DateCheck checkDates(const TimeChange& change);

struct StampCallbacks : ProgressCallbacks {
    // Rows [first, first + count) got their outcome and new columns. Called in order, once for every
    // run of rows done between two event pumps, and once at the end.
    std::function<void(std::size_t first, std::size_t count)> rowsChanged;
};

struct StampResult {
    int changed = 0;        // rows that read "OK"
    bool cancelled = false; // the stop flag was set when the run ended

    // "<n>個のファイルが正常に変更されました。", after "変更処理が途中で終了しました。" when cancelled.
    std::string statusText() const;
};

// Rewrites a row's size, its three times and its attributes from its file (links followed), by the
// rules the list uses. False, with the row untouched, when the file cannot be found.
bool RefreshRowFromFile(FileListRow& row, FileSystem& fs);

class StampEngine {
public:
    explicit StampEngine(FileSystem& fs) : m_fs(fs) {}

    // Changes the file of every row in order, until the stop flag is set. Each row's remarks become
    // "OK", "x:Err(Date&Time<errno>)" or "x:Err(Attr)"; a failed row does not stop the run. A time
    // the file system did not keep as written (it clamps what it cannot store) fails its row with
    // "x:Err(Date&Time<34>)", and the row shows the time the file has. rows may be a list's own:
    // events run between two rows may shorten it, and the run ends at its end. Each folder is opened
    // once and its files are changed relative to it; a row's folder that is no longer the folder it
    // was listed in (a link or another folder put in its place) is never acted in (ESTALE).
    StampResult run(std::vector<FileListRow>& rows, const StampRequest& request, const StampCallbacks& callbacks);

    // One row: the change, the outcome and the refresh. True when the row reads "OK".
    bool changeRow(FileListRow& row, const StampRequest& request);

private:
    // What a run works out once for all its rows.
    struct RunMemo {
        PreparedTimeChange times;
        DateColumnMemo dates;
    };
    bool changeRow(FileListRow& row, const StampRequest& request, RunMemo& memo);
    // The row's folder, opened once per run; null (with the errno) when it cannot be or is no longer
    // the folder listed.
    const Folder* folderOf(const FileListRow& row, int& err);

    FileSystem& m_fs;
    struct Opened {
        int error = 0;
        std::unique_ptr<Folder> folder;
    };
    std::unordered_map<std::string, Opened> m_folders;
};

} // namespace rinoza
