#pragma once

// Undo of the last rename run and viewing its history file, as the main window's commands start them.

#include "run/ui/RunHost.h"

#include <QList>
#include <QObject>

class QAbstractButton;
class QAction;

namespace rinoza {

class FileSystem;

class UndoController : public QObject {
    Q_OBJECT
public:
    // Uses window, progress, setStatus and updateUndoCommands of host (and its fileSystem).
    explicit UndoController(RunHost host, QObject* parent = nullptr);

    // The button and menu items that UpdateUndoCommands enables.
    void setUndoCommands(QAbstractButton* button, QList<QAction*> actions);

public slots:
    // Enables the undo and history commands exactly when the history file exists.
    void UpdateUndoCommands();

    // Undo: asks first, then reverses the records of the history file under the progress dialog.
    // Also what N6Click does.
    void btnAndoClick();
    // Opens the history file with the desktop's program for it.
    void N8Click();

private:
    FileSystem& fileSystem() const;

    RunHost m_host;
    QAbstractButton* m_button = nullptr;
    QList<QAction*> m_actions;
};

} // namespace rinoza
