#pragma once

// The walk of a file search: lists the files of a folder, and optionally of every folder below it,
// whose names match one wildcard pattern, as FileListRows in the list's order:
//   the search folder's own files first; then depth first, where each folder's files come after the
//   files of all folders beneath it (R: f1, A/a1, A/A1/x, B/b1 -> f1, x, a1, b1). Within a folder,
//   files and subfolders go in the listing order of ListingOrder.h, whatever order the disk has.
//
// It runs on the caller's thread. The caller drives it through callbacks:
//   - rows:          a batch of new rows, handed over on every time slice and at the end;
//   - folderChanged: the folder now being read (for "検索中：" + folder), reported once per time slice
//                    when it changed;
//   - pumpEvents:    let the window process pending events; called at most about every 20 ms;
//                    a stop button pressed in there calls requestStop(), which the walk reads
//                    right after the pump;
//   - limitReached:  called once when one more file would raise the listed count above the limit;
//                    the walk then stops (the rows so far are delivered before the call).
//
// Folders are read once each; links to folders are followed, but a folder (device and inode) is
// never entered twice, so link loops end. Folders that cannot be read are passed over silently.
// Only regular files (and links to them) become rows.

#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rinoza {

struct SearchOptions {
    std::string pattern = "*.*";
    bool subfolders = true;
    bool showSystem = true;
    bool showHidden = true;
    bool showReadOnly = true;
    bool withIcons = true;
    // Rows carry the list's columns and what was read of each file. Without, a row has its name and
    // folder only, and a file is looked at only when a filter needs its attributes.
    bool withDetails = true;
    int64_t listedBefore = 0; // files listed since the list was last cleared
    int64_t limit = 10000;    // the most files that may be listed since then
};

struct SearchCallbacks {
    std::function<void(std::vector<FileListRow>&&)> rows;
    std::function<void(const std::string& folder)> folderChanged;
    std::function<void()> pumpEvents;
    std::function<void()> limitReached;
};

struct SearchResult {
    int64_t listed = 0;        // rows delivered by this walk
    bool stopped = false;      // by requestStop()
    bool limitReached = false; // by the limit
};

class SearchWalk {
public:
    // Reads the folders through fs.
    SearchWalk(FileSystem& fs, SearchOptions options, SearchCallbacks callbacks);
    ~SearchWalk();
    SearchWalk(const SearchWalk&) = delete;
    SearchWalk& operator=(const SearchWalk&) = delete;

    // Searches `folderText` (the search folder as typed; one trailing "/" is dropped, "/" stays).
    // The folder column of the rows starts with this text.
    SearchResult run(const std::string& folderText);

    // Ends the walk before the next entry (the stop button).
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }

    // The listed count so far: listedBefore plus the rows found.
    int64_t listedFileCount() const { return m_options.listedBefore + m_listed; }

    // The time slice between pumps, in milliseconds (tests shorten it).
    void setTimeSliceMs(int ms) { m_sliceMs = ms; }

private:
    struct Impl;
    friend struct Impl;

    FileSystem& m_fs;
    SearchOptions m_options;
    SearchCallbacks m_callbacks;
    bool m_stop = false;
    bool m_limitHit = false;
    int64_t m_listed = 0;
    int m_sliceMs = 20;
};

// The search folder of a typed folder text: one trailing "/" removed ("/" stays "/").
std::string searchFolderOf(const std::string& folderText);

} // namespace rinoza
