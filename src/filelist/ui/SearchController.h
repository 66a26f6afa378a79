#pragma once

// The handlers of the search tab: browsing for the folder, running a search into the file list,
// stopping it, clearing the list, and adding single paths (dropped files, command-line paths).
// The controller works on widgets that the main window owns and hands over in SearchWidgets; it
// connects btnFnd, btnStart and btnStop to its handlers itself.
//
// A search runs inside btnStartClick on the caller's thread. While it runs, the search inputs and the
// rename tab are disabled, the list is hidden, the wait cursor shows, and Esc anywhere in the window
// presses btnStop.

#include "settings/DisplaySettings.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;
class QWidget;

namespace rinoza {

class FileListModel;
class SearchTab;
class SearchWalk;

struct SearchWidgets {
    QComboBox* cmbFndName = nullptr;
    QComboBox* cmbFnd = nullptr;
    QCheckBox* cbFnd = nullptr;
    QCheckBox* cbOpt = nullptr;
    QPushButton* btnFnd = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnlvClr = nullptr;
    QWidget* tbsSet = nullptr;
    QTabWidget* pgcMain = nullptr;
    QAbstractItemView* lvFile = nullptr;
    FileListModel* model = nullptr;
    std::function<void(const QString&)> setStatus;
    std::function<DisplaySettings()> displaySettings; // read at the start of every search
    std::function<void(bool)> setListMenuAutoPopup;
    // Optional: the bytes of the folder in cmbFnd (for a field that keeps bytes its text cannot show).
    // Without it the folder is the bytes of the drop-down entry whose text is in the field, else the
    // typed text as a file name.
    std::function<std::string()> folderBytes;
};

// The search tab's own controls and folder bytes; the caller adds the rest (tabs, list, model, callbacks).
SearchWidgets searchTabWidgets(SearchTab& tab);

class SearchController : public QObject {
    Q_OBJECT
public:
    explicit SearchController(SearchWidgets widgets, QObject* parent = nullptr);
    ~SearchController() override;

    // Files listed since the list was last cleared; the search limit is tested against it.
    int32_t ListedFileCount() const { return m_listedFileCount; }
    // Raises (or lowers, n < 0) the count: for rows that others add or take out as listed files.
    void addListedFiles(int32_t n) { m_listedFileCount += n; }
    bool StopRequested() const { return m_stopRequested; }
    // Rows removed by the last duplicate removal of a search.
    int RemovedDuplicateCount() const { return m_removedDuplicateCount; }
    bool isSearching() const { return m_searching; }

    // Lists one file without filters and without the limit, raising ListedFileCount by 1.
    // False (and nothing listed) when the path names no regular file or link to one.
    bool addPath(const std::string& path);

    // The time slice between window updates during a search, in milliseconds (tests shorten it).
    void setTimeSliceMs(int ms) { m_sliceMs = ms; }

public slots:
    void btnFndClick();
    void btnStartClick();
    void btnStopClick();
    void ClearFileList();
    void LockSearchControls();
    void UnlockSearchControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStatus(const QString& text);
    DisplaySettings settings() const;
    std::string folderBytes() const;
    void runWalk(const std::string& folder, const DisplaySettings& s);

    SearchWidgets m_w;
    int32_t m_listedFileCount = 0;
    int m_removedDuplicateCount = 0;
    bool m_stopRequested = false;
    bool m_searching = false;
    bool m_escFilter = false;
    int m_sliceMs = 20;
    SearchWalk* m_walk = nullptr; // the running walk, only inside btnStartClick
};

} // namespace rinoza
