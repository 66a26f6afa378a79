#pragma once

// The record of the last rename run: a text file of fixed header lines, a method line, and one
// "[B]"/"[A]" pair of lines per file handled. Paths in records are the file system's bytes, written
// and read back unchanged.

#include "platform/DateTime.h"
#include "platform/FileSystem.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rinoza {

// What tells the file a rename or move left at its new path from any other file that takes that name
// later: a file system reuses a freed inode number at once, so its size and last write time count too.
struct FileIdentity {
    uint64_t dev = 0;
    uint64_t ino = 0;
    int64_t size = 0;
    FileTime lastWrite;

    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file info describes (as read without following links); nullopt when its last
// write time is unknown.
std::optional<FileIdentity> identityOf(const FileInfo& info);

// How a run treats each file; the value is the index of the method in the confirmation dialog.
enum class RenameMethod : int { RenameOnly = 0, RenameAndCopy = 1, RenameAndMove = 2 };

namespace history {

// Lines 1..7 and 9 of the file (each 40 bytes wide in the Windows code page).
inline constexpr std::string_view kTitleLine = "{---------＜変更履歴ファイル＞---------}";
inline constexpr std::string_view kChangedLegendLine = "{    [Changed]=変名ファイル            }";
inline constexpr std::string_view kCopyedLegendLine = "{    [Copyed] =変名＋コピーファイル    }";
inline constexpr std::string_view kMovedLegendLine = "{    [Moved]  =変名＋移動ファイル      }";
inline constexpr std::string_view kRecordLegendLine = "{    [B]=変更前 / [A]=変更後           }";
inline constexpr std::string_view kSeparatorLine = "{--------------------------------------}";
inline constexpr std::string_view kDoNotEditLine = "{※このファイルは直接編集しないで下さい}";

inline constexpr std::string_view kChanged = "[Changed]";
inline constexpr std::string_view kCopyed = "[Copyed]";
inline constexpr std::string_view kMoved = "[Moved]";
inline constexpr std::string_view kBefore = "[B]";
inline constexpr std::string_view kAfter = "[A]";

// The comment line that follows a rename or move record: "{識別:" + device + "," + inode + "," + size
// + "," + seconds + "." + nine digits of nanoseconds + "}", the numbers in decimal. Every reader of
// the history, the Windows version's too, skips it as a comment.
inline constexpr std::string_view kIdentityPrefix = "{識別:";
std::string identityLine(const FileIdentity& identity);
void appendIdentityLine(std::string& out, const FileIdentity& identity);
// The identity a line holds; nullopt for a line that is not a well-formed identity line.
std::optional<FileIdentity> readIdentityLine(std::string_view line);

// "[Changed]", "[Copyed]" or "[Moved]".
std::string_view methodLine(RenameMethod method);

// "{" + 17 blanks + "yyyy/mm/dd(曜) hh:nn" + " }", with the Japanese weekday kanji whatever the locale.
std::string dateLine(const LocalDateTime& t);

// The ten lines that open every history file, without line ends.
std::array<std::string, 10> headerLines(const LocalDateTime& t, RenameMethod method);

// The comment line that voids records whose operation never happened although the record could not
// be taken off the file: "{未実行:" + their numbers (counted from 1 in file order; runs written as
// "3-7") + "}". Readers pass comment lines over; the undo leaves such records out and does not count
// them.
inline constexpr std::string_view kVoidNotePrefix = "{未実行:";

// The comment line a run writes after its last record when it ends in order: every record above it
// is settled (its operation happened, or the record was taken back or voided). Without it, the
// records a run wrote ahead of its renames may name renames that never happened.
inline constexpr std::string_view kRecordsEndLine = "{記録終了}";

// A comment line of record numbers: prefix, the numbers (ascending; runs written as "3-7"), "}".
std::string numberNote(std::string_view prefix, const std::vector<int>& numbers);

// The runs of record numbers (first, last) a note with this prefix lists, added to ranges; false (and
// nothing added) for a line that is not a well-formed note of that prefix.
bool readNumberNote(std::string_view line, std::string_view prefix, std::vector<std::pair<int, int>>& ranges);

} // namespace history

// Writes a history file. Every line ends with CR LF; there is no byte-order mark. Each call writes
// straight to the file descriptor in one write(), so whatever a call reported as written survives
// the process being killed right after it.
class HistoryFile {
public:
    explicit HistoryFile(FileSystem& fs) : m_fs(fs) {}
    ~HistoryFile();
    HistoryFile(const HistoryFile&) = delete;
    HistoryFile& operator=(const HistoryFile&) = delete;

    // Writes the header and the method line to a new file beside path, flushes it to the disk and
    // renames it over path, keeping the old file's permissions; the records then go to that file. A
    // link at path is followed (a relative target from the link's folder), so the file it points to
    // is the one replaced, or created when it does not exist yet; the link stays. Returns 0 or an
    // errno; on failure nothing is open and whatever was at path is untouched (a folder gives EISDIR,
    // any other file that is not a regular file EEXIST, a file without any write bit or that this
    // user may not write EACCES, a loop of links ELOOP).
    int create(const std::string& path, const LocalDateTime& now, RenameMethod method);

    // Appends "[B]" + before and "[A]" + after, and the identity line of the file the operation will
    // leave at after when it is known beforehand, all in one write. Returns 0 or an errno; a record
    // that could not be written whole is taken off the file again (or, where the file cannot be cut
    // back, voided).
    int addRecord(std::string_view before, std::string_view after, const FileIdentity* identity = nullptr);

    // Appends the text of one record as addRecord() writes it to out.
    static void formatRecord(std::string& out, std::string_view before, std::string_view after,
                             const FileIdentity* identity);

    // Appends count records, formatted by formatRecord(), in one write; they get the numbers after
    // lastRecordNumber(). Returns 0 or an errno; on failure none of them counts: the file is cut
    // back to where they started or, when it cannot be cut, a note voids them.
    int addRecords(std::string_view records, int count);

    // Takes back the last count records of those addRecords() added last, which are the file's last
    // records, the first of them starting at offset in its text: the file is cut back there or, when
    // it cannot be cut or a note followed them, a note voids them. Used when their operations did not
    // happen. Returns 0 (they no longer count) or an errno.
    int dropAddedRecords(std::size_t offset, int count);

    // Appends the identity line of the record appended last, once its operation is done (a file made
    // anew by a move across file systems); the record is settled then and dropLastRecord() leaves it.
    // Returns 0 or an errno; half a line is taken off again.
    int addIdentity(const FileIdentity& identity);

    // The number of the record appended last (counted from 1 in file order), 0 before the first.
    int lastRecordNumber() const { return m_records; }

    // Takes back the record appended last: the file is cut back to its length before that record, or,
    // when it cannot be cut, a note voids the record. Used when the operation a record announced did
    // not happen. Returns 0 (the record no longer counts) or an errno.
    int dropLastRecord();

    // Voids records written earlier whose operations were taken back since (a note lists them).
    // Returns 0 or an errno.
    int voidRecords(const std::vector<int>& numbers);

    // Appends kRecordsEndLine. Returns 0 or an errno.
    int endRecords() { return isOpen() ? appendNote(std::string(history::kRecordsEndLine)) : EBADF; }

    // Flushes the records written so far to the disk; the file stays open. Returns 0 or an errno.
    int sync();

    // Flushes the data to the disk and closes. Returns 0 or the first errno met.
    int close();

    bool isOpen() const { return m_file && m_file->isOpen(); }
    const std::string& path() const { return m_path; }

    // Reads a history file into lines. Lines split on LF; a CR before the LF is removed; a last line
    // without line end counts. A file written by the Windows version (not valid UTF-8, and its first
    // line in the Windows code page is the known title) is converted to UTF-8 line by line; any other
    // file keeps its bytes, so paths that are not valid UTF-8 come back unchanged.
    // Returns 0 or an errno.
    static int read(FileSystem& fs, const std::string& path, std::vector<std::string>& lines);

    // Splits file content as read() does.
    static std::vector<std::string> splitContent(std::string_view content);

private:
    // Writes bytes at the end and counts what reached the file, also when the write fails part way.
    int append(std::string_view bytes);

    FileSystem& m_fs;
    std::unique_ptr<AppendFile> m_file;
    std::string m_path;
    // Appends a comment line, ending the last line first when a half-written one is left.
    int appendNote(const std::string& note);

    int64_t m_size = 0;
    int64_t m_lastRecordStart = -1;
    int64_t m_addedStart = -1;     // where the records of the last addRecords() start
    int m_records = 0;             // "[A]" lines in the file
    int m_recordsBeforeLast = 0;   // m_records before the record appended last
    bool m_endsWithLineEnd = true; // the last byte written is LF (or nothing was written)
};

} // namespace rinoza
