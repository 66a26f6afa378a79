#pragma once

// The timestamp and attribute changes as the start buttons of the two tabs start them: the checks of
// the list and the dates, the question, the progress dialog, the change engine over every row of
// the list, and the status text.

#include <QObject>
#include <QString>
#include <functional>

namespace rinoza {

class AttrTab;
class Clock;
class FileListModel;
class FileSystem;
class ProgressHost;
class TimeTab;

// What the changes need from the main window. The window fills one of these once.
struct StampsHost {
    TimeTab* timeTab = nullptr;                    // tbsTime
    AttrTab* attrTab = nullptr;                    // tbsAttr
    ProgressHost* progress = nullptr;              // BeginProgress / EndProgress / CancelRequested of the window
    FileListModel* model = nullptr;                // lvFile's rows, visited in display order
    std::function<void(const QString&)> setStatus; // first panel of stbMain
    FileSystem* fileSystem = nullptr;              // required: where the listed files are
    const Clock* clock = nullptr; // optional: the clock of the date and time buttons (the system's when null)
};

class StampsController : public QObject {
    Q_OBJECT
public:
    // Connects btnDateTimeChg and btnAttrChg to btnDateTimeChgClick and gives the time tab the clock.
    // timeTab, attrTab, progress and model must be set and outlive the controller.
    explicit StampsController(StampsHost host, QObject* parent = nullptr);

    // Rewrites a row's size, time and attribute columns from its file; a file that cannot be found
    // leaves the row as it is.
    void RefreshRowFromFile(int row);

public slots:
    // Click handler of both start buttons, told apart by the sender's name ("btnDateTimeChg" or
    // "btnAttrChg").
    void btnDateTimeChgClick();

private:
    void changeListedFiles(bool times);
    FileSystem& fileSystem() const;

    StampsHost m_host;
};

} // namespace rinoza
