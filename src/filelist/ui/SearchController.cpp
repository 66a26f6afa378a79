#include "filelist/ui/SearchController.h"

#include "common/TextCodec.h"
#include "common/ui/PathComboBox.h"
#include "common/ui/TFolderDialog.h"
#include "common/ui/UserPrompts.h"
#include "common/ui/WindowPrompts.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchHistory.h"
#include "filelist/ui/SearchTab.h"
#include "operations/SearchOperation.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include <exception>

namespace rinoza {

namespace {

QString shown(const std::string& bytes) {
    return QString::fromUtf8(displayText(bytes));
}

bool isFolder(FileSystem& fs, const std::string& path) {
    if (path.empty())
        return false;
    FileInfo info;
    return fs.stat(path, info) == 0 && info.isDirectory;
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

SearchWidgets searchTabWidgets(SearchTab& tab) {
    SearchWidgets w;
    w.cmbFndName = tab.cmbFndName;
    w.cmbFnd = tab.cmbFnd;
    w.cbFnd = tab.cbFnd;
    w.cbOpt = tab.cbOpt;
    w.btnFnd = tab.btnFnd;
    w.btnStart = tab.btnStart;
    w.btnStop = tab.btnStop;
    return w;
}

void SearchController::btnFndClick() {
    TFolderDialog dialog(m_w.btnFnd->window());
    dialog.Directory = m_w.cmbFnd->currentText();
    dialog.Title = QStringLiteral("検索するフォルダを選択して下さい");
    if (dialog.Execute())
        m_w.cmbFnd->setPathText(PathComboBox::typedPath(dialog.Directory));
}

void SearchController::btnStopClick() {
    m_stopRequested = true;
    if (m_search)
        m_search->requestStop();
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

void SearchController::runWalk(const std::string& folder, const DisplaySettings& s) {
    SearchRequest request;
    request.folder = folder;
    request.pattern = m_w.cmbFndName->currentText().toUtf8().toStdString();
    request.subfolders = m_w.cbFnd->isChecked();
    request.display = s;
    FolderSearch search(std::move(request), m_w.list->fileSystem(), m_w.list->model()->list(), windowPrompts());
    search.folderChanged = [this](const std::string& f) { setStatus(QStringLiteral("検索中：") + shown(f)); };
    search.pumpEvents = [] { QCoreApplication::processEvents(); };
    search.setTimeSliceMs(m_sliceMs);
    m_search = &search;
    struct Release {
        FolderSearch*& p;
        ~Release() { p = nullptr; }
    } release{m_search};
    if (m_stopRequested) // pressed between the lock and here
        search.requestStop();
    if (search.run().limitReached)
        m_stopRequested = true;
}

void SearchController::btnStartClick() {
    if (m_searching)
        return;
    FileListController& list = *m_w.list;

    // The folder must exist.
    const QString folderText = m_w.cmbFnd->currentText();
    const std::string typed = m_w.cmbFnd->pathText();
    if (!isFolder(m_w.list->fileSystem(), typed)) {
        BeepMessageDlg(QStringLiteral("フォルダー「") + folderText +
                           QStringLiteral("」が\n存在しないか、アクセスできません。正しく入力してください。"),
                       MsgType::Warning, MsgButtons::Ok);
        m_w.cmbFnd->setFocus();
        return;
    }
    const std::string folder = searchFolderOf(typed);
    const DisplaySettings s = settings();
    if (m_w.cbOpt->isChecked())
        list.ClearFileList();
    setStatus(QString());
    if (m_w.cmbFndName->currentText().isEmpty())
        m_w.cmbFndName->setEditText(QStringLiteral("*.*"));
    const int32_t before = list.ListedFileCount();

    // The walk; whatever happens in it, the controls, the cursor and the list come back.
    m_searching = true;
    QString failure;
    {
        LockSearchControls();
        list.view()->hide();
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
            m_removedDuplicateCount = list.RemoveDuplicateRows();
        } catch (const std::exception& e) {
            m_removedDuplicateCount = 0;
            if (failure.isEmpty())
                failure = QString::fromLocal8Bit(e.what());
        }
        cursor.restore();
        list.view()->show();
    }
    m_searching = false;

    QString status = QString::fromUtf8(rowCountStatusText(list.model()->rowCount()));
    if (!m_w.cbOpt->isChecked())
        status += QStringLiteral("(追加分=") + QString::number(list.ListedFileCount() - before) + QStringLiteral(")");
    setStatus(status);
    if (list.ListedFileCount() != 0)
        list.setRowsListed(true);
    recordPatternHistory(m_w.cmbFndName, m_w.cmbFndName->currentText());
    m_w.cmbFnd->recordPath(folder, kSearchHistoryMax);
    if (s.Focus && list.ListedFileCount() != 0)
        m_w.pgcMain->setCurrentWidget(m_w.tbsSet);
    // The list counts as unsorted again.
    list.model()->setSortKey(0);

    if (!failure.isEmpty())
        BeepMessageDlg(failure, MsgType::Error, MsgButtons::Ok);
}

} // namespace rinoza
