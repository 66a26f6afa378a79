#include "run/UndoEngine.h"

#include "common/TextCodec.h"
#include "platform/TextNumbers.h"
#include "run/RunPaths.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace rinoza {

namespace history {

std::string undoneNote(const std::vector<int>& numbers) {
    std::string note(kUndoneNotePrefix);
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        if (i > 0)
            note += ',';
        note += std::to_string(numbers[i]);
        if (j > i) {
            note += '-';
            note += std::to_string(numbers[j]);
        }
        i = j + 1;
    }
    note += '}';
    return note;
}

bool readUndoneNote(std::string_view line, std::vector<std::pair<int, int>>& ranges) {
    if (!line.starts_with(kUndoneNotePrefix) || !line.ends_with('}'))
        return false;
    std::string_view list = line.substr(kUndoneNotePrefix.size(), line.size() - kUndoneNotePrefix.size() - 1);
    std::vector<std::pair<int, int>> found;
    auto number = [&list](int& v) {
        // Digits only: no sign may come between the separators.
        const std::size_t read = list.starts_with('+') ? 0 : readInteger(list, v);
        if (read == 0 || v < 1)
            return false;
        list.remove_prefix(read);
        return true;
    };
    while (!list.empty()) {
        int first = 0;
        int last = 0;
        if (!number(first))
            return false;
        last = first;
        if (list.starts_with('-')) {
            list.remove_prefix(1);
            if (!number(last) || last < first)
                return false;
        }
        found.emplace_back(first, last);
        if (list.starts_with(',')) {
            list.remove_prefix(1);
            if (list.empty())
                return false;
        } else if (!list.empty()) {
            return false;
        }
    }
    ranges.insert(ranges.end(), found.begin(), found.end());
    return true;
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
    std::vector<std::pair<int, int>> undone;
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
            } else {
                history::readUndoneNote(l, undone);
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
    const int count = static_cast<int>(records.size());
    for (const auto& [first, last] : undone)
        for (int n = first; n <= std::min(last, count); ++n)
            records[static_cast<std::size_t>(n - 1)].undone = true;
    return records;
}

int UndoEngine::progressMaximum(std::size_t lineCount) {
    if (lineCount < 6)
        return 0;
    return static_cast<int>((lineCount - 6) / 2);
}

bool UndoEngine::isHistory(const FileInfo& info) const {
    return m_historyKnown && info.dev == m_history.dev && info.ino == m_history.ino;
}

Reversal UndoEngine::reverse(const UndoRecord& r) {
    // Every path a run records is absolute and plain. Anything else is a damaged or edited line (a
    // path broken by a line end, say) and would resolve against whatever folder the program runs in,
    // or climb out of the folder it names.
    if (!isRecordablePath(r.before) || !isRecordablePath(r.after) || r.before == r.after)
        return Reversal::Failed;
    FileInfo after;
    if (m_fs.stat(r.after, after, false) != 0)
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
        if (m_fs.stat(r.after, linked, true) == 0 && isHistory(linked))
            return Reversal::Failed;
    }
    int err = 0;
    switch (r.method) {
    case RenameMethod::RenameAndCopy: {
        FileInfo source;
        // A run copies what a link in its list points to, so the source is read through links too;
        // a link that points at the copy itself is then caught as the same file below.
        if (m_fs.stat(r.before, source, true) != 0 || !source.isRegular)
            return Reversal::Failed;
        if (after.isSymlink)
            return Reversal::Failed;
        if (source.dev == after.dev && source.ino == after.ino)
            return Reversal::Failed;
        // The copy kept the source's size and last write time. A file that differs in either is no
        // longer the copy (the user may have saved new work under its name since): it stays.
        if (after.size != source.size || !after.lastWrite || !source.lastWrite ||
            !sameStoredTime(*after.lastWrite, *source.lastWrite))
            return Reversal::Failed;
        // Size and time are kept by other files too (cp -p of another file of that size): only the
        // source's very bytes make it the copy.
        bool equal = false;
        if (m_fs.compareContents(r.before, r.after, equal) != 0 || !equal)
            return Reversal::Failed;
        err = m_fs.removeFile(r.after);
        break;
    }
    case RenameMethod::RenameAndMove:
        err = m_fs.moveNoReplace(r.after, r.before);
        break;
    case RenameMethod::RenameOnly:
        err = m_fs.renameNoReplace(r.after, r.before);
        break;
    }
    return err == 0 ? Reversal::Restored : Reversal::Failed;
}

UndoResult UndoEngine::run(const std::string& path, const ProgressCallbacks& progress) {
    std::vector<std::string> lines;
    int err = HistoryFile::read(path, lines);
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
    const auto identities = std::count_if(records.begin(), records.end(),
                                          [](const UndoRecord& r) { return r.identity || r.identityDamaged; });
    result.maximum = progressMaximum(lines.size() - static_cast<std::size_t>(identities));
    pacer.start(result.maximum);

    // The last record is undone first: a run that renamed b to c and then a to b only comes back
    // whole in that order, since nothing is ever overwritten.
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (pacer.cancelRequested()) {
            result.cancelled = true;
            break;
        }
        ++result.seen;
        const Reversal outcome = it->undone ? Reversal::Failed : reverse(*it);
        if (outcome == Reversal::Restored) {
            ++result.restored;
            result.restoredRecords.push_back(it->number);
        } else if (outcome == Reversal::NotTheRunsFile) {
            ++result.notTheRunsFile;
        }
        pacer.step();
    }
    pacer.flush();
    std::reverse(result.restoredRecords.begin(), result.restoredRecords.end());
    return result;
}

} // namespace rinoza
