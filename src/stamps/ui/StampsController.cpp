#include "stamps/ui/StampsController.h"

#include "common/ui/WindowPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "operations/StampOperation.h"
#include "platform/FileSystem.h"
#include "run/ui/ProgressHost.h"
#include "stamps/StampEngine.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/TimeTab.h"

#include <QPushButton>

namespace rinoza {

StampsController::StampsController(StampsHost host, QObject* parent) : QObject(parent), m_host(std::move(host)) {
    m_host.timeTab->setClock(m_host.clock);
    connect(m_host.timeTab->btnDateTimeChg, &QPushButton::clicked, this, &StampsController::btnDateTimeChgClick);
    connect(m_host.attrTab->btnAttrChg, &QPushButton::clicked, this, &StampsController::btnDateTimeChgClick);
}

FileSystem& StampsController::fileSystem() const {
    return *m_host.fileSystem;
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
    StampRequest request;
    if (times) {
        request.kind = StampRequest::Kind::Times;
        request.times = m_host.timeTab->timeChange();
    } else {
        request.kind = StampRequest::Kind::Attributes;
        request.attributes = m_host.attrTab->attrChange();
    }
    const std::optional<std::string> status =
        rinoza::changeListedFiles(m_host.model->list(), request, fileSystem(), windowPrompts(), *m_host.progress);
    if (status && m_host.setStatus)
        m_host.setStatus(QString::fromStdString(*status));
}

} // namespace rinoza
