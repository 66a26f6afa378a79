#include "stamps/ui/StampsController.h"

#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "run/ui/ProgressHost.h"
#include "stamps/StampEngine.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/TimeTab.h"

#include <QPushButton>

#include <vector>

namespace rinoza {

namespace {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void warn(std::string_view text) {
    BeepMessageDlg(qText(text), MsgType::Warning, MsgButtons::Ok);
}

// Ends the progress whatever way the change leaves, an exception included.
class ProgressScope {
public:
    ProgressScope(ProgressHost& p, const QString& activity) : m_p(p) { m_p.BeginProgress(activity); }
    ~ProgressScope() { m_p.EndProgress(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressHost& m_p;
};

} // namespace

StampsController::StampsController(StampsHost host, QObject* parent) : QObject(parent), m_host(std::move(host)) {
    m_host.timeTab->setClock(m_host.clock);
    connect(m_host.timeTab->btnDateTimeChg, &QPushButton::clicked, this, &StampsController::btnDateTimeChgClick);
    connect(m_host.attrTab->btnAttrChg, &QPushButton::clicked, this, &StampsController::btnDateTimeChgClick);
}

FileSystem& StampsController::fileSystem() const {
    return m_host.fileSystem ? *m_host.fileSystem : systemFileSystem();
}

void StampsController::RefreshRowFromFile(int row) {
    FileListModel& model = *m_host.model;
    if (row < 0 || row >= model.rowCount())
        return;
    FileListRow r = model.row(row);
    if (rinoza::RefreshRowFromFile(r, fileSystem()))
        model.setRow(row, std::move(r));
}

void StampsController::btnDateTimeChgClick() {
    const QObject* s = sender();
    changeListedFiles(!(s && s->objectName() == QStringLiteral("btnAttrChg")));
}

void StampsController::changeListedFiles(bool times) {
    FileListModel& model = *m_host.model;
    if (model.rowCount() == 0) {
        warn(stampText::kNoFiles);
        return;
    }
    StampRequest request;
    if (times) {
        request.kind = StampRequest::Kind::Times;
        request.times = m_host.timeTab->timeChange();
        switch (checkDates(request.times)) {
        case DateCheck::BadCreation:
            warn(stampText::kBadCreationDate);
            return;
        case DateCheck::BadUpdate:
            warn(stampText::kBadUpdateDate);
            return;
        case DateCheck::Valid:
            break;
        }
    } else {
        request.kind = StampRequest::Kind::Attributes;
        request.attributes = m_host.attrTab->attrChange();
    }
    const std::string_view question = times ? stampText::kTimesQuestion : stampText::kAttrQuestion;
    if (BeepMessageDlg(qText(question), MsgType::Information, MsgButtons::OkCancel) != mrOk)
        return;

    ProgressHost& progress = *m_host.progress;
    ProgressScope scope(progress, qText(stampText::kActivity));
    // The engine changes the model's rows where they stand (a copy of 30,000 rows costs more than
    // the change's own work); each run of rows done is announced to the views as one change.
    StampCallbacks callbacks;
    static_cast<ProgressCallbacks&>(callbacks) = progressCallbacksFor(progress);
    callbacks.rowsChanged = [&model](std::size_t first, std::size_t count) {
        model.rowsChangedInPlace(static_cast<int>(first), static_cast<int>(count));
    };
    const StampResult result = StampEngine(fileSystem()).run(model.rowsForChangeInPlace(), request, callbacks);
    if (m_host.setStatus)
        m_host.setStatus(qText(result.statusText()));
}

} // namespace rinoza
