#pragma once

// The rename run over the rows of the file list: builds each row's new name, checks it, renames,
// copies or moves the file without ever replacing another, writes the outcome into the row and
// records every success in the history file.

#include "common/WorkerThread.h"
#include "filelist/FileListRow.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "rename/NameBuilder.h"
#include "rename/RenameRuleSet.h"
#include "run/ForecastFileSystem.h"
#include "run/HistoryFile.h"
#include "run/PathHashes.h"
#include "run/RunProgress.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace rinoza {

namespace outcome {
inline constexpr std::string_view kSameName = "x:同一名";
inline constexpr std::string_view kMissing = "x:存在しない";
inline constexpr std::string_view kExists = "x:既に存在";
inline constexpr std::string_view kSystemFile = "x:ｼｽﾃﾑﾌｧｲﾙ";
inline constexpr std::string_view kError = "x:Err";
// "OK (変名前：" + the old name as the list shows it + ")"
std::string ok(std::string_view shownOldName);
} // namespace outcome

struct RunRequest {
    RenameMethod method = RenameMethod::RenameOnly;
    std::string destination; // target folder of copy and move, as the user confirmed it
    FolderId destinationId;  // that folder as it was confirmed; the run acts in no other folder
    RenameRuleSet rules;
    std::string serialStartText; // the start field; must be a whole number
    std::string historyPath;
    // The dates taken read so far (a preview's for the run after it); null: each is read anew.
    PhotoDateMemos* photoDates = nullptr;
};

struct RunCallbacks : ProgressCallbacks {
    // "<path> はシステムファイルです。変名してよろしいですか？"; true = Yes. Unset means Yes.
    std::function<bool(const std::string& sourcePath)> askSystemFile;
    // Row i got new remarks (and, after a success, a new name, folder and extension). A copied or
    // moved row gets its outcome once its batch is on the disk, about a thousand rows later at most.
    std::function<void(std::size_t row)> rowChanged;
};

enum class RunEnd { Completed, Cancelled, Error };

struct RunResult {
    int renamed = 0;
    RunEnd end = RunEnd::Completed;
    int error = 0;            // errno of a history failure, 0 otherwise
    std::string errorMessage; // the message to show after "変名処理が途中で終了しました。" when end == Error
    bool historyWritten = false; // the history file was replaced by this run

    // "<n>個のファイルが正常に変名されました。", prefixed by "変名処理が途中で終了しました。"
    // unless the run completed.
    std::string statusText() const;
};

inline constexpr std::string_view kRunStoppedMessage = "変名処理が途中で終了しました。";

// What a run started now would do with one row, foretold without touching a file.
struct RowForecast {
    std::string newName;         // the name BuildNewName gives the row
    std::string_view outcome;    // the failure text the run would write, empty when it would rename the file
    bool asksSystemFile = false; // the run would ask first (foretold as answered Yes)
    std::string note;            // how the name came about (kNoDateTakenTip), empty when plain
};

struct ForecastCallbacks : ProgressCallbacks {
    std::function<void(std::size_t row, RowForecast&& forecast)> rowForetold;
};

struct ForecastResult {
    std::size_t rows = 0; // rows foretold, from the top
    bool cancelled = false;
    std::string errorMessage; // why the start number or the rule is unusable; nothing was foretold
};

class RunEngine {
public:
    RunEngine(FileSystem& fs, const NameBuilder& builder, const Clock& clock)
        : m_fs(fs), m_builder(builder), m_clock(clock) {}

    // Runs over rows in their order. A start number that is not a whole number, or a rule that cannot
    // build names (NameBuilder::ruleError), ends the run with that error before anything, the history
    // file included, is touched. Otherwise the history file is
    // replaced, then each row is handled; the run stops early on cancel or when the history cannot be
    // written. Every record reaches the history file before its file is renamed, and is taken back if
    // the operation fails, so the history never misses a file that changed. A rename or move record
    // carries the identity of the file it left at the new path, which the undo checks before it
    // takes that file back.
    // The destination and every row's folder are taken as absolute paths (a relative one from the
    // current folder), and the history file itself is never renamed, copied or moved, nor taken as
    // a new name: such a row reads "x:Err".
    // Each folder is opened once and every file is looked up, renamed, copied or moved relative to
    // it. A row's folder that is no longer the folder it was listed in (row.folderId), or a
    // destination that is no longer the one confirmed (request.destinationId), is never acted in: its
    // rows read "x:Err". Copies and moves to another file system are made durable by batch: their
    // records are flushed to the disk with them, and the source of such a move is removed only then
    // (see PosixTransfers.h); a transfer the flush takes back reads "x:Err" and its record is voided.
    RunResult run(std::vector<FileListRow>& rows, const RunRequest& request, const RunCallbacks& callbacks);

    // Foretells run(rows, request) row by row with the run's own code, on a ForecastFileSystem over
    // this engine's file system, so a row is foretold to fail exactly when the run would fail it by
    // its checks or by an operation that cannot succeed (an earlier row taking the name included).
    // The progress is advanced before the stop flag is read for a row; a stop request ends the
    // forecast before that row. Nothing is written, the history file included.
    ForecastResult foretell(const std::vector<FileListRow>& rows, const RunRequest& request,
                            const ForecastCallbacks& callbacks);

    // Why the request can build no names: the start number is no whole number, or the rule cannot
    // be used (NameBuilder::ruleError). Empty when it can.
    std::string requestError(const RunRequest& request) const;

    class Forecast;

    // The names BuildNewName gives rows [first, last) under the request (with their notes; no outcome
    // is foretold), numbered as a forecast from the top numbers them: the rows above only move the
    // serial counters on, so nothing is read for them. Empty when the request cannot build names.
    std::vector<RowForecast> namesOfRows(const std::vector<FileListRow>& rows, std::size_t first, std::size_t last,
                                         const RunRequest& request) const;

private:
    // Where a run's records go: the history file, or nowhere for a forecast.
    struct RecordSink {
        virtual ~RecordSink() = default;
        virtual int addRecord(std::string_view before, std::string_view after, const FileIdentity* identity) = 0;
        virtual int addRecords(std::string_view records, int count) = 0;
        virtual int dropAddedRecords(std::size_t offset, int count) = 0;
        virtual int addIdentity(const FileIdentity& identity) = 0;
        virtual int dropLastRecord() = 0;
        virtual int lastRecordNumber() const = 0;
        virtual int voidRecords(const std::vector<int>& numbers) = 0;
        virtual int sync() = 0;
    };

    // A folder of the run, opened once; error is the errno of the opening (ESTALE: no longer the folder listed).
    struct OpenedFolder {
        int error = 0;
        std::unique_ptr<Folder> folder;
    };
    // A row copied or moved whose batch is not on the disk yet.
    struct PendingRow {
        std::size_t index;
        std::string newName;
        std::string folderText;
        FolderId folderId;
        int record;
    };

    // A plain rename whose record waits in the batch of records written ahead (see queueRename).
    // A row done without a rename while the batch waits has an entry without a folder, so that the
    // rows are told done in list order.
    struct QueuedRename {
        std::size_t index;
        std::string newName;
        std::string oldName; // the worker's own copy: the rows may be read while it renames
        const Folder* folder = nullptr;
        dev_t dev = 0; // the source's identity, to tell a clash from another failure
        ino_t ino = 0;
        std::size_t recordStart = 0; // where its record starts in the batch's text
    };
    // How many plain renames share one write of their records.
    static constexpr std::size_t kRenameBatch = 256;
    // A batch whose records are written and whose renames are made, or under way on the worker
    // thread (job, 0 when made here); `errors` gets each rename's outcome.
    struct RenamingBatch {
        std::vector<QueuedRename> renames;
        std::vector<int> errors;
        PathHashes paths; // as m_queuedPaths
        int firstRecord = 0;
        uint64_t job = 0;
    };
    // How many batches may be renaming on the worker thread while the next rows are checked.
    static constexpr std::size_t kBatchesAhead = 2;

    // Next: the row is done; Pending: its outcome comes with its batch; Stop: the row is as it was
    // and the run ends; DoneThenStop: the row changed, then the run ends.
    enum class RowStep { Next, Pending, Stop, DoneThenStop };
    // Takes the run's folders and the history's identity from the file system, once its header is written.
    void beginRows(const RunRequest& request);
    // One row of a run. A forecast passes builtName, which gets the new name; its row then keeps its
    // failure only (no remarks or new name after a success).
    RowStep handleRow(FileListRow& row, std::size_t index, const RunRequest& request, const RunCallbacks& callbacks,
                      RecordSink& history, SerialCounters& serials, RunResult& result,
                      std::string* builtName = nullptr);
    // Makes the pending copies and moves durable (with the records before them) and gives their rows
    // their outcomes. Stop when the history cannot be flushed or written.
    RowStep flushTransfers(std::vector<FileListRow>& rows, const RunRequest& request, const RunCallbacks& callbacks,
                           RecordSink& history, RunResult& result);
    // Puts a plain rename and its record in the batch; the record goes to the history with the
    // batch's others in one write, before any of their renames.
    void queueRename(std::size_t index, const std::string& newName, const Folder& folder, const FileInfo& source,
                     const FileIdentity* identity);
    // Whether the batch names path as a source or a target: the row that does must wait for the
    // batch to be done, since its checks would read the folder as it was before the batch.
    bool batchTouches(std::string_view path) const;
    // Writes the records of the waiting batch and starts its renames. With wait, every batch is
    // renamed and its rows have their outcomes on return; without, up to kBatchesAhead batches may
    // still be renaming on the worker thread. Stop when the history cannot be written.
    RowStep renameBatch(const RunRequest& request, const RunCallbacks& callbacks, RecordSink& history,
                        RunResult& result, bool wait = true);
    // Settles the batches the worker has renamed, without waiting for the others.
    RowStep settleRenamed(const RunRequest& request, const RunCallbacks& callbacks, RecordSink& history,
                          RunResult& result);
    // Makes the renames of batch, here or (worker) on the worker thread.
    void startRenames(RenamingBatch& batch, bool worker);
    // Waits for the oldest batch under way and gives its rows their outcomes. The records of its
    // renames that failed are cut off the file when they are its last lines, else voided by a note.
    // Stop when the history cannot be written.
    RowStep settleOldest(const RunRequest& request, const RunCallbacks& callbacks, RecordSink& history,
                         RunResult& result);
    const OpenedFolder& folderOf(const std::string& path);
    bool clashes(const Folder& folder, const std::string& name, const FileInfo& source);
    uint32_t attributesOf(const Folder& folder, const std::string& name, const FileInfo& basic, const FileStamp& stamp,
                          bool followLinks);
    bool recordable(const std::string& folder, std::string_view name, int slot);
    bool isHistory(const FileInfo& info) const;
    bool targetIsHistory(const Folder& folder, const std::string& name, const std::string& target);

    // Of the run under way: the current folder, the destination as an absolute path, and the
    // history file (the file a link at its path points to; name is that of the path).
    std::string m_cwd;
    std::string m_destination;
    bool m_historyKnown = false;
    FileInfo m_history;
    std::string m_historyPath;
    std::unordered_map<std::string, OpenedFolder> m_folders;
    const std::string* m_lastFolderPath = nullptr;
    const OpenedFolder* m_lastFolder = nullptr;
    OpenedFolder m_destinationFolder;
    std::unique_ptr<TransferBatch> m_transfers;
    std::vector<PendingRow> m_pending;
    std::string m_recordableFolders[2]; // see recordable()
    std::string m_source, m_target;     // the paths of the row under way
    // The plain renames waiting for their records to be written, the records' text, and the hashes
    // of the paths they name (an open table; a hash met by chance only ends a batch early).
    bool m_batching = false;
    std::vector<FileListRow>* m_rows = nullptr;
    std::vector<QueuedRename> m_queued;
    std::string m_queuedRecords;
    PathHashes m_queuedPaths;
    std::deque<RenamingBatch> m_renaming; // oldest first
    std::unique_ptr<WorkerThread> m_worker;

    FileSystem& m_fs;
    const NameBuilder& m_builder;
    const Clock& m_clock;
};

// foretell() taken one row at a time, for a preview that leaves the window free between its steps.
// Given every row in list order, it foretells what foretell() does; it uses the engine's file system,
// builder and clock, which must outlive it.
class RunEngine::Forecast {
public:
    Forecast(RunEngine& engine, const RunRequest& request, std::size_t rows);

    // Why nothing can be foretold (the start number or the rule); empty when next() may be called.
    const std::string& errorMessage() const { return m_error; }
    // The next row of the list.
    RowForecast next(const FileListRow& row);

private:
    struct NoRecords final : RecordSink {
        int addRecord(std::string_view, std::string_view, const FileIdentity*) override { return 0; }
        int addRecords(std::string_view, int) override { return 0; }
        int dropAddedRecords(std::size_t, int) override { return 0; }
        int addIdentity(const FileIdentity&) override { return 0; }
        int dropLastRecord() override { return 0; }
        int lastRecordNumber() const override { return 0; }
        int voidRecords(const std::vector<int>&) override { return 0; }
        int sync() override { return 0; }
    };
    RunRequest m_request;
    std::string m_error;
    ForecastFileSystem m_foretold;
    RunEngine m_shadow;
    SerialCounters m_serials{0, false};
    NoRecords m_records;
    bool m_asked = false;
    RunCallbacks m_callbacks;
    RunResult m_ignored;
    // One row to work on, refilled with what handleRow reads of each row: its name, its folder and the
    // date taken already read for it (which the forecast hands back).
    FileListRow m_row;
};

} // namespace rinoza
