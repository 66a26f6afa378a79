#include "run/RunEngine.h"

#include "common/TextCodec.h"
#include "platform/Paths.h"
#include "run/ForecastFileSystem.h"
#include "run/RunPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

namespace rinoza {

std::string outcome::ok(std::string_view oldName) {
    std::string s = "OK (変名前：";
    s += oldName;
    s += ")";
    return s;
}

std::string RunResult::statusText() const {
    std::string count = std::to_string(renamed) + "個のファイルが正常に変名されました。";
    if (end == RunEnd::Completed)
        return count;
    return std::string(kRunStoppedMessage) + count;
}

static std::string historyErrorMessage(const std::string& path, int err) {
    return "変更履歴ファイルに書き込めません。(" + displayText(path) + ": " + std::strerror(err) + ")";
}

// A name that would put the file anywhere but straight inside the target folder.
static bool isUnusableName(std::string_view name) {
    return name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
           name.find('\0') != std::string_view::npos;
}

static bool hasLineEnd(std::string_view path) {
    return path.find_first_of("\r\n") != std::string_view::npos;
}

// The folder a row shows: the destination without trailing separators (the root stays "/").
static std::string rowFolderText(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The start number of a request whose rule can build names; otherwise nullopt and the message.
static std::optional<int32_t> usableStart(const RunRequest& request, const NameBuilder& builder, std::string& message) {
    std::optional<int32_t> start = ParseWholeNumber(request.serialStartText);
    if (!start)
        message = notAnIntegerMessage(request.serialStartText);
    else if (message = builder.ruleError(request.rules); !message.empty())
        start.reset();
    return start;
}

RunResult RunEngine::run(std::vector<FileListRow>& rows, const RunRequest& request, const RunCallbacks& callbacks) {
    RunResult result;
    const std::optional<int32_t> start = usableStart(request, m_builder, result.errorMessage);
    if (!start) {
        result.end = RunEnd::Error;
        return result;
    }

    HistoryFile history(m_fs);
    int err = history.create(request.historyPath, m_clock.now(), request.method);
    if (err != 0) {
        result.end = RunEnd::Error;
        result.error = err;
        result.errorMessage = historyErrorMessage(request.historyPath, err);
        return result;
    }
    result.historyWritten = true;
    struct HistorySink final : RecordSink {
        explicit HistorySink(HistoryFile& h) : file(h) {}
        int addRecord(std::string_view before, std::string_view after, const FileIdentity* identity) override {
            return file.addRecord(before, after, identity);
        }
        int addRecords(std::string_view records, int n) override { return file.addRecords(records, n); }
        int dropAddedRecords(std::size_t offset, int n) override { return file.dropAddedRecords(offset, n); }
        int addIdentity(const FileIdentity& identity) override { return file.addIdentity(identity); }
        int dropLastRecord() override { return file.dropLastRecord(); }
        int lastRecordNumber() const override { return file.lastRecordNumber(); }
        int voidRecords(const std::vector<int>& numbers) override { return file.voidRecords(numbers); }
        int sync() override { return file.sync(); }
        HistoryFile& file;
    } sink(history);
    beginRows(request);
    // Plain renames share the writes of their records (see queueRename).
    m_batching = request.method == RenameMethod::RenameOnly;
    m_rows = &rows;
    // A list longer than a batch renames on a second thread where the file system allows it (else
    // each batch is renamed here).
    if (m_batching && rows.size() > kRenameBatch && m_fs.callsFromThreads())
        m_worker = WorkerThread::whereUseful();

    SerialCounters serials(*start, request.rules.renFolder);
    ProgressPacer pacer(callbacks);
    const std::size_t count = rows.size();
    pacer.start(static_cast<int>(count));
    bool stopped = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (pacer.cancelRequested())
            break;
        if (pacer.stepDue()) {
            // The window gets its turn, and a stop asked for meanwhile ends the run before this row.
            // The batches on the worker go on renaming while events run (the rows it shows done are
            // those settled by then); without the worker, the waiting batch is renamed first. Where no
            // events run (the command line), only the position is shown.
            if (callbacks.pumpEvents && (m_worker ? settleRenamed(request, callbacks, sink, result)
                                                  : renameBatch(request, callbacks, sink, result)) == RowStep::Stop) {
                stopped = true;
                break;
            }
            pacer.flush();
            if (pacer.cancelRequested())
                break;
        }
        const RowStep step = handleRow(rows[i], i, request, callbacks, sink, serials, result);
        if ((step == RowStep::Next || step == RowStep::DoneThenStop) && callbacks.rowChanged) {
            if (m_queued.empty() && m_renaming.empty())
                callbacks.rowChanged(i);
            else
                m_queued.push_back(QueuedRename{i, {}, {}}); // told after the renames above it
        }
        if (step == RowStep::Stop || step == RowStep::DoneThenStop) {
            stopped = true;
            break;
        }
        if (m_queued.size() >= kRenameBatch && renameBatch(request, callbacks, sink, result, false) == RowStep::Stop) {
            stopped = true;
            break;
        }
        if (m_transfers->flushDue() && flushTransfers(rows, request, callbacks, sink, result) == RowStep::Stop) {
            stopped = true;
            break;
        }
    }
    // Whatever is still pending is done, made durable (or taken back) before the history is closed.
    if (renameBatch(request, callbacks, sink, result) == RowStep::Stop)
        stopped = true;
    if (flushTransfers(rows, request, callbacks, sink, result) == RowStep::Stop)
        stopped = true;
    m_transfers.reset();
    m_worker.reset();
    m_batching = false;
    m_rows = nullptr;
    m_folders.clear();
    m_lastFolder = nullptr;
    m_destinationFolder = OpenedFolder();
    // Shows the last position and lets events run once more (also on the way out after a stop request).
    pacer.flush();

    // The end line tells the undo that no record above names a rename that never happened; after a
    // failed write of the history that may not hold.
    if (!result.error)
        history.endRecords();
    err = history.close();
    if (err != 0 && !stopped) {
        stopped = true;
        result.error = err;
        result.errorMessage = historyErrorMessage(request.historyPath, err);
    }
    if (stopped)
        result.end = RunEnd::Error;
    else if (pacer.cancelRequested())
        result.end = RunEnd::Cancelled;
    return result;
}

void RunEngine::beginRows(const RunRequest& request) {
    m_cwd = m_fs.currentFolder();
    m_destination = absolutePath(request.destination, m_cwd, m_fs);
    m_historyPath = request.historyPath;
    m_historyKnown = m_fs.stat(request.historyPath, m_history, true) == 0;
    m_folders.clear();
    m_lastFolder = nullptr;
    m_lastFolderPath = nullptr;
    m_destinationFolder = OpenedFolder();
    if (request.method != RenameMethod::RenameOnly)
        m_destinationFolder.error = m_fs.openFolder(m_destination, &request.destinationId, m_destinationFolder.folder);
    m_transfers = m_fs.beginTransfers();
    m_pending.clear();
}

const RunEngine::OpenedFolder& RunEngine::folderOf(const std::string& path) {
    // Rows come folder by folder: the last folder is at hand without a lookup in the table.
    if (m_lastFolder && *m_lastFolderPath == path)
        return *m_lastFolder;
    auto [it, made] = m_folders.try_emplace(path);
    if (made)
        it->second.error = m_fs.openFolder(path, nullptr, it->second.folder);
    m_lastFolderPath = &it->first;
    m_lastFolder = &it->second;
    return it->second;
}

void RunEngine::queueRename(std::size_t index, const std::string& newName, const Folder& folder, const FileInfo& source,
                            const FileIdentity* identity) {
    const std::size_t start = m_queuedRecords.size();
    HistoryFile::formatRecord(m_queuedRecords, m_source, m_target, identity);
    m_queued.push_back(QueuedRename{index, newName, (*m_rows)[index].name, &folder, source.dev, source.ino, start});
    m_queuedPaths.add(m_source);
    m_queuedPaths.add(m_target);
}

bool RunEngine::batchTouches(std::string_view path) const {
    if (!m_queued.empty() && m_queuedPaths.holds(path))
        return true;
    return std::any_of(m_renaming.begin(), m_renaming.end(),
                       [path](const RenamingBatch& b) { return b.paths.holds(path); });
}

RunEngine::RowStep RunEngine::renameBatch(const RunRequest& request, const RunCallbacks& callbacks, RecordSink& history,
                                          RunResult& result, bool wait) {
    // The renames go to the worker thread, where the run has one and the caller need not wait for
    // them; else each batch is renamed and settled here before the next is written.
    const bool ahead = !wait && m_worker;
    if (!m_queued.empty()) {
        while (!m_renaming.empty() && (!ahead || m_renaming.size() >= kBatchesAhead))
            if (settleOldest(request, callbacks, history, result) == RowStep::Stop) {
                m_queued.clear();
                m_queuedRecords.clear();
                return RowStep::Stop;
            }
        const int first = history.lastRecordNumber() + 1;
        const auto records = static_cast<int>(
            std::count_if(m_queued.begin(), m_queued.end(), [](const QueuedRename& q) { return q.folder != nullptr; }));
        const int err = records ? history.addRecords(m_queuedRecords, records) : 0;
        m_queuedRecords.clear();
        if (err != 0) {
            // Without their records the renames are not made: their rows stay as they were.
            m_queued.clear();
            while (!m_renaming.empty())
                settleOldest(request, callbacks, history, result);
            result.error = err;
            result.errorMessage = historyErrorMessage(request.historyPath, err);
            return RowStep::Stop;
        }
        RenamingBatch& batch = m_renaming.emplace_back();
        batch.firstRecord = first;
        batch.renames.swap(m_queued);
        batch.paths = m_queuedPaths.take();
        startRenames(batch, ahead);
        // The batches renamed meanwhile are told while this one renames.
        if (ahead && settleRenamed(request, callbacks, history, result) == RowStep::Stop)
            return RowStep::Stop;
    }
    while (!ahead && !m_renaming.empty())
        if (settleOldest(request, callbacks, history, result) == RowStep::Stop)
            return RowStep::Stop;
    return RowStep::Next;
}

RunEngine::RowStep RunEngine::settleRenamed(const RunRequest& request, const RunCallbacks& callbacks,
                                            RecordSink& history, RunResult& result) {
    while (!m_renaming.empty() && (!m_renaming.front().job || m_worker->done(m_renaming.front().job)))
        if (settleOldest(request, callbacks, history, result) == RowStep::Stop)
            return RowStep::Stop;
    return RowStep::Next;
}

void RunEngine::startRenames(RenamingBatch& batch, bool worker) {
    batch.errors.assign(batch.renames.size(), 0);
    // The worker reads its batch only and writes nothing but the outcomes; the rows are changed
    // when the batch is settled, on this thread. A batch stays where it is in the deque until then.
    auto renameAll = [this, &batch] {
        for (std::size_t i = 0; i < batch.renames.size(); ++i) {
            const QueuedRename& q = batch.renames[i];
            if (q.folder)
                batch.errors[i] = m_fs.renameAt(*q.folder, q.oldName, *q.folder, q.newName);
        }
    };
    if (worker)
        batch.job = m_worker->start(renameAll);
    else
        renameAll();
}

RunEngine::RowStep RunEngine::settleOldest(const RunRequest& request, const RunCallbacks& callbacks,
                                           RecordSink& history, RunResult& result) {
    RenamingBatch& batch = m_renaming.front();
    if (batch.job)
        m_worker->waitFor(batch.job);
    std::vector<std::pair<int, std::size_t>> failed; // record number, where its record starts
    int number = batch.firstRecord;
    for (std::size_t i = 0; i < batch.renames.size(); ++i) {
        QueuedRename& q = batch.renames[i];
        if (!q.folder) {
            if (callbacks.rowChanged)
                callbacks.rowChanged(q.index);
            continue;
        }
        FileListRow& row = (*m_rows)[q.index];
        const int opErr = batch.errors[i];
        if (opErr == 0) {
            ++result.renamed;
            row.remarks = outcome::ok(displayText(row.name));
            row.name = std::move(q.newName);
            row.folder = rowFolderText(std::move(row.folder));
            row.folderId = q.folder->id();
        } else {
            FileInfo source;
            source.dev = q.dev;
            source.ino = q.ino;
            row.remarks = opErr == EEXIST && clashes(*q.folder, q.newName, source) ? outcome::kExists : outcome::kError;
            failed.emplace_back(number, q.recordStart);
        }
        ++number;
        if (callbacks.rowChanged)
            callbacks.rowChanged(q.index);
    }
    m_renaming.pop_front();
    // The records of renames that failed at the end of the file are cut off; the others are voided.
    // A batch written after this one (or a failed write) has put records after its own.
    const bool last = number - 1 == history.lastRecordNumber();
    int tail = 0;
    std::size_t tailStart = 0;
    while (last && !failed.empty() && failed.back().first == number - 1 - tail) {
        tailStart = failed.back().second;
        failed.pop_back();
        ++tail;
    }
    std::vector<int> voided;
    for (const auto& f : failed)
        voided.push_back(f.first);
    int err = tail ? history.dropAddedRecords(tailStart, tail) : 0;
    if (err == 0 && !voided.empty())
        err = history.voidRecords(voided);
    if (err != 0) {
        result.error = err;
        result.errorMessage = historyErrorMessage(request.historyPath, err);
        return RowStep::Stop;
    }
    return RowStep::Next;
}

RunEngine::RowStep RunEngine::flushTransfers(std::vector<FileListRow>& rows, const RunRequest& request,
                                             const RunCallbacks& callbacks, RecordSink& history, RunResult& result) {
    if (!m_transfers)
        return RowStep::Next;
    std::vector<int> outcomes;
    int historyErr = 0;
    // The records are on the disk before any source is removed, so after a crash the history names
    // every file that moved.
    m_transfers->flush([&] { return historyErr = history.sync(); }, outcomes);
    std::vector<int> voided;
    for (std::size_t i = 0; i < m_pending.size() && i < outcomes.size(); ++i) {
        const PendingRow& p = m_pending[i];
        FileListRow& row = rows[p.index];
        if (outcomes[i] == 0) {
            row.remarks = outcome::ok(displayText(row.name));
            ++result.renamed;
            row.name = p.newName;
            row.folder = p.folderText;
            row.folderId = p.folderId;
        } else {
            row.remarks = outcome::kError;
            voided.push_back(p.record);
        }
        if (callbacks.rowChanged)
            callbacks.rowChanged(p.index);
    }
    m_pending.clear();
    // Voided even when the flush failed: the note is the undo's only word that these never happened.
    const int voidErr = voided.empty() ? 0 : history.voidRecords(voided);
    const int err = historyErr ? historyErr : voidErr;
    if (err) {
        if (!result.error) {
            result.error = err;
            result.errorMessage = historyErrorMessage(request.historyPath, err);
        }
        return RowStep::Stop;
    }
    return RowStep::Next;
}

RunEngine::Forecast::Forecast(RunEngine& engine, const RunRequest& request, std::size_t rows)
    : m_request(request), m_foretold(engine.m_fs), m_shadow(m_foretold, engine.m_builder, engine.m_clock) {
    const std::optional<int32_t> start = usableStart(request, engine.m_builder, m_error);
    if (!start)
        return;
    m_serials = SerialCounters(*start, request.rules.renFolder);
    // The run writes its history before the first row: a new file in place of any old one. A link
    // at the path is followed by the run and left to the real file system here.
    FileInfo link;
    if (engine.m_fs.stat(request.historyPath, link, false) != 0 || !link.isSymlink)
        m_foretold.assumeNewFile(request.historyPath);
    m_shadow.beginRows(m_request);
    m_callbacks.askSystemFile = [this](const std::string&) { return m_asked = true; };
    m_foretold.reserve(rows);
}

RowForecast RunEngine::Forecast::next(const FileListRow& original) {
    m_row.name = original.name;
    m_row.folder = original.folder;
    m_row.folderId = original.folderId;
    m_row.stamp = original.stamp;
    m_row.remarks.clear();
    m_asked = false;
    RowForecast f;
    m_shadow.handleRow(m_row, 0, m_request, m_callbacks, m_records, m_serials, m_ignored, &f.newName);
    f.asksSystemFile = m_asked;
    f.note = std::move(m_row.note);
    for (std::string_view failure : {outcome::kSameName, outcome::kMissing, outcome::kExists, outcome::kError})
        if (m_row.remarks == failure)
            f.outcome = failure;
    return f;
}

ForecastResult RunEngine::foretell(const std::vector<FileListRow>& rows, const RunRequest& request,
                                   const ForecastCallbacks& callbacks) {
    ForecastResult forecast;
    Forecast steps(*this, request, rows.size());
    forecast.errorMessage = steps.errorMessage();
    if (!forecast.errorMessage.empty())
        return forecast;
    ProgressPacer pacer(callbacks);
    pacer.start(static_cast<int>(rows.size()));
    for (const FileListRow& original : rows) {
        pacer.step();
        if (pacer.cancelRequested()) {
            forecast.cancelled = true;
            break;
        }
        RowForecast f = steps.next(original);
        if (callbacks.rowForetold)
            callbacks.rowForetold(forecast.rows, std::move(f));
        ++forecast.rows;
    }
    // Shows the last position and lets events run once more (also on the way out after a stop request).
    pacer.flush();
    return forecast;
}

std::string RunEngine::requestError(const RunRequest& request) const {
    std::string fault;
    usableStart(request, m_builder, fault);
    return fault;
}

std::vector<RowForecast> RunEngine::namesOfRows(const std::vector<FileListRow>& rows, std::size_t first,
                                                std::size_t last, const RunRequest& request) const {
    std::vector<RowForecast> names;
    std::string fault;
    const std::optional<int32_t> start = usableStart(request, m_builder, fault);
    if (!start)
        return names;
    last = std::min(last, rows.size());
    const std::string cwd = m_fs.currentFolder();
    // The folder a run would number a row in (handleRow takes a relative one from the current folder).
    std::string absolute;
    const auto folderOf = [&](const FileListRow& r) -> std::string_view {
        if (isRecordablePath(r.folder))
            return r.folder;
        absolute = absolutePath(r.folder, cwd, m_fs);
        return absolute;
    };
    SerialCounters serials(*start, request.rules.renFolder);
    const int32_t step = NameBuilder::serialStep(request.rules);
    if (step != 0)
        for (std::size_t i = 0; i < first && i < last; ++i)
            serials.advance(folderOf(rows[i]), step);
    for (std::size_t i = first; i < last; ++i) {
        const std::string_view folder = folderOf(rows[i]);
        PhotoDateMemo once;
        PhotoDateMemo* memo = request.photoDates ? request.photoDates->memoFor(rows[i].stamp) : nullptr;
        RowForecast& f = names.emplace_back();
        f.newName = m_builder.BuildNewName(request.rules, rows[i].name, folder, false, serials.counterFor(folder),
                                           memo ? memo : &once);
        f.note.assign((memo ? memo : &once)->usedUpdateTime ? kNoDateTakenTip : std::string_view());
    }
    return names;
}

// Whether joinPath(folder, name) is a path the history may hold: no line end, absolute, no "..". A
// folder found so is remembered in slot (0: the rows' folders, 1: the targets'), since rows share their
// folders; then only the name is looked at.
bool RunEngine::recordable(const std::string& folder, std::string_view name, int slot) {
    std::string& known = m_recordableFolders[slot];
    if (folder != known) {
        if (hasLineEnd(folder) || !isRecordablePath(folder))
            return false;
        known = folder;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        const char c = i < name.size() ? name[i] : '/';
        if (c == '\r' || c == '\n')
            return false;
        if (c == '/') {
            if (i - start == 2 && name[start] == '.' && name[start + 1] == '.')
                return false;
            start = i + 1;
        }
    }
    return true;
}

// The attribute bits of the file the row's search or intake read: those it read while the file is
// the same one, unchanged since (a change of its extended attributes moves its status change time),
// else read now.
uint32_t RunEngine::attributesOf(const Folder& folder, const std::string& name, const FileInfo& basic,
                                 const FileStamp& stamp, bool followLinks) {
    if (stamp.matches(basic))
        return stamp.attributes;
    FileInfo info;
    return m_fs.statAt(folder, name, info, followLinks) == 0 ? info.attributes : basic.attributes;
}

bool RunEngine::isHistory(const FileInfo& info) const {
    return m_historyKnown && info.dev == m_history.dev && info.ino == m_history.ino;
}

// True when a new name would land on the history file. Only a target with the history's own name is
// looked up, so that a plain rename keeps to one lookup per file; any other name of that file exists
// and is refused as taken.
bool RunEngine::targetIsHistory(const Folder& folder, const std::string& name, const std::string& target) {
    if (target == m_historyPath)
        return true;
    if (name != m_history.name)
        return false;
    FileInfo info;
    return m_fs.statBasicAt(folder, name, info, true) == 0 && isHistory(info);
}

// True when a file other than the source itself has the target name. A folder there is no clash:
// the operation refuses it and the row reads as failed.
bool RunEngine::clashes(const Folder& folder, const std::string& name, const FileInfo& source) {
    FileInfo info;
    return m_fs.statBasicAt(folder, name, info, false) == 0 && !info.isDirectory &&
           !(info.dev == source.dev && info.ino == source.ino);
}

RunEngine::RowStep RunEngine::handleRow(FileListRow& row, std::size_t index, const RunRequest& request,
                                        const RunCallbacks& callbacks, RecordSink& history, SerialCounters& serials,
                                        RunResult& result, std::string* builtName) {
    const bool inPlace = request.method == RenameMethod::RenameOnly;
    // A row added by a relative path (the command line's a.txt) is taken from the current folder, one
    // found below a folder typed with ".." from where that leads.
    if (row.folder != m_recordableFolders[0] && !isRecordablePath(row.folder))
        row.folder = absolutePath(row.folder, m_cwd, m_fs);
    const std::string& targetFolder = inPlace ? row.folder : m_destination;
    // Built before any check, so a refused row still uses up its serial number.
    PhotoDateMemo once;
    PhotoDateMemo* memo = request.photoDates ? request.photoDates->memoFor(row.stamp) : nullptr;
    std::string ownName;
    std::string& newName = builtName ? *builtName : ownName;
    newName = m_builder.BuildNewName(request.rules, row.name, row.folder, false, serials.counterFor(row.folder),
                                     memo ? memo : &once);
    row.note.assign((memo ? memo : &once)->usedUpdateTime ? kNoDateTakenTip : std::string_view());

    const std::string& source = joinPathInto(m_source, row.folder, row.name);
    const std::string& target = joinPathInto(m_target, targetFolder, newName);
    // In place the paths are the same exactly when the names are.
    if (inPlace ? newName == row.name : joinPath(targetFolder, row.name) == joinPath(row.folder, newName)) {
        row.remarks = outcome::kSameName;
        return RowStep::Next;
    }

    // A row whose source or target a waiting rename names is checked once that rename is made.
    if (m_batching && (batchTouches(source) || batchTouches(target)) &&
        renameBatch(request, callbacks, history, result) == RowStep::Stop)
        return RowStep::Stop;

    // The row's folder, opened once for all its rows. One that is no longer the folder the row was
    // listed in (a link or another folder put in its place) is never acted in.
    const OpenedFolder& from = folderOf(row.folder);
    if (from.error == ESTALE || (from.folder && row.folderId.known() && !(row.folderId == from.folder->id()))) {
        row.remarks = outcome::kError;
        return RowStep::Next;
    }
    // One lookup of the source without its extended attributes: its identity and kind are checked on
    // every row, its attribute bits only when they are asked about (below).
    FileInfo sourceInfo;
    if (from.error || m_fs.statBasicAt(*from.folder, row.name, sourceInfo, false) != 0 || sourceInfo.isDirectory) {
        row.remarks = outcome::kMissing;
        return RowStep::Next;
    }
    const Folder& sourceFolder = *from.folder;

    // The history holds one path per line: a path with a line end in it cannot be recorded faithfully,
    // and its second half could read as a record of its own. A path that is not absolute or goes up
    // by ".." is one the undo refuses to follow, so it is not touched either.
    if (!recordable(row.folder, row.name, 0) || !recordable(targetFolder, newName, 1)) {
        row.remarks = outcome::kError;
        return RowStep::Next;
    }

    // A link carries no attributes of its own: the question goes by the file it points to. Without a
    // question the attributes change nothing: a clash is found by the operation itself.
    uint32_t attributes = 0;
    bool linksToHistory = false;
    if (sourceInfo.isSymlink) {
        FileInfo linked;
        const bool found = m_fs.statBasicAt(sourceFolder, row.name, linked, true) == 0;
        if (found && callbacks.askSystemFile)
            attributes = attributesOf(sourceFolder, row.name, linked, row.stamp, true);
        linksToHistory = found && isHistory(linked);
    } else if (callbacks.askSystemFile) {
        attributes = attributesOf(sourceFolder, row.name, sourceInfo, row.stamp, false);
    }

    // The destination, opened once at the start; one that could not be opened, or that is no longer
    // the folder confirmed, takes nothing.
    const Folder* targetDir = inPlace ? &sourceFolder : m_destinationFolder.folder.get();
    if (!targetDir) {
        row.remarks = outcome::kError;
        return RowStep::Next;
    }

    // The history the run is writing (a search of the program's own folder lists it) stays where it
    // is and as it is: renamed, moved or copied it would no longer be the record the undo reads.
    if (isHistory(sourceInfo) || linksToHistory || targetIsHistory(*targetDir, newName, target)) {
        row.remarks = outcome::kError;
        return RowStep::Next;
    }
    const bool systemFile = (attributes & AttrSystem) != 0;
    // The clash is decided before the system file question, which a clashing file never gets. A
    // plain rename may leave it to the operation, which refuses an existing target anyway, and sort
    // out the reason afterwards: that spares a lookup per file. A copy or move is checked first, so
    // that its record never names a file that was there before (undoing a copy deletes the target).
    if ((systemFile || !inPlace) && clashes(*targetDir, newName, sourceInfo)) {
        row.remarks = outcome::kExists;
        return RowStep::Next;
    }

    // A name left empty by its trailing periods and blanks fails before the question, which would
    // ask about a rename that cannot happen.
    if (isUnusableName(newName)) {
        row.remarks = outcome::kError;
        return RowStep::Next;
    }

    // The question comes with the rows above it done, as they would be without the batch.
    if (systemFile && callbacks.askSystemFile && m_batching &&
        renameBatch(request, callbacks, history, result) == RowStep::Stop)
        return RowStep::Stop;
    if (systemFile && callbacks.askSystemFile && !callbacks.askSystemFile(source)) {
        row.remarks = outcome::kSystemFile;
        return RowStep::Next;
    }

    // The record goes first: if the process dies during the operation, the history still names the
    // file wherever it ended up. A rename keeps the file's inode, size and last write time, so the
    // identity the undo will look for is known now and goes in the same write: no moment exists when
    // the record is on disk without it. A move may copy the file to another file system, where it
    // gets a new inode: its identity follows once the move is done. If the process dies before that,
    // the record has no identity and the undo treats it as one of a history without identities.
    std::optional<FileIdentity> identity;
    if (request.method == RenameMethod::RenameOnly)
        identity = identityOf(sourceInfo);
    // A plain rename of a run waits for its batch: the batch's records are written in one go before
    // any of its renames. If the process dies in between, the undo finds such a file still at its
    // old name with the record's identity and knows that rename never happened.
    if (m_batching) {
        queueRename(index, newName, sourceFolder, sourceInfo, identity ? &*identity : nullptr);
        return RowStep::Pending;
    }
    int err = history.addRecord(source, target, identity ? &*identity : nullptr);
    if (err != 0) {
        result.error = err;
        result.errorMessage = historyErrorMessage(request.historyPath, err);
        return RowStep::Stop;
    }

    int opErr = 0;
    bool pending = false;
    switch (request.method) {
    case RenameMethod::RenameAndCopy:
        opErr = m_transfers->copy(sourceFolder, row.name, *targetDir, newName, pending);
        break;
    case RenameMethod::RenameAndMove:
        opErr = m_transfers->move(sourceFolder, row.name, *targetDir, newName, pending);
        break;
    case RenameMethod::RenameOnly:
        opErr = m_fs.renameAt(sourceFolder, row.name, *targetDir, newName);
        break;
    }
    if (opErr != 0) {
        row.remarks = opErr == EEXIST && clashes(*targetDir, newName, sourceInfo) ? outcome::kExists : outcome::kError;
        err = history.dropLastRecord();
        if (err != 0) {
            result.error = err;
            result.errorMessage = historyErrorMessage(request.historyPath, err);
            return RowStep::Stop;
        }
        return RowStep::Next;
    }

    // A moved file's identity follows its record once the move is made (a copy to another file
    // system is a new file); a move its batch takes back later has its record voided, identity and all.
    if (request.method == RenameMethod::RenameAndMove) {
        FileInfo moved;
        if (m_fs.statAt(*targetDir, newName, moved, false) == 0)
            identity = identityOf(moved);
        if (identity && (err = history.addIdentity(*identity)) != 0) {
            result.error = err;
            result.errorMessage = historyErrorMessage(request.historyPath, err);
        }
    }
    if (pending) {
        m_pending.push_back(
            PendingRow{index, newName, rowFolderText(targetFolder), targetDir->id(), history.lastRecordNumber()});
        // A row still waiting gets its outcome from the flush at the end of the run.
        return err ? RowStep::Stop : RowStep::Pending;
    }
    ++result.renamed;
    // A forecast reads a row's failures only, and its row is thrown away.
    if (builtName)
        return RowStep::Next;
    row.remarks = outcome::ok(displayText(row.name));
    row.name = newName;
    row.folder = rowFolderText(targetFolder);
    row.folderId = targetDir->id();
    return err ? RowStep::DoneThenStop : RowStep::Next;
}

} // namespace rinoza
