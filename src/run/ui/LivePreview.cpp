#include "run/ui/LivePreview.h"

#include "common/TextCodec.h"
#include "operations/Messages.h"
#include "platform/FileSystem.h"
#include "run/ui/ProgressHost.h"
#include "settings/IniFile.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QScrollBar>

namespace rinoza {

namespace {

// How long one slice of the whole list may keep the window busy.
constexpr qint64 kSliceMs = 40;

QString shown(const std::string& bytes) {
    const std::string s = displayText(bytes);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

LivePreview::LivePreview(const RunHost& host, QObject* parent) : QObject(parent), m_host(host) {
    setObjectName(QStringLiteral("livePreview"));
    m_visibleTimer.setSingleShot(true);
    m_visibleTimer.setInterval(0);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setInterval(kPauseMs);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    m_sliceTimer.setSingleShot(true);
    m_sliceTimer.setInterval(0);
    connect(&m_visibleTimer, &QTimer::timeout, this, &LivePreview::refreshVisible);
    connect(&m_pauseTimer, &QTimer::timeout, this, &LivePreview::startPass);
    connect(&m_sliceTimer, &QTimer::timeout, this, &LivePreview::passSlice);

    FileListModel* model = m_host.model;
    connect(model, &QAbstractItemModel::rowsInserted, this, &LivePreview::listChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &LivePreview::listChanged);
    connect(model, &QAbstractItemModel::modelReset, this, &LivePreview::listChanged);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                // Icons come and go without a word on the names or remarks.
                if (m_writing || (!roles.isEmpty() && !roles.contains(Qt::DisplayRole)))
                    return;
                if (from.column() <= FileListModel::ColFolder || to.column() >= FileListModel::ColRemarks)
                    listChanged();
            });
    // A sort keeps the rows: their serial numbers follow the new order.
    connect(model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_armed)
            refreshSoon();
    });
    // Rows scrolled into sight before the pass reaches them get their names at once.
    if (m_host.view)
        connect(m_host.view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
            if (m_armed && (m_pass || m_pauseTimer.isActive()))
                m_visibleTimer.start();
        });
}

LivePreview::~LivePreview() = default;

void LivePreview::arm(RenameMethod method, std::string destination) {
    m_method = method;
    m_destination = std::move(destination);
    m_shownRules = m_host.rules ? m_host.rules() : RenameRuleSet::defaults();
    m_shownStart = m_host.startText ? m_host.startText() : QStringLiteral("1");
    m_armed = true;
}

void LivePreview::disarm() {
    m_armed = false;
    m_visibleTimer.stop();
    m_pauseTimer.stop();
    m_sliceTimer.stop();
    m_pass.reset();
    m_engine.reset();
}

void LivePreview::listChanged() {
    disarm();
}

RunRequest LivePreview::currentRequest() const {
    RunRequest request;
    request.method = m_method;
    request.destination = m_destination;
    request.rules = m_host.rules ? m_host.rules() : RenameRuleSet::defaults();
    request.serialStartText = m_host.startText ? m_host.startText().toStdString() : std::string("1");
    request.historyPath = historyFilePath(*m_host.fileSystem);
    request.photoDates = m_host.photoDates;
    return request;
}

void LivePreview::ruleChanged() {
    if (!m_armed)
        return;
    const RenameRuleSet rules = m_host.rules ? m_host.rules() : RenameRuleSet::defaults();
    const QString start = m_host.startText ? m_host.startText() : QStringLiteral("1");
    // The example name is no part of the rule.
    if (rules == m_shownRules && start == m_shownStart)
        return;
    m_shownRules = rules;
    m_shownStart = start;
    refreshSoon();
}

void LivePreview::refreshSoon() {
    // What the pass foretold so far speaks of the rule before.
    m_sliceTimer.stop();
    m_pass.reset();
    m_visibleTimer.start();
    m_pauseTimer.start();
}

void LivePreview::write(int first, std::vector<FileListModel::RemarksUpdate> updates) {
    if (updates.empty())
        return;
    m_writing = true;
    m_host.model->setRemarksRange(first, std::move(updates));
    m_writing = false;
}

void LivePreview::refreshVisible() {
    FileListModel& model = *m_host.model;
    if (!m_armed || model.rowCount() == 0 || (m_host.progress && m_host.progress->inProgress()))
        return;
    int first = 0;
    int last = model.rowCount() - 1;
    if (QAbstractItemView* view = m_host.view) {
        const int top = view->indexAt(QPoint(0, 0)).row();
        const int bottom = view->indexAt(QPoint(0, view->viewport()->height() - 1)).row();
        first = top < 0 ? 0 : top;
        last = bottom < 0 ? last : bottom;
    }
    // Rows the running pass has foretold already keep what it wrote.
    if (m_pass)
        first = std::max(first, static_cast<int>(m_next));
    if (first > last)
        return;

    FileSystem& fs = *m_host.fileSystem;
    const RunEngine engine(fs, *m_host.builder, m_host.clock ? *m_host.clock : m_systemClock);
    const RunRequest request = currentRequest();
    const std::vector<FileListRow>& rows = model.rows();
    std::vector<RowForecast> names =
        engine.namesOfRows(rows, static_cast<std::size_t>(first), static_cast<std::size_t>(last) + 1, request);
    if (names.empty()) {
        // A rule that builds no names: the status says why; the remarks wait for a usable one.
        if (m_host.setStatus)
            m_host.setStatus(shown(engine.requestError(request)));
        return;
    }
    std::vector<FileListModel::RemarksUpdate> updates;
    updates.reserve(names.size());
    for (RowForecast& f : names)
        updates.push_back({displayText(f.newName), std::string(), std::move(f.note)});
    write(first, std::move(updates));
    emit visibleRefreshed();
}

void LivePreview::startPass() {
    if (!m_armed)
        return;
    // Another command holds the window: the list is foretold once it is done (unless it changed the list).
    if (m_host.progress && m_host.progress->inProgress()) {
        m_pauseTimer.start();
        return;
    }
    FileSystem& fs = *m_host.fileSystem;
    m_engine = std::make_unique<RunEngine>(fs, *m_host.builder, m_host.clock ? *m_host.clock : m_systemClock);
    m_pass = std::make_unique<RunEngine::Forecast>(*m_engine, currentRequest(), m_host.model->rows().size());
    if (!m_pass->errorMessage().empty()) {
        if (m_host.setStatus)
            m_host.setStatus(shown(m_pass->errorMessage()));
        m_pass.reset();
        return;
    }
    m_next = 0;
    m_failing = 0;
    passSlice();
}

void LivePreview::passSlice() {
    if (!m_pass)
        return;
    if (m_host.progress && m_host.progress->inProgress()) {
        m_sliceTimer.start(kPauseMs);
        return;
    }
    const std::vector<FileListRow>& rows = m_host.model->rows();
    const std::size_t first = m_next;
    std::vector<FileListModel::RemarksUpdate> updates;
    QElapsedTimer slice;
    slice.start();
    while (m_next < rows.size()) {
        RowForecast f = m_pass->next(rows[m_next]);
        if (!f.outcome.empty())
            ++m_failing;
        updates.push_back({displayText(f.newName), std::string(f.outcome), std::move(f.note)});
        ++m_next;
        // The clock is read every few rows: a row takes microseconds.
        if (m_next % 64 == 0 && slice.elapsed() >= kSliceMs)
            break;
    }
    write(static_cast<int>(first), std::move(updates));
    if (m_next < rows.size()) {
        m_sliceTimer.start();
        return;
    }
    m_pass.reset();
    m_engine.reset();
    if (m_host.setStatus)
        m_host.setStatus(QString::fromStdString(msg::previewStatus(m_failing, false)));
    emit listRefreshed();
}

} // namespace rinoza
