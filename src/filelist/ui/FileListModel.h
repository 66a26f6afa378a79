#pragma once

// The model behind the file list lvFile: the rows of a FileList (the list's own rules live there),
// shown in columns. The model hears of every change of the list and tells the view; icons are
// fetched only for rows that are painted, then cached.

#include "filelist/FileList.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <span>
#include <string>
#include <vector>

namespace rinoza {

class FileListModel : public QAbstractTableModel, private FileListObserver {
    Q_OBJECT
public:
    enum Column {
        ColName = rinoza::ColName,
        ColFolder = rinoza::ColFolder,
        ColSize = rinoza::ColSize,
        ColExt = rinoza::ColExt,
        ColCreated = rinoza::ColCreated,
        ColUpdated = rinoza::ColUpdated,
        ColAccessed = rinoza::ColAccessed,
        ColAttr = rinoza::ColAttr,
        ColRemarks = rinoza::ColRemarks,
        ColumnCount = rinoza::ColumnCount
    };

    explicit FileListModel(QObject* parent = nullptr);
    ~FileListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The designed widths of the nine columns (110, 100, 55, 50, 116, 116, 72, 50, 55).
    static int designedColumnWidth(int column);

    // The list itself: whatever changes it is shown.
    FileList& list() { return m_list; }
    const FileList& list() const { return m_list; }

    const std::vector<FileListRow>& rows() const { return m_list.rows(); }
    const FileListRow& row(int i) const { return m_list.row(i); }
    std::string fullPath(int i) const { return m_list.fullPath(i); }
    int findRow(const std::string& fullPath) const { return m_list.findRow(fullPath); }

    // Appends rows at the end as one insertion.
    void appendRows(std::vector<FileListRow> rows) { m_list.appendListed(std::move(rows)); }
    void appendRow(FileListRow row);
    // Deletes every row (one reset) and the icon cache.
    void clear();
    void removeRowsAt(std::vector<int> rows) { m_list.removeRowsAt(std::move(rows)); }
    void setRow(int i, FileListRow row) { m_list.setRow(i, std::move(row)); }
    void setRemarks(int i, std::string remarks) { m_list.setRemarks(i, std::move(remarks)); }
    void setRows(int first, std::span<const FileListRow> rows) { m_list.setRows(first, rows); }
    using RemarksUpdate = FileList::RemarksUpdate;
    void setRemarksRange(int first, std::vector<RemarksUpdate> updates) {
        m_list.setRemarksRange(first, std::move(updates));
    }
    void clearMarks() { m_list.clearMarks(); }
    int markedRowCount() const { return m_list.markedRowCount(); }
    int RemoveDuplicateRows() { return m_list.removeDuplicateRows(); }

    int sortKey() const { return m_list.sortKey(); }
    void setSortKey(int key) { m_list.setSortKey(key); }
    void lvFileColumnClick(int column) { m_list.sortByColumn(column); }
    int lvFileCompare(const FileListRow& a, const FileListRow& b) const { return m_list.compare(a, b); }

    // Turning icons off forgets every icon; rows made later have none.
    void dropAllIcons();

private:
    void rowsAboutToBeInserted(int first, int last) override;
    void rowsInserted() override;
    void rowsAboutToBeRemoved(int first, int last) override;
    void rowsRemoved() override;
    void listAboutToBeReset() override;
    void listReset() override;
    void listAboutToBeReordered() override;
    void listReordered(const std::vector<int>& newPosition) override;
    void rowsChanged(int first, int last, Part part) override;

    FileList m_list;
    struct Impl;
    Impl* m_impl;
};

} // namespace rinoza
