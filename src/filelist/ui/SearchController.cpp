#include "filelist/ui/SearchController.h"

#include "common/TextCodec.h"
#include "common/ui/TFolderDialog.h"
#include "filelist/ui/SearchTab.h"
#include "common/ui/UserPrompts.h"
#include "filelist/SearchWalk.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchHistory.h"
#include "platform/FileSystem.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>

#include <exception>

namespace rinoza {

namespace {

QString shown(const std::string& bytes) {
    return QString::fromUtf8(displayText(bytes));
}

bool isFolder(const std::string& path) {
    if (path.empty())
        return false;
    FileInfo info;
    return systemFileSystem().stat(path, info) == 0 && info.isDirectory;
}

// The wait cursor for the whole application, restored on every way out of the scope.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (m_on)
            QApplication::restoreOverrideCursor();
        m_on = false;
    }

private:
    bool m_on = true;
};

} // namespace

SearchController::SearchController(SearchWidgets widgets, QObject* parent) : QObject(parent), m_w(std::move(widgets)) {
    connect(m_w.btnFnd, &QPushButton::clicked, this, &SearchController::btnFndClick);
    connect(m_w.btnStart, &QPushButton::clicked, this, &SearchController::btnStartClick);
    connect(m_w.btnStop, &QPushButton::clicked, this, &SearchController::btnStopClick);
}

SearchController::~SearchController() {
    if (m_escFilter)
        qApp->removeEventFilter(this);
}

void SearchController::setStatus(const QString& text) {
    if (m_w.setStatus)
        m_w.setStatus(text);
}

DisplaySettings SearchController::settings() const {
    return m_w.displaySettings ? m_w.displaySettings() : DisplaySettings{};
}

std::string SearchController::folderBytes() const {
    return m_w.folderBytes ? m_w.folderBytes() : folderFieldBytes(m_w.cmbFnd);
}

SearchWidgets searchTabWidgets(SearchTab& tab) {
    SearchWidgets w;
    w.cmbFndName = tab.cmbFndName;
    w.cmbFnd = tab.cmbFnd;
    w.cbFnd = tab.cbFnd;
    w.cbOpt = tab.cbOpt;
    w.btnFnd = tab.btnFnd;
    w.btnStart = tab.btnStart;
    w.btnStop = tab.btnStop;
    w.btnlvClr = tab.btnlvClr;
    w.folderBytes = [&tab] { return tab.folderText(); };
    return w;
}

void SearchController::btnFndClick() {
    TFolderDialog dialog(m_w.btnFnd->window());
    dialog.Directory = m_w.cmbFnd->currentText();
    dialog.Title = QStringLiteral("検索するフォルダを選択して下さい");
    if (dialog.Execute())
        m_w.cmbFnd->setEditText(dialog.Directory);
}

void SearchController::btnStopClick() {
    m_stopRequested = true;
    if (m_walk)
        m_walk->requestStop();
}

void SearchController::ClearFileList() {
    m_w.model->clear(); // rows and their icons, as one reset
    if (m_w.setListMenuAutoPopup)
        m_w.setListMenuAutoPopup(false);
    m_w.btnlvClr->setEnabled(false);
    m_listedFileCount = 0;
}

void SearchController::LockSearchControls() {
    m_w.btnStop->setEnabled(true);
    for (QWidget* w : {static_cast<QWidget*>(m_w.cmbFndName), static_cast<QWidget*>(m_w.cmbFnd),
                       static_cast<QWidget*>(m_w.btnFnd), static_cast<QWidget*>(m_w.cbFnd),
                       static_cast<QWidget*>(m_w.btnStart), static_cast<QWidget*>(m_w.cbOpt), m_w.tbsSet})
        w->setEnabled(false);
    m_stopRequested = false;
    if (!m_escFilter) {
        qApp->installEventFilter(this);
        m_escFilter = true;
    }
}

void SearchController::UnlockSearchControls() {
    m_w.btnStop->setEnabled(false);
    for (QWidget* w : {static_cast<QWidget*>(m_w.cmbFndName), static_cast<QWidget*>(m_w.cmbFnd),
                       static_cast<QWidget*>(m_w.btnFnd), static_cast<QWidget*>(m_w.cbFnd),
                       static_cast<QWidget*>(m_w.btnStart), m_w.tbsSet, static_cast<QWidget*>(m_w.cbOpt)})
        w->setEnabled(true);
    if (m_escFilter) {
        qApp->removeEventFilter(this);
        m_escFilter = false;
    }
}

// While a search runs, Esc pressed anywhere in the window presses the stop button (the window's
// cancel button). A shortcut of the window takes the key first; what reaches a widget comes here.
bool SearchController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
            widget->window() == m_w.btnStop->window() && m_w.btnStop->isEnabled()) {
            m_w.btnStop->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool SearchController::addPath(const std::string& path) {
    std::optional<FileListRow> row = addedPathRow(path, settings().LVIconVisible);
    if (!row)
        return false;
    m_w.model->appendRow(std::move(*row));
    ++m_listedFileCount;
    return true;
}

void SearchController::runWalk(const std::string& folder, const DisplaySettings& s) {
    SearchOptions o;
    o.pattern = m_w.cmbFndName->currentText().toUtf8().toStdString();
    o.subfolders = m_w.cbFnd->isChecked();
    o.showSystem = s.LVSysVisible;
    o.showHidden = s.LVHiddenVisible;
    o.showReadOnly = s.LVReadonlyVisible;
    o.withIcons = s.LVIconVisible;
    o.listedBefore = m_listedFileCount;
    o.limit = s.LVIconMax;

    SearchCallbacks cb;
    cb.rows = [this](std::vector<FileListRow>&& rows) {
        m_listedFileCount += static_cast<int32_t>(rows.size());
        m_w.model->appendRows(std::move(rows));
    };
    cb.folderChanged = [this](const std::string& f) { setStatus(QStringLiteral("検索中：") + shown(f)); };
    cb.pumpEvents = [] { QCoreApplication::processEvents(); };
    cb.limitReached = [this, limit = s.LVIconMax] {
        m_stopRequested = true;
        BeepMessageDlg(QStringLiteral("検索数が") + QString::number(limit) +
                           QStringLiteral("を越えました。検索が途中で中止されます。\n検索設定を見直して下さい。"),
                       MsgType::Information, MsgButtons::Ok);
    };

    SearchWalk walk(std::move(o), std::move(cb));
    walk.setTimeSliceMs(m_sliceMs);
    m_walk = &walk;
    struct Release {
        SearchWalk*& p;
        ~Release() { p = nullptr; }
    } release{m_walk};
    if (m_stopRequested) // pressed between the lock and here
        walk.requestStop();
    walk.run(folder);
}

void SearchController::btnStartClick() {
    if (m_searching)
        return;

    // 1. The folder must exist.
    const QString folderText = m_w.cmbFnd->currentText();
    const std::string typed = folderBytes();
    if (!isFolder(typed)) {
        BeepMessageDlg(QStringLiteral("フォルダー「") + folderText +
                           QStringLiteral("」が\n存在しないか、アクセスできません。正しく入力してください。"),
                       MsgType::Warning, MsgButtons::Ok);
        m_w.cmbFnd->setFocus();
        return;
    }
    // 2.
    const std::string folder = searchFolderOf(typed);
    const DisplaySettings s = settings();
    // 3.-6.
    if (m_w.cbOpt->isChecked())
        ClearFileList();
    setStatus(QString());
    if (m_w.cmbFndName->currentText().isEmpty())
        m_w.cmbFndName->setEditText(QStringLiteral("*.*"));
    const int32_t before = m_listedFileCount;

    // 7.-11. The walk; whatever happens in it, the controls, the cursor and the list come back.
    m_searching = true;
    QString failure;
    {
        LockSearchControls();
        m_w.lvFile->hide();
        WaitCursor cursor;
        try {
            runWalk(folder, s);
        } catch (const std::exception& e) {
            failure = QString::fromLocal8Bit(e.what());
        } catch (...) {
            failure = QStringLiteral("検索中に予期しないエラーが発生しました。");
        }
        UnlockSearchControls();
        try {
            m_removedDuplicateCount = m_w.model->RemoveDuplicateRows();
            m_listedFileCount -= m_removedDuplicateCount;
        } catch (const std::exception& e) {
            m_removedDuplicateCount = 0;
            if (failure.isEmpty())
                failure = QString::fromLocal8Bit(e.what());
        }
        cursor.restore();
        m_w.lvFile->show();
    }
    m_searching = false;

    // 12. Status text.
    QString status = QString::fromUtf8(rowCountStatusText(m_w.model->rowCount()));
    if (!m_w.cbOpt->isChecked())
        status += QStringLiteral("(追加分=") + QString::number(m_listedFileCount - before) + QStringLiteral(")");
    setStatus(status);
    // 13.
    if (m_listedFileCount != 0) {
        if (m_w.setListMenuAutoPopup)
            m_w.setListMenuAutoPopup(true);
        m_w.btnlvClr->setEnabled(true);
    }
    // 14. Histories.
    recordPatternHistory(m_w.cmbFndName, m_w.cmbFndName->currentText());
    recordFolderHistory(m_w.cmbFnd, folder);
    // 15.
    if (s.Focus && m_listedFileCount != 0)
        m_w.pgcMain->setCurrentWidget(m_w.tbsSet);
    m_w.model->setSortKey(0);

    if (!failure.isEmpty())
        BeepMessageDlg(failure, MsgType::Error, MsgButtons::Ok);
}

} // namespace rinoza
