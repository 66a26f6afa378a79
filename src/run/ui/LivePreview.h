#pragma once

// The preview that follows the rule. A preview that showed every row turns it on; from then on every
// edit of the rule refreshes the remarks by itself: the rows in sight get their new names at once,
// and the whole list is foretold again (names and the failures a run would meet) once the edits
// pause, a slice at a time so the window stays free. It ends when the list changes by anything but
// its own remarks: a search, a drop, a run, a clear, removed rows, remarks written by another command.

#include "filelist/ui/FileListModel.h"
#include "run/RunEngine.h"
#include "run/ui/RunHost.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace rinoza {

class LivePreview : public QObject {
    Q_OBJECT
public:
    // How long the edits must pause before the whole list is foretold again.
    static constexpr int kPauseMs = 250;

    // host must outlive the live preview; its window, progress, model, view and builder must be set.
    LivePreview(const RunHost& host, QObject* parent = nullptr);
    ~LivePreview() override;

    // The remarks show the rule as it is now, foretold for this method and destination: edits follow.
    void arm(RenameMethod method, std::string destination);
    void disarm();
    bool isArmed() const { return m_armed; }

public slots:
    // The rule or the start number may have changed.
    void ruleChanged();

signals:
    // The rows in sight show the new names.
    void visibleRefreshed();
    // Every row shows its new name and foretold outcome.
    void listRefreshed();

private:
    RunRequest currentRequest() const;
    void refreshSoon();
    void refreshVisible();
    void startPass();
    void passSlice();
    // Writes remarks from row `first` on, without taking the change for another command's.
    void write(int first, std::vector<FileListModel::RemarksUpdate> updates);
    void listChanged();

    const RunHost& m_host;
    bool m_armed = false;
    RenameMethod m_method = RenameMethod::RenameOnly;
    std::string m_destination;
    RenameRuleSet m_shownRules;
    QString m_shownStart;
    bool m_writing = false;

    QTimer m_visibleTimer; // coalesces the changes of one event
    QTimer m_pauseTimer;   // the edits' pause
    QTimer m_sliceTimer;   // the next slice of the whole list
    SystemClock m_systemClock;
    std::unique_ptr<RunEngine> m_engine;
    std::unique_ptr<RunEngine::Forecast> m_pass;
    std::size_t m_next = 0; // the next row the pass foretells
    int m_failing = 0;
};

} // namespace rinoza
