#include "operations/SearchOperation.h"

#include "operations/Messages.h"

namespace rinoza {

SearchOptions searchOptionsFor(const SearchRequest& request, int64_t listedBefore) {
    SearchOptions o;
    o.pattern = request.pattern.empty() ? std::string("*.*") : request.pattern;
    o.subfolders = request.subfolders;
    o.showSystem = request.display.LVSysVisible;
    o.showHidden = request.display.LVHiddenVisible;
    o.showReadOnly = request.display.LVReadonlyVisible;
    o.withIcons = request.withIcons && request.display.LVIconVisible;
    o.withDetails = request.details;
    o.listedBefore = listedBefore;
    o.limit = request.display.LVIconMax;
    return o;
}

FolderSearch::FolderSearch(SearchRequest request, FileSystem& fs, FileList& list, OperationPrompts& prompts)
    : m_request(std::move(request)), m_fs(fs), m_list(list), m_prompts(prompts) {}

void FolderSearch::requestStop() {
    m_stopRequested = true;
    if (m_walk)
        m_walk->requestStop();
}

SearchResult FolderSearch::run() {
    SearchCallbacks cb;
    cb.rows = [this](std::vector<FileListRow>&& rows) { m_list.appendListed(std::move(rows)); };
    cb.folderChanged = folderChanged;
    cb.pumpEvents = pumpEvents;
    cb.limitReached = [this] {
        m_prompts.tell(Notice::Information, msg::searchLimitMessage(m_request.display.LVIconMax));
    };

    SearchWalk walk(m_fs, searchOptionsFor(m_request, m_list.listedCount()), std::move(cb));
    walk.setTimeSliceMs(m_sliceMs);
    m_walk = &walk;
    struct Release {
        SearchWalk*& p;
        ~Release() { p = nullptr; }
    } release{m_walk};
    if (m_stopRequested) // asked for before the walk began
        walk.requestStop();
    return walk.run(m_request.folder);
}

} // namespace rinoza
