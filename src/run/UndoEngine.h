#pragma once

// Undoes the last rename run from its history file.

#include "common/WorkerThread.h"
#include "platform/FileSystem.h"
#include "run/HistoryFile.h"
#include "run/PathHashes.h"
#include "run/RunProgress.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rinoza {

namespace history {

// The comment line an undo appends to the history: "{戻し済み:" + the numbers of the records it
// restored (counted from 1 in file order; runs written as "3-7") + "}". The records stay as they
// were, so the file still reads and views as before, and every reader skips the line as a comment.
inline constexpr std::string_view kUndoneNotePrefix = "{戻し済み:";

// The note for the given record numbers (ascending).
std::string undoneNote(const std::vector<int>& numbers);

// The runs of record numbers a note lists (first, last), added to ranges; false (and nothing added)
// for a line that is not a well-formed note.
bool readUndoneNote(std::string_view line, std::vector<std::pair<int, int>>& ranges);

} // namespace history

struct UndoResult {
    int restored = 0;       // records whose file went back
    int seen = 0;           // "[A]" lines handled (but those of renames that never happened)
    int notTheRunsFile = 0; // records left: the file at the new path is not the one the run left there
    int pending = 0;        // records no earlier undo had restored when this one began
    int maximum = 0;        // the progress maximum that was set
    bool cancelled = false;
    int error = 0; // errno when the file could not be read (nothing was undone then)
    std::string errorMessage;
    std::vector<int> restoredRecords; // numbers of the records restored by this undo, ascending
    int noteError = 0;                // errno when the note of what was restored could not be appended

    // "<restored>/<seen>個が変名を戻されました。", then, when notTheRunsFile is not 0,
    // "<notTheRunsFile>個は変名後に別のファイルに替わったか変更されたため、戻していません。"
    std::string statusText() const;
};

// One reversal the history file asks for.
struct UndoRecord {
    RenameMethod method = RenameMethod::RenameOnly;
    std::string before;
    std::string after;
    int number = 0;      // counted from 1 in file order
    bool undone = false; // a note of an earlier undo lists it
    // The file the run left at the after path, from the identity line right after the record; nullopt
    // when there is none (a history of the Windows version or of an older run). An identity line that
    // does not read as one leaves identityDamaged set: no file can be shown to be the run's then.
    std::optional<FileIdentity> identity;
    bool identityDamaged = false;
    // A line of the run's end follows: the record's operation happened (else it was voided).
    bool settled = false;
    // The last record of an unfinished history that lacks the identity line the others have: its
    // write was cut short (a kill stops a long write where it finds it, even inside a path), so its
    // rename was not made.
    bool cutShort = false;
};

// What reversing one record came to.
enum class Reversal {
    Restored,
    Failed,         // a path the run cannot have written, a file that is not there, a name taken, ...
    NotTheRunsFile, // the file at the after path is not the one the record's identity names
    Pending,        // moved back to another file system; done once its batch is on the disk
    NeverHappened   // the file is still at the before path with the record's identity: no record at all
};

class UndoEngine {
public:
    explicit UndoEngine(FileSystem& fs) : m_fs(fs) {}

    // Reads the history file at path and reverses its records, last first, leaving out those an
    // earlier undo restored. When any record was restored, appends the note that lists them; the
    // file is otherwise never changed. The history file itself is never acted on.
    UndoResult run(const std::string& path, const ProgressCallbacks& progress);

    // Same, over lines already read; appends no note.
    UndoResult runLines(const std::vector<std::string>& lines, const ProgressCallbacks& progress);

    // The records of a history, in file order. "{" lines are comments (a note of an earlier undo
    // marks the records it lists; an identity line right after an "[A]" line gives that record its
    // identity; a void note of the run leaves the records it lists out, their numbers still
    // counted); an exact method line sets the method of the records after it;
    // "[B]" sets the before path; "[A]" makes a record with the last before path (empty when none
    // came yet); every other line is ignored.
    static std::vector<UndoRecord> parseRecords(const std::vector<std::string>& lines);

    // The progress maximum for a file of lineCount lines (identity lines not counted):
    // (lineCount - 6) / 2, never below 0.
    static int progressMaximum(std::size_t lineCount);

    // Reverses one record, relative to the folders of its two paths (each opened once per undo).
    // Only what a run can have written is followed: both paths absolute and without "..", the file
    // at the after path a regular file or a link (never a folder, pipe or device), and never the
    // history file. Never replaces an existing file: a rename or move back fails when the old path is
    // taken, unless the file there and the one to move back are the same bytes (a move to another
    // file system cut off before its source was removed), when the second one goes. A copy is only
    // deleted while its source still exists, the copy is a regular file, it is not the source itself
    // (a source that is a link is read where it points), it still has the source's size and last
    // write time (as a file system of coarser times keeps it: the same whole second, or less than
    // two seconds apart), and it holds the very bytes of the source, so an undo never destroys the
    // last copy of a file nor anything written later under the copy's name. A rename or move record
    // with an identity is reversed only while the file at the after path has it (same device, inode,
    // size and last write time), so a file that took the name since, or the run's file changed
    // since, stays where it is. A move back to another file system is Pending until its batch is on
    // the disk (see Transfers.h); run() and runLines() count it once it is.
    Reversal reverse(const UndoRecord& record);

private:
    // Whether the file `copyName` of copyFolder (looked up as `copy`) is a copy of the file
    // `sourceName` of sourceFolder, by the rules above.
    bool isCopyOf(const Folder& sourceFolder, const std::string& sourceName, const Folder& copyFolder,
                  const std::string& copyName, const FileInfo& copy);
    // The folder of the path, opened once per undo; null when it cannot be.
    const Folder* folderOf(const std::string& path);
    // Makes the pending moves durable and counts those that are done.
    void flushPending(UndoResult& result);
    bool isHistory(const FileInfo& info) const;

    // A plain rename back whose checks are done, made with others on the worker thread: the undo
    // checks the next records meanwhile. A record that names a path of one still waiting or under way
    // waits for them all (see runLines).
    struct QueuedReversal {
        const Folder* from;
        std::string fromName;
        const Folder* to;
        std::string toName;
        int number;
    };
    struct ReversalBatch {
        std::vector<QueuedReversal> renames;
        std::vector<int> errors;
        PathHashes paths;
        uint64_t job = 0;
    };
    void queueReversal(const UndoRecord& r, const Folder& afterFolder, const std::string& afterName,
                       const Folder& beforeFolder, const std::string& beforeName);
    bool queueTouches(const UndoRecord& r) const;
    // Starts the waiting renames on the worker thread (keeping at most two batches under way) and,
    // with wait, settles every batch: its renames that were made count as restored.
    void renameQueued(UndoResult& result, bool wait);

    FileSystem& m_fs;
    bool m_ahead = false;      // plain renames back go to the worker thread
    bool m_queuedLast = false; // reverse() queued the record it was given
    std::vector<QueuedReversal> m_queued;
    PathHashes m_queuedPaths;
    std::deque<ReversalBatch> m_renaming; // oldest first
    std::unique_ptr<WorkerThread> m_worker;
    bool m_historyKnown = false;
    FileInfo m_history;
    std::unordered_map<std::string, std::unique_ptr<Folder>> m_folders;
    std::unique_ptr<TransferBatch> m_transfers;
    std::vector<int> m_pending; // numbers of the records whose moves wait for their batch
};

} // namespace rinoza
