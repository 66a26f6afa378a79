#pragma once

// Files dropped onto the main window: every text/uri-list drop that names local files, wherever on
// the window it lands (a text field included), is taken as a list of paths for the file list. The
// paths are added one by one as AddDroppedPath adds each, under the progress dialog (which a drop that
// ends soon does without), and its stop button can end the drop part way; the list changes once, at
// the end. Drops are refused while the window is busy
// (disabled, or a drop still being added) and while the list's own rows are being dragged out.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace rinoza {

class FileListController;

// The progress dialog as a drop uses it (the window's ProgressHost behind it).
struct DropProgress {
    // The dialog (which disables the window) with its bar at 0, at once or once the drop takes a while.
    std::function<void(const QString& activity, int maximum)> begin;
    std::function<void()> step;
    std::function<bool()> cancelRequested; // lets pending events run first when a time slice is over
    std::function<void()> pump;            // lets pending events run now
    std::function<void()> end;             // enables the window, closes the dialog (if it showed)
    std::function<bool()> busy;            // another operation holds the dialog
};

class FileDropHandler : public QObject {
    Q_OBJECT
public:
    // Watches the drag events of `window` and its children; empty progress callbacks show nothing.
    FileDropHandler(FileListController& list, DropProgress progress, QWidget* window);
    ~FileDropHandler() override;

    // Adds the dropped paths in order: progress dialog "ドロップファイル受付中" and its stop button,
    // one model update, then the row-count status text and the window brought to the front.
    void HandleFileDrop(const std::vector<std::string>& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool refusing() const;

    FileListController& m_list;
    DropProgress m_progress;
    QWidget* m_window;
    bool m_handling = false;
    bool m_queued = false;
    bool m_namesFiles = false; // the drag over the window names local files
    QByteArray m_uriList;      // its text/uri-list, read when it came in
    const QMimeData* m_uriListOf = nullptr;
};

} // namespace rinoza
