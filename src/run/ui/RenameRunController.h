#pragma once

// The rename run as the start button of the rename tab starts it: confirmation dialog, destination
// folder check, progress dialog, the run engine over every row of the list, and the ending (status
// text, messages, undo commands).

#include "run/ui/RunHost.h"

#include <QObject>

#include <string>

namespace rinoza {

class RenameRunController : public QObject {
    Q_OBJECT
public:
    // host must outlive the controller; its window, progress, model and builder must be set.
    explicit RenameRunController(RunHost host, QObject* parent = nullptr);

public slots:
    // The whole run. Rows are updated in the model as they change.
    void btnCnvStartClick();

private:
    // Shows the confirmation dialog until the user confirms a usable destination. False when the
    // run does not start (dialog cancelled, folder cannot be made).
    bool confirm(int& method, std::string& destination);

    RunHost m_host;
};

} // namespace rinoza
