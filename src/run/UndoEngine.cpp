#include "run/UndoEngine.h"

#include <cstring>

namespace rinoza {

namespace {

// Whether the copy's last write time is the source's as the copy's file system could keep it. Many
// file systems store coarser times than the source's (whole seconds, or two seconds on FAT, rounded
// either way), so the times count as equal when they share the whole second or lie less than two
// seconds apart.
bool sameStoredTime(const FileTime& copy, const FileTime& source) {
    if (copy.sec == source.sec)
        return true;
    const int64_t secs = copy.sec - source.sec;
    if (secs > 2 || secs < -2)
        return false;
    int64_t nanos = secs * 1'000'000'000 + (static_cast<int64_t>(copy.nsec) - source.nsec);
    if (nanos < 0)
        nanos = -nanos;
    return nanos < 2'000'000'000;
}

} // namespace

std::string UndoResult::statusText() const {
    return std::to_string(restored) + "/" + std::to_string(seen) + "個が変名を戻されました。";
}

std::vector<UndoRecord> UndoEngine::parseRecords(const std::vector<std::string>& lines) {
    std::vector<UndoRecord> records;
    RenameMethod method = RenameMethod::RenameOnly;
    std::string before;
    for (const std::string& line : lines) {
        std::string_view l = line;
        if (!l.empty() && l.front() == '{')
            continue;
        if (l == history::kChanged) {
            method = RenameMethod::RenameOnly;
        } else if (l == history::kCopyed) {
            method = RenameMethod::RenameAndCopy;
        } else if (l == history::kMoved) {
            method = RenameMethod::RenameAndMove;
        } else if (l.starts_with(history::kBefore)) {
            before = std::string(l.substr(history::kBefore.size()));
        } else if (l.starts_with(history::kAfter)) {
            records.push_back(UndoRecord{method, before, std::string(l.substr(history::kAfter.size()))});
        }
    }
    return records;
}

int UndoEngine::progressMaximum(std::size_t lineCount) {
    if (lineCount < 6)
        return 0;
    return static_cast<int>((lineCount - 6) / 2);
}

bool UndoEngine::reverse(const UndoRecord& r) {
    // Every path a run records is absolute. Anything else is a damaged line (a path broken by a line
    // end, say) and would resolve against whatever folder the program runs in.
    if (!r.before.starts_with('/') || !r.after.starts_with('/') || r.before == r.after)
        return false;
    switch (r.method) {
    case RenameMethod::RenameAndCopy: {
        FileInfo source;
        FileInfo copy;
        // A run copies what a link in its list points to, so the source is read through links too;
        // a link that points at the copy itself is then caught as the same file below.
        if (m_fs.stat(r.before, source, true) != 0 || source.isDirectory)
            return false;
        if (m_fs.stat(r.after, copy, false) != 0 || !copy.isRegular || copy.isSymlink)
            return false;
        if (source.dev == copy.dev && source.ino == copy.ino)
            return false;
        // The copy kept the source's size and last write time. A file that differs in either is no
        // longer the copy (the user may have saved new work under its name since): it stays.
        if (copy.size != source.size || !copy.lastWrite || !source.lastWrite ||
            !sameStoredTime(*copy.lastWrite, *source.lastWrite))
            return false;
        return m_fs.removeFile(r.after) == 0;
    }
    case RenameMethod::RenameAndMove:
        return m_fs.moveNoReplace(r.after, r.before) == 0;
    case RenameMethod::RenameOnly:
        break;
    }
    return m_fs.renameNoReplace(r.after, r.before) == 0;
}

UndoResult UndoEngine::run(const std::string& path, const ProgressCallbacks& progress) {
    std::vector<std::string> lines;
    int err = HistoryFile::read(path, lines);
    if (err != 0) {
        UndoResult result;
        result.error = err;
        result.errorMessage = "前回の変名履歴ファイルを読めません。(" + path + ": " + std::strerror(err) + ")";
        return result;
    }
    return runLines(lines, progress);
}

UndoResult UndoEngine::runLines(const std::vector<std::string>& lines, const ProgressCallbacks& progress) {
    UndoResult result;
    ProgressPacer pacer(progress);
    result.maximum = progressMaximum(lines.size());
    pacer.start(result.maximum);

    // The last record is undone first: a run that renamed b to c and then a to b only comes back
    // whole in that order, since nothing is ever overwritten.
    std::vector<UndoRecord> records = parseRecords(lines);
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        if (pacer.cancelRequested()) {
            result.cancelled = true;
            break;
        }
        ++result.seen;
        if (reverse(*it))
            ++result.restored;
        pacer.step();
    }
    pacer.flush();
    return result;
}

} // namespace rinoza
