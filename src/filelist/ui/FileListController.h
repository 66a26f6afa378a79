#pragma once

// The owner of the file list: the view lvFile over its model, the context menu pmList and its
// commands, the count of listed files, and every way rows come in (a search's batches, single
// paths, the command line) or go (clearing). Nobody else adds or removes rows; the run and the
// timestamp changes only update rows in place through model().

#include "filelist/FileListRow.h"
#include "settings/DisplaySettings.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QAction;
class QMenu;
class QStatusBar;
class QTableView;
class QWidget;

namespace rinoza {

class FileDragSource;
class FileListModel;
class FileSystem;
class IniFile;
struct TakenPath;

// What the list needs from the window around it.
struct FileListHost {
    FileSystem* fileSystem = nullptr;                 // required: where the listed files are
    QAbstractButton* clearButton = nullptr;           // btnlvClr: enabled while rows are listed
    std::function<void(const QString&)> setStatus;    // the status bar text
    std::function<DisplaySettings()> displaySettings; // read whenever rows are added
    // A path given as a folder (or that cannot be read): it becomes the search folder.
    std::function<void(const std::string&)> showSearchFolder;
    std::function<void()> showRenameTab;
    // The status bar, switched to one text without a size grip while rows are dragged out.
    std::function<QStatusBar*()> statusBar;
};

class FileListController : public QObject {
    Q_OBJECT
public:
    // Creates lvFile as a child of `viewParent`.
    FileListController(FileListHost host, QWidget* viewParent, QObject* parent = nullptr);
    ~FileListController() override;

    QTableView* view() const { return m_view; }
    // Where the listed files are.
    FileSystem& fileSystem() const { return *m_host.fileSystem; }
    FileListModel* model() const { return m_model; }
    QMenu* menu() const { return m_menu; }

    // The context menu's commands, named as their objectName.
    QAction* Open1 = nullptr;
    QAction* P1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N9 = nullptr;
    QAction* N18 = nullptr;
    QAction* N16 = nullptr;
    QAction* N17 = nullptr;

    // Where a mouse button last went down on the list, (-1, -1) until the first press; a drag starts from it.
    QPoint DragStartPoint{-1, -1};

    // Files listed since the list was last cleared; the search limit is tested against it.
    int32_t ListedFileCount() const;

    // Appends a batch of a search's rows, raising the count by their number.
    void appendListedRows(std::vector<FileListRow>&& rows);
    // Removes rows naming the same file as a later row and lowers the count by their number, which it returns.
    int RemoveDuplicateRows();
    // Lists one file regardless of the filters and the limit; an earlier row of the same path goes, so
    // the new row is the file's only one. False (nothing listed) when the path names no regular file
    // or link to one.
    bool addPath(const std::string& path);
    // One dropped or command-line path: a folder (or a path that cannot be read) becomes the search
    // folder; a file becomes a row, after which the list's menu and clear button come on and, with
    // Focus set, the rename tab shows.
    void AddDroppedPath(const std::string& path);
    // Paths in order, each as AddDroppedPath takes it, the next one only while goOn (when given)
    // returns true; a relative path is taken from workingFolder. The paths of a large drop are looked
    // up ahead on a second thread where the file system allows it.
    void AddDroppedPaths(const std::vector<std::string>& paths, const std::function<bool()>& goOn,
                         const std::string& workingFolder = {});
    // The command-line paths in order, with the list hidden meanwhile; then the row-count status text.
    // A relative path is taken from the working folder.
    void addPaths(const std::vector<std::string>& paths);

    // Between these, AddDroppedPath collects its rows and the model changes once, at the end: the
    // rows superseded by a later path of the same file go and the new rows come in the order of
    // their paths' last occurrence, as path-by-path adding would leave them. The count, the menu
    // and the clear button follow each path at once; the tab (and the search folder's focus) that
    // the last path chose is shown at the end. Batches do not nest; `expected` paths are made room for.
    void beginAddBatch(std::size_t expected = 0);
    void endAddBatch();

    // The status bar's text, and its row-count text.
    void setStatus(const QString& text);
    void showRowCountStatus();

    // Dragging the selected rows out (the press point, the threshold, the drag and its outcome).
    FileDragSource* dragSource() const { return m_drag.get(); }
    // While a drag from the list runs, the window takes no dropped files.
    bool isDraggingOut() const;
    // Removes those of the given rows whose file is gone from its listed path (after a move); the
    // count of listed files stays. Returns the number removed.
    int removeVanishedRows(const std::vector<int>& rows);
    // Removes the rows of these paths, whose files left (a target of a drag moved them), then shows
    // the row-count text; paths no row holds any more are passed over. The count of listed files stays.
    void removeRowsOfGoneFiles(const std::vector<std::string>& paths);

    // While rows have been listed since the last clear, the context menu pops up and the clear button works.
    void setRowsListed(bool on);
    bool rowsListed() const { return m_rowsListed; }

    // The selected row with the lowest index, or -1.
    int SelectedRow() const;

    // Column widths of section ColSize, read and written only while ColSize is on.
    void restoreState(const IniFile& ini, const DisplaySettings& s);
    void saveState(IniFile& ini, const DisplaySettings& s) const;

public slots:
    // Empties the list, turns the context menu and the clear button off, zeroes the count.
    void ClearFileList();
    // The clear command: ClearFileList and an empty status text.
    void N9Click();
    void SelectAll1Click();
    void N11Click();
    // Opens SelectedRow's file with the desktop; without a selected row, asks for one.
    void lvFileDblClick();
    // Shows SelectedRow's file in the file manager (its folder when none answers).
    void P1Click();
    // Takes the selected rows out of the list; their files stay.
    void N2Click();
    // Renames SelectedRow's file to a typed name, asking again while that name exists or holds a
    // character no file name may have; never replaces another file.
    void N18Click();
    // After one question, moves the selected rows' files to the trash, or deletes them for good when
    // the sending item's "tag" is 1 (N16); the rows whose files are gone leave the list.
    void N167Click();
    // Opens the context menu below the current row (the menu key, Shift+F10), once rows were listed.
    void popupMenuFromKeyboard();

private:
    void buildView(QWidget* viewParent);
    void buildMenu();
    DisplaySettings settings() const;
    // Appends one file's row (in a batch: collects it); an earlier row of the same path goes.
    void addRow(FileListRow&& row);
    // What AddDroppedPath does with a path once it is taken.
    void addTakenPath(TakenPath&& taken, const DisplaySettings& s);

    struct AddBatch;
    std::vector<char> selectedMarks() const; // one per row: 1 when selected
    std::vector<int> selectedRows() const;   // ascending
    void showRowCount();
    bool eventFilter(QObject* watched, QEvent* event) override;

    FileListHost m_host;
    std::unique_ptr<AddBatch> m_batch;
    std::unique_ptr<FileDragSource> m_drag;
    QTableView* m_view = nullptr;
    FileListModel* m_model = nullptr;
    QMenu* m_menu = nullptr;
    bool m_rowsListed = false;
};

} // namespace rinoza
