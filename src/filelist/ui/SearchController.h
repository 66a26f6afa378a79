#pragma once

// The handlers of the search tab: browsing for the folder, running a search into the file list and
// stopping it. The controller works on widgets that the main window owns and hands over in
// SearchWidgets; it connects btnFnd, btnStart and btnStop to its handlers itself. Rows go into the
// list through its FileListController.
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

class QCheckBox;
class QComboBox;
class QPushButton;
class QTabWidget;
class QWidget;

namespace rinoza {

class FileListController;
class PathComboBox;
class FolderSearch;
class SearchTab;

struct SearchWidgets {
    QComboBox* cmbFndName = nullptr;
    PathComboBox* cmbFnd = nullptr;
    QCheckBox* cbFnd = nullptr;
    QCheckBox* cbOpt = nullptr;
    QPushButton* btnFnd = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnStop = nullptr;
    QWidget* tbsSet = nullptr;
    QTabWidget* pgcMain = nullptr;
    FileListController* list = nullptr;
    std::function<void(const QString&)> setStatus;
    std::function<DisplaySettings()> displaySettings; // read at the start of every search
};

// The search tab's own controls and folder bytes; the caller adds the rest (tabs, list, model, callbacks).
SearchWidgets searchTabWidgets(SearchTab& tab);

class SearchController : public QObject {
    Q_OBJECT
public:
    explicit SearchController(SearchWidgets widgets, QObject* parent = nullptr);
    ~SearchController() override;

    bool StopRequested() const { return m_stopRequested; }
    // Rows removed by the last duplicate removal of a search.
    int RemovedDuplicateCount() const { return m_removedDuplicateCount; }
    bool isSearching() const { return m_searching; }

    // The time slice between window updates during a search, in milliseconds (tests shorten it).
    void setTimeSliceMs(int ms) { m_sliceMs = ms; }

public slots:
    void btnFndClick();
    void btnStartClick();
    void btnStopClick();
    void LockSearchControls();
    void UnlockSearchControls();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStatus(const QString& text);
    DisplaySettings settings() const;
    void runWalk(const std::string& folder, const DisplaySettings& s);

    SearchWidgets m_w;
    int m_removedDuplicateCount = 0;
    bool m_stopRequested = false;
    bool m_searching = false;
    bool m_escFilter = false;
    int m_sliceMs = 20;
    FolderSearch* m_search = nullptr; // the running search, only inside btnStartClick
};

} // namespace rinoza
