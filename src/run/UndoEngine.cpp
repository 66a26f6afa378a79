#include "run/UndoEngine.h"

#include "common/TextCodec.h"
#include "platform/Paths.h"
#include "platform/TextNumbers.h"
#include "run/RunPaths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <utility>

namespace rinoza {

namespace history {

std::string undoneNote(const std::vector<int>& numbers) {
    return numberNote(kUndoneNotePrefix, numbers);
}

bool readUndoneNote(std::string_view line, std::vector<std::pair<int, int>>& ranges) {
    return readNumberNote(line, kUndoneNotePrefix, ranges);
}

} // namespace history

std::string UndoResult::statusText() const {
    std::string text = std::to_string(restored) + "/" + std::to_string(seen) + "個が変名を戻されました。";
    if (notTheRunsFile > 0)
        text += std::to_string(notTheRunsFile) + "個は変名後に別のファイルに替わったか変更されたため、戻していません。";
    return text;
}

std::vector<UndoRecord> UndoEngine::parseRecords(const std::vector<std::string>& lines) {
    std::vector<UndoRecord> records;
    records.reserve(lines.size() / 3); // a record, its identity and its "before" line
    std::vector<std::pair<int, int>> undone;
    std::vector<std::pair<int, int>> voided;
    RenameMethod method = RenameMethod::RenameOnly;
    std::string before;
    bool afterRecord = false; // the line before was an "[A]" line
    for (const std::string& line : lines) {
        std::string_view l = line;
        const bool followsRecord = std::exchange(afterRecord, false);
        if (!l.empty() && l.front() == '{') {
            if (followsRecord && l.starts_with(history::kIdentityPrefix)) {
                records.back().identity = history::readIdentityLine(l);
                records.back().identityDamaged = !records.back().identity;
            } else if (l == history::kRecordsEndLine) {
                for (UndoRecord& r : records)
                    r.settled = true;
            } else if (!history::readUndoneNote(l, undone)) {
                history::readNumberNote(l, history::kVoidNotePrefix, voided);
            }
            continue;
        }
        if (l == history::kChanged) {
            method = RenameMethod::RenameOnly;
        } else if (l == history::kCopyed) {
            method = RenameMethod::RenameAndCopy;
        } else if (l == history::kMoved) {
            method = RenameMethod::RenameAndMove;
        } else if (l.starts_with(history::kBefore)) {
            before = std::string(l.substr(history::kBefore.size()));
        } else if (l.starts_with(history::kAfter)) {
            const int number = static_cast<int>(records.size()) + 1;
            records.push_back(
                UndoRecord{method, before, std::string(l.substr(history::kAfter.size())), number, false, {}, false});
            afterRecord = true;
        }
    }
    if (!records.empty() && !records.back().settled && records.back().method == RenameMethod::RenameOnly &&
        !records.back().identity &&
        std::any_of(records.begin(), records.end() - 1, [](const UndoRecord& r) { return r.identity.has_value(); }))
        records.back().cutShort = true;
    const int count = static_cast<int>(records.size());
    for (const auto& [first, last] : undone)
        for (int n = first; n <= std::min(last, count); ++n)
            records[static_cast<std::size_t>(n - 1)].undone = true;
    if (voided.empty())
        return records;
    // A voided record's operation never happened: it is no record at all (the others keep their numbers).
    std::vector<char> isVoid(records.size(), 0);
    for (const auto& [first, last] : voided)
        for (int n = first; n <= std::min(last, count); ++n)
            isVoid[static_cast<std::size_t>(n - 1)] = 1;
    std::vector<UndoRecord> kept;
    kept.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i)
        if (!isVoid[i])
            kept.push_back(std::move(records[i]));
    return kept;
}

int UndoEngine::progressMaximum(std::size_t lineCount) {
    if (lineCount < 6)
        return 0;
    return static_cast<int>((lineCount - 6) / 2);
}

bool UndoEngine::isHistory(const FileInfo& info) const {
    return m_historyKnown && info.dev == m_history.dev && info.ino == m_history.ino;
}

const Folder* UndoEngine::folderOf(const std::string& path) {
    auto [it, made] = m_folders.try_emplace(path);
    if (made && m_fs.openFolder(path, nullptr, it->second) != 0)
        it->second.reset();
    return it->second.get();
}

bool UndoEngine::isCopyOf(const Folder& sourceFolder, const std::string& sourceName, const Folder& copyFolder,
                          const std::string& copyName, const FileInfo& copy) {
    FileInfo source;
    // A run copies what a link in its list points to, so the source is read through links too;
    // a link that points at the copy itself is then caught as the same file below.
    if (m_fs.statBasicAt(sourceFolder, sourceName, source, true) != 0 || !source.isRegular)
        return false;
    if (copy.isSymlink)
        return false;
    if (source.dev == copy.dev && source.ino == copy.ino)
        return false;
    // The copy kept the source's size and last write time. A file that differs in either is no
    // longer the copy (the user may have saved new work under its name since): it stays.
    if (copy.size != source.size || !copy.lastWrite || !source.lastWrite ||
        !sameStoredTime(*copy.lastWrite, *source.lastWrite))
        return false;
    // Size and time are kept by other files too (cp -p of another file of that size): only the
    // source's very bytes make it the copy.
    bool equal = false;
    return m_fs.compareContentsAt(sourceFolder, sourceName, copyFolder, copyName, equal) == 0 && equal;
}

Reversal UndoEngine::reverse(const UndoRecord& r) {
    // A record whose write was cut short (its after path may be cut too) names a rename that was
    // never made, since a run makes a batch's renames only once all its records are written.
    if (r.cutShort && isRecordablePath(r.before)) {
        const Folder* folder = folderOf(parentOf(r.before));
        const std::string name = baseNameOf(r.before);
        FileInfo before;
        if (folder && !name.empty() && m_fs.statBasicAt(*folder, name, before, false) == 0)
            return Reversal::NeverHappened;
    }
    // Every path a run records is absolute and plain. Anything else is a damaged or edited line (a
    // path broken by a line end, say) and would resolve against whatever folder the program runs in,
    // or climb out of the folder it names.
    if (!isRecordablePath(r.before) || !isRecordablePath(r.after) || r.before == r.after)
        return Reversal::Failed;
    const std::string afterName = baseNameOf(r.after);
    const std::string beforeName = baseNameOf(r.before);
    const Folder* afterFolder = folderOf(parentOf(r.after));
    const Folder* beforeFolder = folderOf(parentOf(r.before));
    if (!afterFolder || !beforeFolder || afterName.empty() || beforeName.empty())
        return Reversal::Failed;
    FileInfo after;
    const bool found = m_fs.statBasicAt(*afterFolder, afterName, after, false) == 0;
    // A run writes the records of plain renames ahead of the renames, a batch at a time: when it was
    // cut off in between (no end line follows), the file of such a record is still at its old name.
    if (r.method == RenameMethod::RenameOnly && !r.settled) {
        FileInfo before;
        if (r.identity && !(found && identityOf(after) == r.identity) &&
            m_fs.statBasicAt(*beforeFolder, beforeName, before, false) == 0 && identityOf(before) == r.identity)
            return Reversal::NeverHappened;
    }
    if (!found)
        return Reversal::Failed;
    // The file the run left there still has its inode, size and last write time; anything else at
    // that path came later (or is the run's file changed since) and is not the run's to take back.
    if (r.method != RenameMethod::RenameAndCopy && (r.identity || r.identityDamaged) &&
        (r.identityDamaged || identityOf(after) != r.identity))
        return Reversal::NotTheRunsFile;
    // A run renames, moves and copies regular files and links to them, nothing else; and never the
    // history, which a hand-edited record could name.
    if (!(after.isRegular || after.isSymlink) || isHistory(after))
        return Reversal::Failed;
    if (after.isSymlink) {
        FileInfo linked;
        if (m_fs.statBasicAt(*afterFolder, afterName, linked, true) == 0 && isHistory(linked))
            return Reversal::Failed;
    }
    int err = 0;
    switch (r.method) {
    case RenameMethod::RenameAndCopy:
        if (!isCopyOf(*beforeFolder, beforeName, *afterFolder, afterName, after))
            return Reversal::Failed;
        err = m_fs.removeAt(*afterFolder, afterName);
        break;
    case RenameMethod::RenameAndMove: {
        // Outside a whole undo a move back is made durable at once.
        std::unique_ptr<TransferBatch> own;
        TransferBatch& batch = m_transfers ? *m_transfers : *(own = m_fs.beginTransfers());
        bool pending = false;
        err = batch.move(*afterFolder, afterName, *beforeFolder, beforeName, pending);
        if (err == 0 && pending && !own)
            return Reversal::Pending;
        if (err == 0 && pending) {
            std::vector<int> outcomes;
            own->flush({}, outcomes);
            err = outcomes.empty() ? 0 : outcomes.front();
            break;
        }
        // A move to another file system that was cut off before its source was removed leaves the
        // source and its copy: the copy goes when it holds the very bytes of the source.
        if (err == EEXIST && isCopyOf(*beforeFolder, beforeName, *afterFolder, afterName, after))
            err = m_fs.removeAt(*afterFolder, afterName);
        break;
    }
    case RenameMethod::RenameOnly:
        if (m_ahead) {
            queueReversal(r, *afterFolder, afterName, *beforeFolder, beforeName);
            return Reversal::Pending;
        }
        err = m_fs.renameAt(*afterFolder, afterName, *beforeFolder, beforeName);
        break;
    }
    return err == 0 ? Reversal::Restored : Reversal::Failed;
}

static constexpr std::size_t kReversalBatch = 256;

void UndoEngine::queueReversal(const UndoRecord& r, const Folder& afterFolder, const std::string& afterName,
                               const Folder& beforeFolder, const std::string& beforeName) {
    m_queued.push_back(QueuedReversal{&afterFolder, afterName, &beforeFolder, beforeName, r.number});
    m_queuedPaths.add(r.after);
    m_queuedPaths.add(r.before);
    m_queuedLast = true;
}

bool UndoEngine::queueTouches(const UndoRecord& r) const {
    for (const std::string* path : {&r.after, &r.before}) {
        if (!m_queued.empty() && m_queuedPaths.holds(*path))
            return true;
        for (const ReversalBatch& b : m_renaming)
            if (b.paths.holds(*path))
                return true;
    }
    return false;
}

void UndoEngine::renameQueued(UndoResult& result, bool wait) {
    const auto settleOldest = [this, &result] {
        ReversalBatch& b = m_renaming.front();
        m_worker->waitFor(b.job);
        for (std::size_t i = 0; i < b.renames.size(); ++i)
            if (b.errors[i] == 0) {
                ++result.restored;
                result.restoredRecords.push_back(b.renames[i].number);
            }
        m_renaming.pop_front();
    };
    if (!m_queued.empty()) {
        while (m_renaming.size() >= 2)
            settleOldest();
        ReversalBatch& b = m_renaming.emplace_back();
        b.renames.swap(m_queued);
        b.paths = m_queuedPaths.take();
        b.errors.assign(b.renames.size(), 0);
        // The worker reads the batch and writes its outcomes only; the batch stays where it is in the
        // deque until it is settled here.
        b.job = m_worker->start([this, &b] {
            for (std::size_t i = 0; i < b.renames.size(); ++i) {
                const QueuedReversal& q = b.renames[i];
                b.errors[i] = m_fs.renameAt(*q.from, q.fromName, *q.to, q.toName);
            }
        });
    }
    while (wait && !m_renaming.empty())
        settleOldest();
}

void UndoEngine::flushPending(UndoResult& result) {
    std::vector<int> outcomes;
    m_transfers->flush({}, outcomes);
    for (std::size_t i = 0; i < m_pending.size() && i < outcomes.size(); ++i) {
        if (outcomes[i] == 0) {
            ++result.restored;
            result.restoredRecords.push_back(m_pending[i]);
        }
    }
    m_pending.clear();
}

UndoResult UndoEngine::run(const std::string& path, const ProgressCallbacks& progress) {
    std::vector<std::string> lines;
    int err = HistoryFile::read(m_fs, path, lines);
    if (err != 0) {
        UndoResult result;
        result.error = err;
        result.errorMessage =
            "前回の変名履歴ファイルを読めません。(" + displayText(path) + ": " + std::strerror(err) + ")";
        return result;
    }
    FileInfo historyInfo;
    m_historyKnown = m_fs.stat(path, historyInfo, true) == 0;
    m_history = historyInfo;
    UndoResult result = runLines(lines, progress);
    // What this undo restored is noted in the history, so that a second undo leaves it alone: after a
    // chain (3 to 5, 1 to 4, 4 to 3) the restored 3 would otherwise be taken for the renamed 4.
    if (!result.restoredRecords.empty())
        result.noteError = m_fs.appendLine(path, history::undoneNote(result.restoredRecords));
    return result;
}

UndoResult UndoEngine::runLines(const std::vector<std::string>& lines, const ProgressCallbacks& progress) {
    UndoResult result;
    ProgressPacer pacer(progress);
    std::vector<UndoRecord> records = parseRecords(lines);
    result.pending =
        static_cast<int>(std::count_if(records.begin(), records.end(), [](const UndoRecord& r) { return !r.undone; }));
    const auto identities = std::count_if(records.begin(), records.end(),
                                          [](const UndoRecord& r) { return r.identity || r.identityDamaged; });
    const auto endLines = std::count(lines.begin(), lines.end(), history::kRecordsEndLine);
    result.maximum = progressMaximum(lines.size() - static_cast<std::size_t>(identities + endLines));
    pacer.start(result.maximum);

    // The last record is undone first: a run that renamed b to c and then a to b only comes back
    // whole in that order, since nothing is ever overwritten.
    m_transfers = m_fs.beginTransfers();
    // Plain renames back go to a second thread in batches while the next records are checked, where
    // the file system allows it. A record that names a path of a waiting rename, and every record
    // that is not a plain rename, waits for them all, so that its checks read the folders as a
    // record-by-record undo would.
    if (records.size() > kReversalBatch && m_fs.callsFromThreads())
        m_worker = WorkerThread::whereUseful();
    m_ahead = m_worker != nullptr; // else each record is reversed here
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (pacer.cancelRequested()) {
            result.cancelled = true;
            break;
        }
        if (m_ahead && (it->method != RenameMethod::RenameOnly || queueTouches(*it)))
            renameQueued(result, true);
        m_queuedLast = false;
        const Reversal outcome = it->undone ? Reversal::Failed : reverse(*it);
        if (outcome != Reversal::NeverHappened)
            ++result.seen;
        if (m_queuedLast) {
            // The batch has its own copy of the names: the record's room goes back now, while the
            // renames go on, rather than all at the end.
            std::string().swap(it->before);
            std::string().swap(it->after);
            if (m_queued.size() >= kReversalBatch)
                renameQueued(result, false);
        } else if (outcome == Reversal::Restored) {
            ++result.restored;
            result.restoredRecords.push_back(it->number);
        } else if (outcome == Reversal::Pending) {
            m_pending.push_back(it->number);
        } else if (outcome == Reversal::NotTheRunsFile) {
            ++result.notTheRunsFile;
        }
        if (m_transfers->flushDue())
            flushPending(result);
        pacer.step();
    }
    if (m_ahead)
        renameQueued(result, true);
    m_worker.reset();
    m_ahead = false;
    flushPending(result);
    m_transfers.reset();
    m_folders.clear();
    pacer.flush();
    std::sort(result.restoredRecords.begin(), result.restoredRecords.end());
    return result;
}

} // namespace rinoza
