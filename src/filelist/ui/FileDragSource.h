#pragma once

// Dragging the selected rows of the list out to a file manager, the desktop or any program that
// takes dropped files: a press on the list records DragStartPoint, a move of 10 pixels with the left
// or the right button alone starts the drag, the files go as text/uri-list (and GNOME's copied-files
// form) for copying, moving or linking, the status bar names the action the pointer would do, and
// the rows of the files that the target moves away go as the files go.
//
// The pieces are separate so that each can be tried without a real drag: the start test, the data
// offered, the status texts, the outcome, and the drag itself through a replaceable runner.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDrag;
class QMimeData;
class QMouseEvent;
class QStatusBar;

namespace rinoza {

class FileListController;
class VanishWatch;

class FileDragSource : public QObject {
    Q_OBJECT
public:
    enum class Outcome { CopyDrop, MoveDrop, LinkDrop, Cancelled, Other };
    // Runs one drag to its end and returns the action the target took (IgnoreAction: none).
    using Runner = std::function<Qt::DropAction(QDrag&)>;

    // Watches the list's viewport; statusBar may be empty or give null (no feedback shown).
    FileDragSource(FileListController& list, std::function<QStatusBar*()> statusBar);
    ~FileDragSource() override;

    // Whether a move to `pos` starts a drag from a press at `start`: a press was recorded (x not -1),
    // exactly the left or exactly the right button is down with no Shift, Ctrl or Alt, and the pointer
    // is at least 10 pixels away horizontally or vertically.
    static bool dragStarts(QPoint start, QPoint pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    // The data offered for these paths: text/uri-list and x-special/gnome-copied-files.
    static QMimeData* mimeDataOf(const std::vector<std::string>& paths);
    // The status text for the action under the pointer: "コピー", "移動", "ショートカット作成" or "ドロップ不可".
    static QString feedbackText(Qt::DropAction action);
    static Outcome outcomeOf(Qt::DropAction result);

    // Replaces QDrag::exec (tests run drags without the platform's modal loop).
    // The drag is made with new and belongs to the list's view, so a target may read it after exec().
    void setRunner(Runner runner) { m_runner = std::move(runner); }
    bool dragging() const { return m_dragging; }

    // Drags the selected rows (from the first to the last) if there are any; returns the outcome.
    // After a move, the dragged rows whose files left their place go, and the row count is shown.
    // After any drop, the dragged files are watched for some seconds, and the row of each one that
    // leaves its place then goes too (the row count follows).
    Outcome RunDrag();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The press point; a move that starts a drag (or belongs to a press on a row) is taken.
    void lvFileMouseDown(const QMouseEvent& e);
    bool lvFileMouseMove(const QMouseEvent& e);
    // Names the action under the pointer in the status bar.
    void DropSourceFeedback(Qt::DropAction action);

    FileListController& m_list;
    std::function<QStatusBar*()> m_statusBar;
    Runner m_runner;
    std::unique_ptr<VanishWatch> m_watch; // the dragged files after a drop
    bool m_dragging = false;
    bool m_pressOnRow = false;    // the last press hit a row, not the empty space below them
    bool m_menuOnRelease = false; // the right button's menu waits for the button to come up
    bool m_replayingMenu = false;
    bool m_rightDown = false;
};

} // namespace rinoza
