#pragma once

#include "platform/DateTime.h"
#include "platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace rinoza {

// One row of the file list. name and folder are the file's bytes; the other columns, remarks
// included, are the texts the list shows (UTF-8): a name in them is its displayed text.
// The full path of a row's file is joinPath(folder, name).
struct FileListRow {
    std::string name;
    std::string folder; // without trailing "/"; the root is "/"
    // The folder as it was when the row was listed; a run or change acts in that very folder only.
    FolderId folderId;
    int64_t size = 0;
    std::string sizeText;
    std::string extensionText;
    std::string createdText;
    std::string updatedText;
    std::string accessedText;
    std::string attributeText;
    std::string remarks = " ";
    // The failure a result preview foretold for the file (an outcome text such as "x:既に存在"); empty
    // when none. Shown beside the remarks, never instead of them.
    std::string mark;
    // A note on how the last name built for the row came about (shown beside the remarks); empty
    // when none.
    std::string note;
    bool hasIcon = false; // icons were on when the row was made
    // What the search or the intake read of the file (links followed), so that a run or preview
    // that finds the file unchanged does not read it again.
    FileStamp stamp;
};

// The note of a row whose last built name took the update time for want of a date taken.
inline constexpr std::string_view kNoDateTakenTip = "撮影日時がないため、ファイル更新日時を使いました";

// Column texts.
std::string SizeText(int64_t bytes);                          // "0KB", "1KB" (1..1023 bytes), bytes/1024 "KB"
int64_t SizeKb(int64_t bytes);                                // the kilobytes SizeText shows
std::string ExtensionText(std::string_view name);             // after the last ".", upper-cased; "" without "."
std::string DateColumnText(const std::optional<FileTime>& t); // "yyyy/mm/dd[ hh:nn:ss]" or "(不明)"
std::string AttributeText(uint32_t attributes);               // "R" "H" "S" "A" or two blanks per slot

// The date column texts of the last few moments met, for many rows in turn: rows changed together
// mostly share their times, and a local time conversion costs more than a file's system calls. For
// the length of one operation only (a change of the time zone meanwhile is not seen).
class DateTextMemo {
public:
    // DateColumnText(t).
    const std::string& text(const std::optional<FileTime>& t);

private:
    struct Entry {
        int64_t sec = 0;
        std::string text;
    };
    std::array<Entry, 4> m_entries;
    std::size_t m_used = 0;
    std::size_t m_next = 0;
    std::string m_unknown;
};

// A row for a file, from its information and the folder column text (the date texts through memo
// when one is given).
FileListRow makeFileListRow(const FileInfo& info, const std::string& folder, bool withIcon,
                            DateTextMemo* memo = nullptr);

// Rewrites size, the three times and the attributes of a row from the file's information (the
// date texts through memo when one is given).
void refreshRowFromInfo(FileListRow& row, const FileInfo& info, DateTextMemo* memo = nullptr);

// The row-count status text: "<n> 個のファイルがリストアップされています。"
std::string rowCountStatusText(int64_t rows);

} // namespace rinoza
