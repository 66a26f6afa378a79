#include "filelist/ui/FileDropHandler.h"

#include "filelist/UriList.h"
#include "filelist/ui/FileListController.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSysInfo>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <utility>

namespace rinoza {

namespace {

const QString kUriList = QStringLiteral("text/uri-list");
// pcmanfm-qt's own list of the same files: its text/uri-list is made from each path read as UTF-8,
// so a name in another encoding (Shift-JIS) arrives there as U+FFFD; this one keeps the bytes.
const QString kLibfmFiles = QStringLiteral("libfm/files");

std::string_view viewOf(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::vector<std::string> droppedPaths(const QByteArray& uriList) {
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    return localPathsOfUriList(viewOf(uriList), viewOf(host));
}

// Whether the list names at least one local file, without decoding every path of a large drop.
bool namesLocalFiles(const QByteArray& list) {
    qsizetype start = 0;
    const QByteArray host = QSysInfo::machineHostName().toUtf8();
    while (start < list.size()) {
        qsizetype end = list.indexOf('\n', start);
        if (end < 0)
            end = list.size();
        const std::string_view line(list.constData() + start, static_cast<std::size_t>(end - start));
        if (!localPathsOfUriList(line, viewOf(host)).empty())
            return true;
        start = end + 1;
    }
    return false;
}

// The dropped list of URIs, taken from the list that keeps the names' bytes where there are two.
QByteArray uriListOf(const QMimeData* data) {
    if (!data)
        return {};
    if (data->hasFormat(kLibfmFiles) && data->hasFormat(kUriList))
        return data->data(kLibfmFiles);
    return data->hasFormat(kUriList) ? data->data(kUriList) : QByteArray();
}

} // namespace

FileDropHandler::FileDropHandler(FileListController& list, DropProgress progress, QWidget* window)
    : QObject(window), m_list(list), m_progress(std::move(progress)), m_window(window) {
    // The application sees a drag before the widget under the pointer, so a file dropped onto a
    // text field becomes a listed file rather than its URI typed into the field.
    qApp->installEventFilter(this);
}

FileDropHandler::~FileDropHandler() {
    qApp->removeEventFilter(this);
}

bool FileDropHandler::refusing() const {
    return m_list.isDraggingOut() || m_handling || m_queued || !m_window->isEnabled() ||
           (m_progress.busy && m_progress.busy());
}

bool FileDropHandler::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    auto* e = static_cast<QDropEvent*>(event);
    const QMimeData* data = e->mimeData();
    // The data is looked at once per target widget: another program's data may have to be fetched
    // from it, and moves come many times a second.
    if (type == QEvent::DragEnter) {
        // Kept for the drop: the list of a large drag is made or fetched once.
        m_uriList = uriListOf(data);
        m_uriListOf = data;
        m_namesFiles = namesLocalFiles(m_uriList);
    }
    // Other drags (text, web links) stay with the widgets that take them.
    if (!m_namesFiles || !data)
        return false;
    // The files stay where they are, so only a copy (or a link) is agreed to: accepting a move would
    // let the source delete them.
    const Qt::DropAction action = (e->possibleActions() & Qt::CopyAction)   ? Qt::CopyAction
                                  : (e->possibleActions() & Qt::LinkAction) ? Qt::LinkAction
                                                                            : Qt::IgnoreAction;
    if (refusing() || action == Qt::IgnoreAction) {
        e->setDropAction(Qt::IgnoreAction);
        e->ignore();
        return true;
    }
    e->setDropAction(action);
    e->accept();
    if (type == QEvent::Drop) {
        // The paths are added once the drop event has returned, so the program that dragged them is
        // told at once that they were taken and never waits for the list.
        m_queued = true;
        const QByteArray list = data == m_uriListOf ? std::exchange(m_uriList, QByteArray()) : uriListOf(data);
        m_uriListOf = nullptr;
        QMetaObject::invokeMethod(
            this,
            [this, paths = droppedPaths(list)] {
                m_queued = false;
                HandleFileDrop(paths);
            },
            Qt::QueuedConnection);
    }
    return true;
}

void FileDropHandler::HandleFileDrop(const std::vector<std::string>& paths) {
    m_handling = true;
    m_list.beginAddBatch(paths.size());
    // The count is not cut to 16 bits: every path of a drop of any size is added.
    if (m_progress.begin)
        m_progress.begin(QStringLiteral("ドロップファイル受付中"),
                         static_cast<int>(std::min<std::size_t>(paths.size(), INT_MAX)));
    m_list.setStatus(QStringLiteral("ドロップファイル受付中..."));
    m_list.AddDroppedPaths(paths, [this] {
        if (m_progress.step)
            m_progress.step();
        if (m_progress.cancelRequested && m_progress.cancelRequested()) {
            if (m_progress.pump)
                m_progress.pump();
            return false;
        }
        return true;
    });
    if (m_progress.end)
        m_progress.end();
    // The window takes focus again before the batch ends, so a dropped folder's field can take it.
    m_list.endAddBatch();
    m_handling = false;
    m_list.showRowCountStatus();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace rinoza
