#pragma once

// Undo of the last rename run and viewing its history file, as the main window's commands start them.

#include "run/ui/RunHost.h"

namespace rinoza {

class UndoController {
public:
    // Uses window, progress, setStatus and updateUndoCommands of host (and fileSystem when set).
    explicit UndoController(RunHost host);

    // Undo: asks first, then reverses the records of the history file under the progress dialog.
    // Also what N6Click does.
    void btnAndoClick();
    // Opens the history file with the desktop's program for it.
    void N8Click();

private:
    bool historyExists() const;

    RunHost m_host;
};

} // namespace rinoza
