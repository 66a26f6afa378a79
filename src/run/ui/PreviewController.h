#pragma once

// The result preview: every row's remarks get the name the rename run would give the file, and a
// row the run would fail is marked with the outcome it would write (icon, tooltip, accessible
// description). No file and no setting changes.

#include "run/ui/RunHost.h"

#include <QObject>

namespace rinoza {

class PreviewController : public QObject {
    Q_OBJECT
public:
    // host must outlive the controller; its window, progress, model and builder must be set.
    explicit PreviewController(RunHost host, QObject* parent = nullptr);

public slots:
    // Over all rows in display order, whatever the selection: the progress dialog, a stop button, the
    // serial number from the start field (a start that is no whole number is reported and nothing is
    // shown). The outcomes are foretold for the method and folder the confirmation dialog offers now.
    void N20Click();

private:
    RunHost m_host;
};

} // namespace rinoza
