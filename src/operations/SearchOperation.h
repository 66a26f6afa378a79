#pragma once

// A search of one folder into the file list, as the search tab and rinoza-cli start it: the display
// settings and the listed count make the walk's filters and limit, its rows join the list, and the
// user is told when the limit stops it.

#include "common/OperationPrompts.h"
#include "filelist/FileList.h"
#include "filelist/SearchWalk.h"
#include "settings/DisplaySettings.h"

#include <functional>
#include <string>

namespace rinoza {

struct SearchRequest {
    std::string folder;  // as typed or given
    std::string pattern; // empty: "*.*"
    bool subfolders = true;
    DisplaySettings display;
    bool withIcons = true; // rows show icons when the display settings say so (a terminal has none)
    bool details = true;   // rows carry the list's columns (see SearchOptions::withDetails)
};

// The walk's options for a search after listedBefore files were listed.
SearchOptions searchOptionsFor(const SearchRequest& request, int64_t listedBefore);

class FolderSearch {
public:
    // fs, list and prompts must outlive the search.
    FolderSearch(SearchRequest request, FileSystem& fs, FileList& list, OperationPrompts& prompts);

    // What the front end does while the walk goes on (both may be empty): the folder being read, once
    // per time slice when it changed; and letting its events run (a stop button may call requestStop).
    std::function<void(const std::string& folder)> folderChanged;
    std::function<void()> pumpEvents;

    // The time slice between pumps, in milliseconds.
    void setTimeSliceMs(int ms) { m_sliceMs = ms; }

    // Walks the folder; the rows join the list batch by batch. When one more file would pass the
    // limit, the rows so far stay, the walk ends and the user is told (Notice::Information).
    SearchResult run();
    // Ends the walk before its next entry.
    void requestStop();

private:
    SearchRequest m_request;
    FileSystem& m_fs;
    FileList& m_list;
    OperationPrompts& m_prompts;
    SearchWalk* m_walk = nullptr;
    bool m_stopRequested = false;
    int m_sliceMs = 20;
};

} // namespace rinoza
