#pragma once

// The result preview: every row's remarks get the name the rename run would give the file, and a
// row the run would fail is marked with the outcome it would write (icon, tooltip, accessible
// description). No file and no setting changes.

#include "run/ui/RunHost.h"

#include <QObject>

namespace rinoza {

class LivePreview;

class PreviewController : public QObject {
    Q_OBJECT
public:
    // host must outlive the controller; its window, progress, model, view and builder must be set.
    explicit PreviewController(RunHost host, QObject* parent = nullptr);

    // The preview that follows edits of the rule once this one has shown every row.
    LivePreview& live() const { return *m_live; }

public slots:
    // Over all rows in display order, whatever the selection: the progress dialog, a stop button, the
    // serial number from the start field (a start that is no whole number is reported and nothing is
    // shown). The outcomes are foretold for the method and folder the confirmation dialog offers now.
    // A preview that reaches the last row turns the live preview on.
    void N20Click();

private:
    RunHost m_host;
    LivePreview* m_live;
};

} // namespace rinoza
