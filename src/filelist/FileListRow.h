#pragma once

#include "platform/DateTime.h"
#include "platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace rinoza {

// One row of the file list. name and folder are the file's bytes; the remarks are texts the list
// shows (UTF-8): a name in them is its displayed text. The other columns' texts are made from the
// row's fields when asked for (the functions below the fields).
// The full path of a row's file is joinPath(folder, name).
struct FileListRow {
    std::string name;
    std::string folder; // without trailing "/"; the root is "/"
    // The folder as it was when the row was listed; a run or change acts in that very folder only.
    FolderId folderId;
    int64_t size = 0;
    // The three times as the date columns show them (DateColumnDate), read in the time zone of the
    // moment the row was made or refreshed.
    uint32_t created = 0;
    uint32_t updated = 0;
    uint32_t accessed = 0;
    uint32_t attributes = 0; // FileAttr bits
    // The file's details were read: size, extension, dates and attributes have texts. A row of a
    // search without details has its name and folder only.
    bool detailed = false;
    bool hasIcon = false; // icons were on when the row was made
    std::string remarks = " ";
    // The failure a result preview foretold for the file (an outcome text such as "x:既に存在"); empty
    // when none. Shown beside the remarks, never instead of them.
    std::string mark;
    // A note on how the last name built for the row came about (shown beside the remarks); empty
    // when none.
    std::string note;
    // What the search or the intake read of the file (links followed), so that a run or preview
    // that finds the file unchanged does not read it again.
    FileStamp stamp;

    // The columns' texts (UTF-8), all empty without details. The extension follows the name.
    std::string sizeText() const;
    std::string extensionText() const;
    std::string createdText() const;
    std::string updatedText() const;
    std::string accessedText() const;
    std::string attributeText() const;
};

// The note of a row whose last built name took the update time for want of a date taken.
inline constexpr std::string_view kNoDateTakenTip = "撮影日時がないため、ファイル更新日時を使いました";

// Column texts.
std::string SizeText(int64_t bytes);                          // "0KB", "1KB" (1..1023 bytes), bytes/1024 "KB"
int64_t SizeKb(int64_t bytes);                                // the kilobytes SizeText shows
std::string ExtensionText(std::string_view name);             // after the last ".", upper-cased; "" without "."
std::string DateColumnText(const std::optional<FileTime>& t); // "yyyy/mm/dd[ hh:nn:ss]" or "(不明)"
std::string AttributeText(uint32_t attributes);               // "R" "H" "S" "A" or two blanks per slot

// What a date column shows of a time, kept in four bytes: its local date and time at the two-second
// grain, packed as a DOS date and time; 0 when the time is unknown or outside the years 1980 to 2107.
uint32_t DateColumnDate(const std::optional<FileTime>& t);
// The column text of such a value: DateColumnText(t) == DateColumnDateText(DateColumnDate(t)).
std::string DateColumnDateText(uint32_t date);

// The date column values of the last few moments met, for many rows in turn: rows changed together
// mostly share their times, and a local time conversion costs more than a file's system calls. For
// the length of one operation only (a change of the time zone meanwhile is not seen).
class DateColumnMemo {
public:
    // DateColumnDate(t).
    uint32_t date(const std::optional<FileTime>& t);

private:
    struct Entry {
        int64_t sec = 0;
        uint32_t date = 0;
    };
    std::array<Entry, 4> m_entries;
    std::size_t m_used = 0;
    std::size_t m_next = 0;
};

// A row for a file, from its information and the folder column text (the dates through memo when
// one is given).
FileListRow makeFileListRow(const FileInfo& info, std::string folder, bool withIcon, DateColumnMemo* memo = nullptr);

// Rewrites size, the three times and the attributes of a row from the file's information (the
// dates through memo when one is given).
void refreshRowFromInfo(FileListRow& row, const FileInfo& info, DateColumnMemo* memo = nullptr);

// The row-count status text: "<n> 個のファイルがリストアップされています。"
std::string rowCountStatusText(int64_t rows);

} // namespace rinoza
