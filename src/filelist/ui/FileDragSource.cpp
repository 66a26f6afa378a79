#include "filelist/ui/FileDragSource.h"

#include "filelist/UriList.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/VanishWatch.h"

#include <QByteArray>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QEvent>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QStatusBar>
#include <QTableView>

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace rinoza {

namespace {

constexpr int kDragThreshold = 10;
// How long the rows' folders are watched after a drop without any change in them.
constexpr std::chrono::seconds kWatchAfterDrop{15};

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

std::vector<int> selectedRowsInOrder(const QTableView& view) {
    std::vector<int> rows;
    if (!view.selectionModel())
        return rows;
    for (const QModelIndex& i : view.selectionModel()->selectedRows())
        rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

FileDragSource::FileDragSource(FileListController& list, std::function<QStatusBar*()> statusBar)
    : m_list(list), m_statusBar(std::move(statusBar)) {
    m_runner = [](QDrag& drag) { return drag.exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction); };
    m_watch = std::make_unique<VanishWatch>(
        m_list.fileSystem(), [this](const std::vector<std::string>& gone) { m_list.removeRowsOfGoneFiles(gone); });
    list.view()->viewport()->installEventFilter(this);
}

FileDragSource::~FileDragSource() = default;

bool FileDragSource::dragStarts(QPoint start, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    if (start.x() == -1)
        return false;
    if (buttons != Qt::LeftButton && buttons != Qt::RightButton)
        return false;
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return false;
    return std::abs(pos.x() - start.x()) >= kDragThreshold || std::abs(pos.y() - start.y()) >= kDragThreshold;
}

QMimeData* FileDragSource::mimeDataOf(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), bytes(uriListOf(paths)));
    data->setData(QStringLiteral("x-special/gnome-copied-files"), bytes(gnomeCopiedFilesOf(paths)));
    return data;
}

QString FileDragSource::feedbackText(Qt::DropAction action) {
    switch (action) {
    case Qt::CopyAction:
        return QStringLiteral("コピー");
    case Qt::MoveAction:
        return QStringLiteral("移動");
    case Qt::LinkAction:
        return QStringLiteral("ショートカット作成");
    default:
        return QStringLiteral("ドロップ不可");
    }
}

FileDragSource::Outcome FileDragSource::outcomeOf(Qt::DropAction result) {
    if (result & Qt::CopyAction)
        return Outcome::CopyDrop;
    // A target that moved the files itself answers TargetMoveAction, which carries the move bit.
    if (result & Qt::MoveAction)
        return Outcome::MoveDrop;
    if (result & Qt::LinkAction)
        return Outcome::LinkDrop;
    if (result == Qt::IgnoreAction)
        return Outcome::Cancelled;
    return Outcome::Other;
}

void FileDragSource::DropSourceFeedback(Qt::DropAction action) {
    if (QStatusBar* bar = m_statusBar ? m_statusBar() : nullptr)
        bar->showMessage(feedbackText(action));
}

FileDragSource::Outcome FileDragSource::RunDrag() {
    QTableView* view = m_list.view();
    const std::vector<int> rows = selectedRowsInOrder(*view);
    if (rows.empty())
        return Outcome::Other;
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (int r : rows)
        paths.push_back(m_list.model()->fullPath(r));

    QStatusBar* bar = m_statusBar ? m_statusBar() : nullptr;
    const bool grip = bar && bar->isSizeGripEnabled();
    if (bar)
        bar->setSizeGripEnabled(false);
    m_dragging = true;
    // X11 targets ask for the data after the drop, once exec() has returned: the drag object lives
    // until the target has finished, and Qt deletes it then (or with the view).
    QPointer<QDrag> drag = new QDrag(view);
    drag->setMimeData(mimeDataOf(paths));
    connect(drag, &QDrag::actionChanged, this, &FileDragSource::DropSourceFeedback);
    // The pointer starts over the list, which takes no files of its own.
    DropSourceFeedback(Qt::IgnoreAction);
    const Qt::DropAction result = m_runner(*drag);
    if (drag)
        disconnect(drag, nullptr, this, nullptr);
    m_dragging = false;
    if (bar) {
        bar->clearMessage();
        bar->setSizeGripEnabled(grip);
    }

    const Outcome outcome = outcomeOf(result);
    if (outcome == Outcome::MoveDrop) {
        m_list.removeVanishedRows(selectedRowsInOrder(*view));
        m_list.showRowCountStatus();
    }
    // A file manager moves the files after the drag has returned, some only once the user has chosen
    // the action in their own menu (and then the drag reports a copy): the rows of files that leave
    // in the next seconds go as they go.
    if (outcome == Outcome::CopyDrop || outcome == Outcome::MoveDrop || outcome == Outcome::LinkDrop)
        m_watch->watch(paths, kWatchAfterDrop);
    return outcome;
}

void FileDragSource::lvFileMouseDown(const QMouseEvent& e) {
    m_list.DragStartPoint = e.position().toPoint();
    m_pressOnRow = m_list.view()->indexAt(m_list.DragStartPoint).isValid();
    m_menuOnRelease = false;
    m_rightDown = e.button() == Qt::RightButton;
}

bool FileDragSource::lvFileMouseMove(const QMouseEvent& e) {
    if (m_dragging)
        return false;
    if (dragStarts(m_list.DragStartPoint, e.position().toPoint(), e.buttons(), e.modifiers()) &&
        m_list.view()->selectionModel() && m_list.view()->selectionModel()->hasSelection()) {
        m_menuOnRelease = false;
        m_rightDown = false;
        RunDrag();
        return true;
    }
    // A button held after a press on a row is a drag in the making, not a selection by dragging:
    // the rows selected at the press are the ones that go. From empty space it selects as usual.
    return m_pressOnRow && e.buttons() != Qt::NoButton;
}

bool FileDragSource::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        lvFileMouseDown(*static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseMove:
        return lvFileMouseMove(*static_cast<QMouseEvent*>(event));
    case QEvent::ContextMenu: {
        // The desktop asks for the menu when the right button goes down; it waits for the release,
        // so that the right button can drag files as well.
        auto* e = static_cast<QContextMenuEvent*>(event);
        if (e->reason() == QContextMenuEvent::Mouse && !m_replayingMenu && m_rightDown) {
            m_menuOnRelease = true;
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::RightButton)
            break;
        m_rightDown = false;
        if (m_menuOnRelease) {
            m_menuOnRelease = false;
            QContextMenuEvent menu(QContextMenuEvent::Mouse, e->position().toPoint(), e->globalPosition().toPoint(),
                                   e->modifiers());
            m_replayingMenu = true;
            QCoreApplication::sendEvent(watched, &menu);
            m_replayingMenu = false;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rinoza
