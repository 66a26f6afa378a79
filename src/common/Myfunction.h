#pragma once

// Small routines the windows share: the folder of a path, the long form of a path, file times and
// attributes from the text fields, line counts, and the checks of number, name and date fields.
// None of them keeps state. Routines that touch files take the file system to use.

#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rinoza {

// The characters a file name may not contain, in the order the checks remove them.
inline constexpr std::string_view kBadNameChars = "\\/:,;*?\"<>|";
// The message naming them (UTF-8), for a name field or a typed name that holds one.
inline constexpr std::string_view kBadNameCharsMessage =
    "ファイル名には次の文字は使用できません。\n \\ / : , ; * ? \" < > | ";

// The folder of a path without trailing "/": a folder (or a path that cannot be read) stands for
// itself, a file for the folder holding it. The root stays "/", so joinPath(result, name) is valid.
std::string FolderOfPath(const std::string& path, FileSystem& fs);

// The text without trailing "/" characters; a text made only of "/" becomes the root "/".
std::string TrimTrailingBackslash(std::string_view text);

// 1-based byte position of the last character ch in the text, whole characters compared; 0 if none.
std::size_t LastCharPos(char32_t ch, std::string_view text);

// The absolute form of a path (against the working folder, with "." and doubled "/" removed). Links
// stay as named; ".." goes up from where the path so far really is, so after a link it leaves the
// link's target, as the kernel does.
// Throws std::runtime_error("ファイルが見つかりません。") when a component does not exist, and for the
// root itself, which has no component to look up.
std::string GetLongPath(const std::string& path, FileSystem& fs);

// The fields of one timestamp block as numbers; an empty field keeps that part of each file's
// present time (the "----" and "--" entries of the fields).
struct DateTimeFields {
    std::optional<int> year, month, day, hour, minute;

    bool operator==(const DateTimeFields&) const = default;
};

// A timestamp change: which times are written, and the fields each is formed from.
struct TimeChange {
    bool changeCreation = false;
    bool changeUpdate = false;
    DateTimeFields creation;
    DateTimeFields update;
};

// An attribute change: the FileAttr bits to change (read-only, archive, hidden, system) and, among
// them, those to set; the others of `change` are cleared.
struct AttrChange {
    uint32_t change = 0;
    uint32_t set = 0;
};

// The fields from their texts: "----" (year) and "--" (the others) stay empty, anything else must be a
// whole integer. nullopt when a text is neither.
std::optional<DateTimeFields> ParseDateTimeFields(std::string_view y, std::string_view m, std::string_view d,
                                                  std::string_view h, std::string_view n);

// "year/month/day" of the fields as the date check reads it, "----" and "--" for empty fields.
std::string DateTextOf(const DateTimeFields& f);

// Sets the creation and/or last write time of a file: each field that is not empty replaces that
// field of the file's present local time, seconds become 0, the fraction of a second stays. Returns
// 0, or errno with nothing written: that of the failed call, EACCES for a read-only file, EINVAL when
// a chosen time forms no existing date, ERANGE for a creation time the stored value cannot hold.
// ERANGE too, after the writes, when a time read back is not the one written (the file system kept
// another). Neither flag set: 0, and nothing is touched.
// `after` (may be null) gets the file's information after the attempt, as FileSystem::changeTimes
// gives it.
int ChangeFileDateTimes(const std::string& path, const TimeChange& change, FileSystem& fs,
                        std::optional<FileInfo>* after = nullptr);

// A timestamp change made ready for many files: a block whose five fields are all given names the
// same local minute for every file, worked out once here (local time conversions cost more than a
// file's own system calls).
struct PreparedTimeChange {
    TimeChange change;
    std::optional<FileTime> creationMinute; // nullopt unless every creation field is given
    std::optional<FileTime> updateMinute;   // nullopt unless every update field is given
};
PreparedTimeChange PrepareTimeChange(const TimeChange& change);
// ChangeFileDateTimes with a prepared change.
int ChangeFileDateTimes(const std::string& path, const PreparedTimeChange& change, FileSystem& fs,
                        std::optional<FileInfo>* after);

// Sets or clears the attribute bits of `change`. Returns 0 or errno (that of the failed call).
int ChangeFileAttributes(const std::string& path, const AttrChange& change, FileSystem& fs,
                         std::optional<FileInfo>* after = nullptr);

// ChangeFileDateTimes and ChangeFileAttributes of the file `name` of an open folder.
int ChangeFileDateTimesAt(FileSystem& fs, const Folder& folder, const std::string& name,
                          const PreparedTimeChange& change, std::optional<FileInfo>* after = nullptr);
int ChangeFileAttributesAt(FileSystem& fs, const Folder& folder, const std::string& name, const AttrChange& change,
                           std::optional<FileInfo>* after = nullptr);

// ChangeFileDateTimes from the texts of the timestamp fields. False, with nothing written, when a text
// is not a number or the placeholder, or the change fails.
bool SetFileDateTimes(const std::string& path, std::string_view cY, std::string_view cM, std::string_view cD,
                      std::string_view cH, std::string_view cN, std::string_view uY, std::string_view uM,
                      std::string_view uD, std::string_view uH, std::string_view uN, bool changeCreation,
                      bool changeUpdate, FileSystem& fs);

// Sets or clears read-only, archive, hidden and system where their change flag is set. True on success.
bool SetFileAttrBits(const std::string& path, bool changeReadOnly, bool changeArchive, bool changeHidden,
                     bool changeSystem, bool readOnly, bool archive, bool hidden, bool system, FileSystem& fs);

// Number of lines of a text file (a last line without a line break counts; an empty file has none).
// Throws std::system_error when the file cannot be opened or read.
int64_t CountFileLines(const std::string& path, FileSystem& fs);

// Whether "year/month/day" is an existing date; every "-" counts as "1", so "----/--/--" is valid
// and "----/02/29" is not (1111 is no leap year).
bool IsDateText(std::string_view text);

// The text of a number field made acceptable: "" gives "0", a whole integer is rewritten in decimal
// ("007" -> "7", "+5" -> "5"), otherwise the one character at which reading stopped is removed.
std::string FixNumberText(std::string_view text);

// The text without the first occurrence of each character in kBadNameChars (or in `bad`).
std::string RemoveBadNameChars(std::string_view text, std::string_view bad = kBadNameChars);

// The name as Windows keeps it: without its trailing periods and blanks ("README." gives "README",
// "a . " gives "a"); a name of periods and blanks only gives "".
std::string_view WithoutTrailingPeriodsAndBlanks(std::string_view name);

// The number in front of the unit of a size text ("12KB" -> 12). Throws std::invalid_argument when
// the rest is not an integer.
int64_t KbTextToInt(std::string_view text);

// Renames or moves a file within its file system; never replaces an existing target.
bool RenameFileTo(const std::string& oldPath, const std::string& newPath, FileSystem& fs);

} // namespace rinoza
