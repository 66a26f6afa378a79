#pragma once

// The file list without its view: the rows in display order, an index from full path to row, the
// count of files listed since the list was last cleared, and the rules for rows that come and go:
// a search appends its rows, a path added again replaces the file's earlier row, and after a search
// the newest row of a file stays. Sorting happens here too (the run visits rows in display order).
// An observer (the window's model) hears of every change before and after it is made.

#include "filelist/FileListRow.h"
#include "filelist/NameCollator.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace rinoza {

// The list's columns in their order.
enum FileListColumn {
    ColName,
    ColFolder,
    ColSize,
    ColExt,
    ColCreated,
    ColUpdated,
    ColAccessed,
    ColAttr,
    ColRemarks,
    ColumnCount
};

class FileListObserver {
public:
    virtual ~FileListObserver() = default;
    virtual void rowsAboutToBeInserted(int first, int last) = 0;
    virtual void rowsInserted() = 0;
    virtual void rowsAboutToBeRemoved(int first, int last) = 0;
    virtual void rowsRemoved() = 0;
    virtual void listAboutToBeReset() = 0;
    virtual void listReset() = 0;
    virtual void listAboutToBeReordered() = 0;
    // newPosition[i] is where the row that was at i went.
    virtual void listReordered(const std::vector<int>& newPosition) = 0;
    // What of rows [first, last] changed: everything, the remarks and marks, or whether they show icons.
    enum class Part { Whole, Remarks, Icons };
    virtual void rowsChanged(int first, int last, Part part) = 0;
};

class FileList {
public:
    FileList();
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    void setObserver(FileListObserver* observer) { m_observer = observer; }

    const std::vector<FileListRow>& rows() const { return m_rows; }
    int size() const { return static_cast<int>(m_rows.size()); }
    bool empty() const { return m_rows.empty(); }
    const FileListRow& row(int i) const { return m_rows[static_cast<std::size_t>(i)]; }
    std::string fullPath(int i) const;
    // The last row whose full path is exactly this path, or -1.
    int findRow(const std::string& fullPath) const;

    // Files listed since the list was last cleared (the search limit counts them); rows taken out by
    // the list's commands still count.
    int32_t listedCount() const { return m_listed; }

    // A batch of a search's rows, appended as one insertion; the count rises by their number.
    void appendListed(std::vector<FileListRow>&& rows);
    // One added file (a dropped or command-line path): an earlier row of the same path goes, so the
    // new row, at the end, is the file's only one.
    void addRow(FileListRow&& row);
    // Between these, addRow collects its rows and the list changes once, at the end: the rows
    // superseded by a later row of the same file go, and the new rows come in the order of their
    // paths' last occurrence, as row-by-row adding would leave them. The count follows each row at
    // once. Batches do not nest; `expected` rows are made room for.
    void beginAddBatch(std::size_t expected = 0);
    void endAddBatch();
    bool inAddBatch() const { return m_batch != nullptr; }
    // Removes every row that names the same file as a later row (exact path comparison); the newest
    // row stays and the count drops by the number removed, which is returned.
    int removeDuplicateRows();

    // Deletes every row (one reset) and zeroes the count.
    void clear();
    // Removes the given rows (any order, duplicates and rows out of range allowed); the count stays.
    void removeRowsAt(std::vector<int> rows);

    // Replaces rows in place.
    void setRow(int i, FileListRow row);
    void setRows(int first, std::span<const FileListRow> rows);
    // New remarks; a mark the row had is taken off, as it spoke of the remarks before.
    void setRemarks(int i, std::string remarks);
    // Remarks, marks and notes of the rows from `first` on, one per update, as one change.
    struct RemarksUpdate {
        std::string remarks;
        std::string mark;
        std::string note;
    };
    void setRemarksRange(int first, std::vector<RemarksUpdate> updates);
    // Takes the marks off every row (one change when any row had one).
    void clearMarks();
    int markedRowCount() const;

    // The rows themselves, for an operation that changes many of them in place (a run); rowsChanged
    // must follow for every row changed, so the index and the observer catch up.
    std::vector<FileListRow>& rowsToChange() { return m_rows; }
    void rowsChanged(int first, int last);

    // Sorting: 0 unsorted, +n ascending by column n (1..9), -n descending.
    int sortKey() const { return m_sortKey; }
    void setSortKey(int key) { m_sortKey = key; }
    // A click on the header of column (0-based): flips the direction when it is the sorted column,
    // else sorts ascending by it. Rows that compare equal keep their previous order.
    void sortByColumn(int column);
    // Negative, zero or positive by the current sort key.
    int compare(const FileListRow& a, const FileListRow& b) const;

    // Rows show no icons any more, rows made later neither.
    void dropAllIcons();

private:
    struct AddBatch;
    void appendRows(std::vector<FileListRow>&& rows);
    void removeUnkept(const std::vector<char>& keep);
    void forgetIndex();
    const NameCollator& collator() const;

    std::vector<FileListRow> m_rows;
    FileListObserver* m_observer = nullptr;
    std::unique_ptr<AddBatch> m_batch;
    mutable std::unique_ptr<NameCollator> m_collator; // made for the first sort
    // full path -> last row with it; rebuilt on demand after any change of names or order.
    mutable std::unordered_map<std::string, int> m_index;
    mutable bool m_indexValid = false;
    int32_t m_listed = 0;
    int m_sortKey = 0;
};

} // namespace rinoza
