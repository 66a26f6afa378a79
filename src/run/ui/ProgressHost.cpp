#include "run/ui/ProgressHost.h"

#include "run/ui/TFrmRenameOn.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QWidget>

#include <memory>

namespace rinoza {

namespace {

// How often the bar moves, in milliseconds.
constexpr qint64 kBarMs = 100;
// How long a drop runs before its dialog shows, in time slices (300 ms with the usual slice).
constexpr qint64 kDropDialogSlices = 15;

} // namespace

ProgressHost::ProgressHost(QWidget* mainWindow) : m_window(mainWindow) {
    m_slice.start();
}

ProgressHost::~ProgressHost() {
    if (m_dialog) {
        if (m_window)
            m_window->setEnabled(true);
        delete m_dialog.data();
    }
}

void ProgressHost::BeginProgress(const QString& activityText) {
    if (m_dialog)
        EndProgress();
    if (m_window)
        m_window->setEnabled(false);
    // No parent: a disabled main window would disable a child dialog with it. Staying on top keeps
    // the dialog in front of the window it belongs to.
    auto* dlg = new TFrmRenameOn(CancelRequested, nullptr);
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg->setWindowTitle(QStringLiteral("Rinoza [") + activityText + QStringLiteral("]"));
    m_dialog = dlg;
    dlg->show();
    CancelRequested = false;
    m_slice.restart();
}

void ProgressHost::EndProgress() {
    if (m_window)
        m_window->setEnabled(true);
    if (TFrmRenameOn* dlg = m_dialog.data()) {
        m_dialog.clear();
        dlg->closeWithoutQuestion();
        dlg->deleteLater();
    }
}

void ProgressHost::begin(std::string_view activity) {
    BeginProgress(QString::fromUtf8(activity.data(), static_cast<qsizetype>(activity.size())));
}

ProgressCallbacks ProgressHost::callbacks() {
    return progressCallbacksFor(*this);
}

void ProgressHost::end() {
    EndProgress();
}

bool ProgressHost::inProgress() const {
    return !m_dialog.isNull();
}

TFrmRenameOn* ProgressHost::dialog() const {
    return m_dialog.data();
}

void ProgressHost::setMaximum(int maximum) {
    if (m_dialog)
        m_dialog->prb()->setMaximum(maximum);
}

void ProgressHost::setPosition(int position) {
    if (m_dialog)
        m_dialog->prb()->setValue(position);
}

void ProgressHost::stepIt() {
    if (!m_dialog)
        return;
    QProgressBar* bar = m_dialog->prb();
    // QProgressBar has no step; like the original bar, a step past the end starts over at the minimum.
    const int next = bar->value() + 1;
    bar->setValue(next > bar->maximum() ? bar->minimum() : next);
}

int ProgressHost::position() const {
    return m_dialog ? m_dialog->prb()->value() : 0;
}

bool ProgressHost::pumpIfDue() {
    if (m_slice.elapsed() < m_sliceMs)
        return false;
    pump();
    return true;
}

void ProgressHost::pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_slice.restart();
}

bool ProgressHost::cancelRequestedNow() {
    // Read once per item of a long run: the clock is looked at every few items only, which keeps the
    // slice within a few microseconds.
    if (m_sliceMs == 0 || (++m_reads & 7) == 0)
        pumpIfDue();
    return CancelRequested;
}

ProgressCallbacks progressCallbacksFor(ProgressHost& host) {
    ProgressCallbacks callbacks;
    // The bar moves a few times a second: a progress bar repaints at once on every change it shows,
    // which every time slice of a long run would pay. With slices of 0 ms it moves every time.
    auto shown = std::make_shared<QElapsedTimer>();
    callbacks.setMaximum = [&host, shown](int maximum) {
        host.setPosition(0);
        host.setMaximum(maximum);
        shown->start();
    };
    callbacks.setPosition = [&host, shown](int position) {
        if (host.sliceMs() != 0 && shown->isValid() && shown->elapsed() < kBarMs)
            return;
        host.setPosition(position);
        shown->start();
    };
    callbacks.pumpEvents = [&host] { host.pump(); };
    callbacks.cancelRequested = [&host] { return host.cancelRequestedNow(); };
    return callbacks;
}

DropProgress dropProgressFor(ProgressHost& host) {
    DropProgress p;
    // The dialog comes only once the drop has taken a while: a drop that ends sooner neither disables
    // nor repaints the window and lets no event run meanwhile, so the list is painted once, at its end.
    // The bar then shows the position a few times a second: a repaint for every one of thousands of
    // paths, or for every time slice, would cost more than adding them.
    struct Bar {
        QString activity;
        int maximum = 0;
        int position = 0;
        bool showing = false;
        unsigned reads = 0;
        QElapsedTimer since; // the drop's start
        QElapsedTimer shown; // the bar's last move
    };
    auto bar = std::make_shared<Bar>();
    const auto show = [&host, bar] {
        host.BeginProgress(bar->activity);
        host.setPosition(0);
        host.setMaximum(bar->maximum);
        host.setPosition(bar->position);
        bar->showing = true;
        bar->shown.start();
    };
    p.begin = [&host, bar, show](const QString& activity, int maximum) {
        *bar = Bar();
        bar->activity = activity;
        bar->maximum = maximum;
        bar->since.start();
        if (host.sliceMs() == 0)
            show();
    };
    p.step = [bar] { ++bar->position; };
    p.cancelRequested = [&host, bar, show] {
        if (!bar->showing) {
            // The clock is looked at every few paths only, as the stop flag's reading does.
            if ((++bar->reads & 7) != 0 || bar->since.elapsed() < kDropDialogSlices * host.sliceMs())
                return false;
            show();
            host.pump();
            return host.CancelRequested;
        }
        if (host.pumpDue() && bar->shown.elapsed() >= kBarMs) {
            host.setPosition(bar->position);
            bar->shown.restart();
        }
        return host.cancelRequestedNow();
    };
    p.pump = [&host] { host.pump(); };
    p.end = [&host, bar] {
        if (bar->showing)
            host.EndProgress();
        bar->showing = false;
    };
    p.busy = [&host] { return host.inProgress(); };
    return p;
}

} // namespace rinoza
