#pragma once

// The model behind the file list lvFile: FileListRows in display order. Rows are appended in
// batches, a hash index from full path to row keeps duplicate removal O(1) per row, sorting happens
// here (the run visits rows in display order, so there is no proxy model), and icons are fetched
// only for rows that are painted, then cached.

#include "filelist/FileListRow.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <span>
#include <string>
#include <vector>

namespace rinoza {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
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

    explicit FileListModel(QObject* parent = nullptr);
    ~FileListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The designed widths of the nine columns (110, 100, 55, 50, 116, 116, 72, 50, 55).
    static int designedColumnWidth(int column);

    const std::vector<FileListRow>& rows() const { return m_rows; }
    const FileListRow& row(int i) const { return m_rows[static_cast<std::size_t>(i)]; }
    std::string fullPath(int i) const;
    // The last row whose full path is exactly this path, or -1.
    int findRow(const std::string& fullPath) const;

    // Appends rows at the end as one insertion.
    void appendRows(std::vector<FileListRow> rows);
    void appendRow(FileListRow row);
    // Deletes every row (one reset) and the icon cache.
    void clear();
    // Removes the given rows (any order, duplicates allowed).
    void removeRowsAt(std::vector<int> rows);
    // Replaces a row's texts; emits dataChanged for it.
    void setRow(int i, FileListRow row);
    // New remarks; a mark the row had is taken off, as it spoke of the remarks before.
    void setRemarks(int i, std::string remarks);
    // Replaces rows [first, first + rows.size()) with copies of rows; one dataChanged for them all.
    void setRows(int first, std::span<const FileListRow> rows);
    // The rows themselves, for a change that rewrites their columns and remarks where they stand, so
    // that a long change copies no row. Names and folders stay as they are (the path index keys on
    // them); rowsChangedInPlace then tells the views.
    std::vector<FileListRow>& rowsForChangeInPlace() { return m_rows; }
    // One dataChanged for rows [first, first + count), after a change in place.
    void rowsChangedInPlace(int first, int count);

    // Remarks and marks of the rows from `first` on, one per update, with one change signal.
    struct RemarksUpdate {
        std::string remarks;
        std::string mark;
        PhotoDateMemo photoDate;
    };
    void setRemarksRange(int first, std::vector<RemarksUpdate> updates);
    // Takes the marks off every row (one change signal when any row had one).
    void clearMarks();
    int markedRowCount() const;

    // Removes every row that names the same file as a later row (exact path comparison); the newest
    // row stays. Returns the number of rows removed.
    int RemoveDuplicateRows();

    // Sorting: 0 unsorted, +n ascending by column n (1..9), -n descending.
    int sortKey() const { return m_sortKey; }
    void setSortKey(int key) { m_sortKey = key; }
    // A click on the header of column (0-based): flips the direction when it is the sorted column,
    // else sorts ascending by it. Rows that compare equal keep their previous order.
    void lvFileColumnClick(int column);
    // Negative, zero or positive by the current sort key.
    int lvFileCompare(const FileListRow& a, const FileListRow& b) const;

    // Icons: rows made while icons were on show their file's icon, fetched when first painted.
    // Turning icons off forgets every icon; rows made later have none.
    void dropAllIcons();

private:
    void removeUnkept(const std::vector<char>& keep);
    void sortRows();

    std::vector<FileListRow> m_rows;
    int m_sortKey = 0;
    struct Impl;
    Impl* m_impl;
};

} // namespace rinoza
