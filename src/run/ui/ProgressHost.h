#pragma once

// The main window's side of the progress dialog: BeginProgress disables the window and shows a new
// TFrmRenameOn, EndProgress enables the window again and lets the dialog go. The stop flag
// CancelRequested lives here, so it survives the dialog (operations read it once more after their
// loop).
//
// Long operations run on the user-interface thread and let pending events run on a time slice
// rather than after every item: pumpIfDue() runs them once ~20 ms have passed since the last time,
// and cancelRequestedNow() does that before reading the flag, so a click that arrived during the
// slice is always seen.

#include "filelist/ui/FileDropHandler.h"
#include "operations/ProgressDisplay.h"
#include "run/RunProgress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QWidget;

namespace rinoza {

class TFrmRenameOn;

class ProgressHost final : public ProgressDisplay {
public:
    // mainWindow (not owned) is disabled between BeginProgress and EndProgress; may be null.
    explicit ProgressHost(QWidget* mainWindow);
    ~ProgressHost() override;
    ProgressHost(const ProgressHost&) = delete;
    ProgressHost& operator=(const ProgressHost&) = delete;

    // Disables the main window, shows a new progress dialog captioned "Rinoza [" + activityText + "]"
    // and clears the stop flag. A dialog still open from an earlier Begin is ended first.
    void BeginProgress(const QString& activityText);
    // Enables the main window and closes the dialog (freed once pending events have run). The stop
    // flag keeps its value.
    void EndProgress();
    bool inProgress() const;

    // The progress of an operation: BeginProgress, progressCallbacksFor, EndProgress.
    void begin(std::string_view activity) override;
    ProgressCallbacks callbacks() override;
    void end() override;
    // Whether the next cancelRequestedNow lets pending events run.
    bool pumpDue() const override { return (m_sliceMs == 0 || ((m_reads + 1) & 7) == 0) && sliceOver(); }

    bool CancelRequested = false;

    // The dialog between Begin and End, else null.
    TFrmRenameOn* dialog() const;

    // The bar: position 0 and a maximum, then one step per item.
    void setMaximum(int maximum);
    void setPosition(int position);
    void stepIt();
    int position() const;

    // Runs pending events when the current time slice is over. Returns true when it ran them.
    bool pumpIfDue();
    // Whether the current time slice is over.
    bool sliceOver() const { return m_slice.elapsed() >= m_sliceMs; }
    // Runs pending events now and starts a new slice.
    void pump();
    // The stop flag, read right after pending events ran if a slice boundary has passed.
    bool cancelRequestedNow();

    // Length of a time slice in milliseconds (tests may shorten it to 0: every call pumps).
    void setSliceMs(int ms) { m_sliceMs = ms; }
    int sliceMs() const { return m_sliceMs; }

private:
    QWidget* m_window;
    QPointer<TFrmRenameOn> m_dialog;
    QElapsedTimer m_slice;
    int m_sliceMs = 20;
    unsigned m_reads = 0;
};

// Callbacks that drive host's bar, pump its events and read its stop flag, for an operation's progress.
ProgressCallbacks progressCallbacksFor(ProgressHost& host);
// The same for adding dropped files. The dialog shows (and the window is disabled) only once a drop
// has run for 15 time slices, at once with slices of 0 ms.
DropProgress dropProgressFor(ProgressHost& host);

} // namespace rinoza
