#include "stamps/StampEngine.h"

#include "platform/Paths.h"

#include <cerrno>

namespace rinoza {

std::string stampOutcome::timeError(int err) {
    return "x:Err(Date&Time<" + std::to_string(err) + ">)";
}

std::string StampResult::statusText() const {
    std::string count = std::to_string(changed);
    count += stampText::kChanged;
    if (!cancelled)
        return count;
    return std::string(stampText::kStopped) + count;
}

DateCheck checkDates(const TimeChange& change) {
    if (!IsDateText(DateTextOf(change.creation)))
        return DateCheck::BadCreation;
    if (!IsDateText(DateTextOf(change.update)))
        return DateCheck::BadUpdate;
    return DateCheck::Valid;
}

bool RefreshRowFromFile(FileListRow& row, FileSystem& fs) {
    FileInfo info;
    if (fs.stat(joinPath(row.folder, row.name), info) != 0)
        return false;
    refreshRowFromInfo(row, info);
    return true;
}

const Folder* StampEngine::folderOf(const FileListRow& row, int& err) {
    auto [it, made] = m_folders.try_emplace(row.folder);
    if (made)
        it->second.error = m_fs.openFolder(row.folder, nullptr, it->second.folder);
    err = it->second.error;
    const Folder* folder = it->second.folder.get();
    if (folder && row.folderId.known() && !(row.folderId == folder->id())) {
        err = ESTALE;
        return nullptr;
    }
    return folder;
}

bool StampEngine::changeRow(FileListRow& row, const StampRequest& request) {
    RunMemo memo{PrepareTimeChange(request.times), {}};
    return changeRow(row, request, memo);
}

bool StampEngine::changeRow(FileListRow& row, const StampRequest& request, RunMemo& memo) {
    row.remarks.clear();
    int err = 0;
    const Folder* folder = folderOf(row, err);
    // The change hands back the file's information right after it, which refreshes the row as a
    // lookup of the path would.
    std::optional<FileInfo> after;
    if (request.kind == StampRequest::Kind::Times) {
        if (folder)
            err = ChangeFileDateTimesAt(m_fs, *folder, row.name, memo.times, &after);
        if (err)
            row.remarks = stampOutcome::timeError(err);
    } else if (!folder || ChangeFileAttributesAt(m_fs, *folder, row.name, request.attributes, &after) != 0) {
        row.remarks = stampOutcome::kAttrError;
    }
    if (after)
        refreshRowFromInfo(row, *after, &memo.dates);
    if (!row.remarks.empty() && row.remarks[0] == 'x')
        return false;
    row.remarks = stampOutcome::kOk;
    return true;
}

StampResult StampEngine::run(std::vector<FileListRow>& rows, const StampRequest& request,
                             const StampCallbacks& callbacks) {
    StampResult result;
    RunMemo memo{PrepareTimeChange(request.times), {}};
    std::size_t done = 0, reported = 0;
    // The rows done so far go out as one change right before events run, so the list repaints once
    // per time slice rather than once per file.
    auto report = [&] {
        if (done > reported && callbacks.rowsChanged)
            callbacks.rowsChanged(reported, done - reported);
        reported = done;
    };
    ProgressCallbacks paced = callbacks;
    paced.pumpEvents = [&] {
        report();
        if (callbacks.pumpEvents)
            callbacks.pumpEvents();
    };
    ProgressPacer pacer(paced);
    const std::size_t count = rows.size();
    pacer.start(static_cast<int>(count));
    // The rows may be a list's own, which events run between two rows could shorten.
    for (std::size_t i = 0; i < count && i < rows.size(); ++i) {
        if (pacer.cancelRequested())
            break;
        pacer.step();
        if (changeRow(rows[i], request, memo))
            ++result.changed;
        done = i + 1;
    }
    // Shows the last position and lets events run once more, also on the way out after a stop.
    pacer.flush();
    report();
    m_folders.clear();
    result.cancelled = pacer.cancelRequested();
    return result;
}

} // namespace rinoza
