#include "filelist/FileList.h"

#include "common/TextCodec.h"
#include "platform/Paths.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace rinoza {

namespace {

// Removing more separate runs of rows than this is told as one reset: an observer's work per run
// would outgrow redrawing the list.
constexpr std::size_t kMaxRemoveRanges = 32;

// The text a column sorts by (UTF-8); the size column sorts by number instead.
std::string columnSortText(const FileListRow& r, int column) {
    switch (column) {
    case ColName:
        return displayText(r.name);
    case ColFolder:
        return displayText(r.folder);
    case ColSize:
        return r.sizeText();
    case ColExt:
        return r.extensionText();
    case ColCreated:
        return r.createdText();
    case ColUpdated:
        return r.updatedText();
    case ColAccessed:
        return r.accessedText();
    case ColAttr:
        return r.attributeText();
    default:
        return displayText(r.remarks);
    }
}

std::string pathOf(const FileListRow& r) {
    return joinPath(r.folder, r.name);
}

} // namespace

// The rows of a batch of added paths, waiting for the one change at its end.
struct FileList::AddBatch {
    std::vector<FileListRow> rows;
    std::vector<char> superseded;    // parallel to rows: a later row named the same file
    std::vector<int> replacedListed; // listed rows of files that the batch lists again
    // The last row of each path, in a table open-addressed by the hash of the full path: a slot holds
    // the hash and the row's index + 1 (0: free). The paths are joined in `key` as they are needed, so
    // a batch of thousands of paths keeps no string of its own for each.
    std::vector<std::pair<std::size_t, std::size_t>> slots;
    std::size_t used = 0;
    std::string key, other;

    explicit AddBatch(std::size_t expected) {
        rows.reserve(expected);
        superseded.reserve(expected);
        std::size_t size = 64;
        while (size < 2 * expected)
            size *= 2;
        slots.resize(size);
    }

    // Makes rows[at] the row of its path, whose full path is left in `key`; returns the row that was
    // it until now, or npos.
    std::size_t enter(std::size_t at) {
        if (2 * (used + 1) > slots.size())
            grow();
        joinPathInto(key, rows[at].folder, rows[at].name);
        const std::size_t hash = std::hash<std::string_view>{}(key);
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            auto& [slotHash, row] = slots[i];
            if (row == 0) {
                slotHash = hash;
                row = at + 1;
                ++used;
                return std::string::npos;
            }
            if (slotHash == hash && joinPathInto(other, rows[row - 1].folder, rows[row - 1].name) == key)
                return std::exchange(row, at + 1) - 1;
        }
    }

    void grow() {
        std::vector<std::pair<std::size_t, std::size_t>> old(slots.size() * 2);
        old.swap(slots);
        const std::size_t mask = slots.size() - 1;
        for (const auto& slot : old) {
            if (slot.second == 0)
                continue;
            std::size_t i = slot.first & mask;
            while (slots[i].second != 0)
                i = (i + 1) & mask;
            slots[i] = slot;
        }
    }
};

FileList::FileList() = default;
FileList::~FileList() = default;

const NameCollator& FileList::collator() const {
    if (!m_collator)
        m_collator = std::make_unique<NameCollator>();
    return *m_collator;
}

std::string FileList::fullPath(int i) const {
    return pathOf(row(i));
}

int FileList::findRow(const std::string& path) const {
    if (!m_indexValid) {
        m_index.clear();
        m_index.reserve(m_rows.size());
        for (std::size_t i = 0; i < m_rows.size(); ++i)
            m_index[pathOf(m_rows[i])] = static_cast<int>(i);
        m_indexValid = true;
    }
    auto it = m_index.find(path);
    return it == m_index.end() ? -1 : it->second;
}

void FileList::forgetIndex() {
    // Clearing costs a pass over every bucket: a run that changes one row after another forgets the
    // index once.
    if (!m_indexValid && m_index.empty())
        return;
    m_indexValid = false;
    std::unordered_map<std::string, int>().swap(m_index);
}

void FileList::appendRows(std::vector<FileListRow>&& rows) {
    if (rows.empty())
        return;
    const int first = size();
    if (m_observer)
        m_observer->rowsAboutToBeInserted(first, first + static_cast<int>(rows.size()) - 1);
    if (m_rows.empty()) {
        m_rows = std::move(rows);
    } else {
        // Room grows by half at least, so a search's many batches move the rows only a few times.
        const std::size_t needed = m_rows.size() + rows.size();
        if (m_rows.capacity() < needed)
            m_rows.reserve(std::max(needed, m_rows.capacity() + m_rows.capacity() / 2));
        std::move(rows.begin(), rows.end(), std::back_inserter(m_rows));
    }
    if (m_indexValid) {
        for (std::size_t i = static_cast<std::size_t>(first); i < m_rows.size(); ++i)
            m_index[pathOf(m_rows[i])] = static_cast<int>(i);
    }
    if (m_observer)
        m_observer->rowsInserted();
}

void FileList::appendListed(std::vector<FileListRow>&& rows) {
    m_listed += static_cast<int32_t>(rows.size());
    appendRows(std::move(rows));
}

void FileList::addRow(FileListRow&& row) {
    ++m_listed;
    if (m_batch) {
        AddBatch& b = *m_batch;
        b.rows.push_back(std::move(row));
        b.superseded.push_back(0);
        if (const std::size_t earlier = b.enter(b.rows.size() - 1); earlier != std::string::npos) {
            b.superseded[earlier] = 1;
            --m_listed;
        } else if (const int listed = m_rows.empty() ? -1 : findRow(b.key); listed >= 0) {
            b.replacedListed.push_back(listed);
            --m_listed;
        }
        return;
    }
    const int earlier = findRow(pathOf(row));
    std::vector<FileListRow> one;
    one.push_back(std::move(row));
    appendRows(std::move(one));
    if (earlier >= 0) {
        removeRowsAt({earlier});
        --m_listed;
    }
}

void FileList::beginAddBatch(std::size_t expected) {
    if (m_batch)
        return;
    m_batch = std::make_unique<AddBatch>(expected);
}

void FileList::endAddBatch() {
    if (!m_batch)
        return;
    std::unique_ptr<AddBatch> b = std::move(m_batch);
    if (!b->replacedListed.empty())
        removeRowsAt(std::move(b->replacedListed));
    if (std::find(b->superseded.begin(), b->superseded.end(), 1) == b->superseded.end()) {
        // No path came twice: the rows go in as they are, without moving each.
        appendRows(std::move(b->rows));
        return;
    }
    std::vector<FileListRow> rows;
    rows.reserve(b->rows.size());
    for (std::size_t i = 0; i < b->rows.size(); ++i) {
        if (!b->superseded[i])
            rows.push_back(std::move(b->rows[i]));
    }
    appendRows(std::move(rows));
}

int FileList::removeDuplicateRows() {
    std::vector<char> keep(m_rows.size(), 1);
    std::unordered_set<std::string> seen;
    seen.reserve(m_rows.size());
    int removed = 0;
    for (std::size_t i = m_rows.size(); i-- > 0;) {
        if (!seen.insert(pathOf(m_rows[i])).second) {
            keep[i] = 0;
            ++removed;
        }
    }
    if (removed)
        removeUnkept(keep);
    m_listed -= removed;
    return removed;
}

void FileList::clear() {
    if (m_observer)
        m_observer->listAboutToBeReset();
    m_rows.clear();
    m_rows.shrink_to_fit();
    forgetIndex();
    m_listed = 0;
    if (m_observer)
        m_observer->listReset();
}

void FileList::removeRowsAt(std::vector<int> rows) {
    std::vector<char> keep(m_rows.size(), 1);
    bool any = false;
    for (int r : rows) {
        if (r >= 0 && static_cast<std::size_t>(r) < m_rows.size()) {
            keep[static_cast<std::size_t>(r)] = 0;
            any = true;
        }
    }
    if (any)
        removeUnkept(keep);
}

// Removes the rows whose keep flag is false: by contiguous ranges from the last when they are few
// (an observer keeps selection and scroll position), else by one reset.
void FileList::removeUnkept(const std::vector<char>& keep) {
    std::vector<std::pair<int, int>> ranges; // [first, last], ascending
    for (std::size_t i = 0; i < keep.size(); ++i) {
        if (keep[i])
            continue;
        if (!ranges.empty() && ranges.back().second + 1 == static_cast<int>(i))
            ranges.back().second = static_cast<int>(i);
        else
            ranges.emplace_back(static_cast<int>(i), static_cast<int>(i));
    }
    if (ranges.empty())
        return;
    forgetIndex();
    if (ranges.size() > kMaxRemoveRanges) {
        if (m_observer)
            m_observer->listAboutToBeReset();
        std::size_t out = 0;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (!keep[i])
                continue;
            if (out != i)
                m_rows[out] = std::move(m_rows[i]);
            ++out;
        }
        m_rows.resize(out);
        if (m_observer)
            m_observer->listReset();
        return;
    }
    for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
        if (m_observer)
            m_observer->rowsAboutToBeRemoved(it->first, it->second);
        m_rows.erase(m_rows.begin() + it->first, m_rows.begin() + it->second + 1);
        if (m_observer)
            m_observer->rowsRemoved();
    }
}

void FileList::rowsChanged(int first, int last) {
    if (first > last || first < 0 || last >= size())
        return;
    forgetIndex();
    if (m_observer)
        m_observer->rowsChanged(first, last, FileListObserver::Part::Whole);
}

void FileList::setRow(int i, FileListRow row) {
    if (i < 0 || i >= size())
        return;
    m_rows[static_cast<std::size_t>(i)] = std::move(row);
    rowsChanged(i, i);
}

void FileList::setRows(int first, std::span<const FileListRow> rows) {
    if (rows.empty() || first < 0 || static_cast<std::size_t>(first) + rows.size() > m_rows.size())
        return;
    std::copy(rows.begin(), rows.end(), m_rows.begin() + first);
    rowsChanged(first, first + static_cast<int>(rows.size()) - 1);
}

void FileList::setRemarks(int i, std::string remarks) {
    if (i < 0 || i >= size())
        return;
    FileListRow& r = m_rows[static_cast<std::size_t>(i)];
    r.remarks = std::move(remarks);
    r.mark.clear();
    if (m_observer)
        m_observer->rowsChanged(i, i, FileListObserver::Part::Remarks);
}

void FileList::setRemarksRange(int first, std::vector<RemarksUpdate> updates) {
    if (first < 0 || updates.empty() || first + static_cast<int>(updates.size()) > size())
        return;
    for (std::size_t k = 0; k < updates.size(); ++k) {
        FileListRow& r = m_rows[static_cast<std::size_t>(first) + k];
        r.remarks = std::move(updates[k].remarks);
        r.mark = std::move(updates[k].mark);
        r.note = std::move(updates[k].note);
    }
    if (m_observer)
        m_observer->rowsChanged(first, first + static_cast<int>(updates.size()) - 1, FileListObserver::Part::Remarks);
}

void FileList::clearMarks() {
    int firstMarked = -1, lastMarked = -1;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].mark.empty())
            continue;
        m_rows[i].mark.clear();
        if (firstMarked < 0)
            firstMarked = static_cast<int>(i);
        lastMarked = static_cast<int>(i);
    }
    if (firstMarked >= 0 && m_observer)
        m_observer->rowsChanged(firstMarked, lastMarked, FileListObserver::Part::Remarks);
}

int FileList::markedRowCount() const {
    return static_cast<int>(
        std::count_if(m_rows.begin(), m_rows.end(), [](const FileListRow& r) { return !r.mark.empty(); }));
}

int FileList::compare(const FileListRow& a, const FileListRow& b) const {
    if (m_sortKey == 0)
        return 0;
    const int column = std::abs(m_sortKey) - 1;
    int r;
    if (column == ColSize) {
        const int64_t ka = SizeKb(a.size), kb = SizeKb(b.size);
        r = ka < kb ? -1 : (ka > kb ? 1 : 0);
    } else {
        r = collator().compare(columnSortText(a, column), columnSortText(b, column));
    }
    return m_sortKey < 0 ? -r : r;
}

void FileList::sortByColumn(int column) {
    if (column < 0 || column >= ColumnCount)
        return;
    const int key = column + 1;
    m_sortKey = std::abs(m_sortKey) == key ? -m_sortKey : key;
    if (m_rows.size() < 2)
        return;
    const bool descending = m_sortKey < 0;
    const std::size_t n = m_rows.size();
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (column == ColSize) {
        std::vector<int64_t> kb(n);
        for (std::size_t i = 0; i < n; ++i)
            kb[i] = SizeKb(m_rows[i].size);
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return kb[x] > kb[y]; });
        else
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return kb[x] < kb[y]; });
    } else {
        // One collation key per row, then plain byte comparisons while sorting.
        std::vector<std::string> keys(n);
        for (std::size_t i = 0; i < n; ++i)
            keys[i] = collator().sortKey(columnSortText(m_rows[i], column));
        if (descending)
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return keys[y] < keys[x]; });
        else
            std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) { return keys[x] < keys[y]; });
    }

    if (m_observer)
        m_observer->listAboutToBeReordered();
    std::vector<FileListRow> rows(n);
    std::vector<int> newPos(n);
    for (std::size_t i = 0; i < n; ++i) {
        rows[i] = std::move(m_rows[order[i]]);
        newPos[order[i]] = static_cast<int>(i);
    }
    m_rows = std::move(rows);
    forgetIndex();
    if (m_observer)
        m_observer->listReordered(newPos);
}

void FileList::dropAllIcons() {
    for (FileListRow& r : m_rows)
        r.hasIcon = false;
    if (!m_rows.empty() && m_observer)
        m_observer->rowsChanged(0, size() - 1, FileListObserver::Part::Icons);
}

} // namespace rinoza
