#include "filelist/ui/FileListController.h"

#include "common/Myfunction.h"
#include "common/TextCodec.h"
#include "common/ui/FileManager.h"
#include "common/ui/MenuItems.h"
#include "common/ui/ProgramImages.h"
#include "common/ui/ShellRoutines.h"
#include "common/ui/UserPrompts.h"
#include "filelist/AddedPaths.h"
#include "filelist/SearchWalk.h"
#include "filelist/ui/FileDragSource.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/FileListView.h"
#include "operations/PathIntake.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unordered_map>

namespace rinoza {

// What a batch of added paths shows once it ends (its rows wait in the list's own batch).
struct FileListController::AddBatch {
    DisplaySettings settings;
    std::optional<std::string> lastFolder;
    enum class Tab { None, Search, Rename } tab = Tab::None;
    // The folders of the batch's paths, each opened once.
    std::unique_ptr<AddedPathLookup> lookup;
};

namespace {

QString shownName(const std::string& name) {
    return QString::fromUtf8(displayText(name));
}

void askForAFile() {
    BeepMessageDlg(QStringLiteral("開くファイルを選択して下さい"), MsgType::Information, MsgButtons::Ok);
}

// Whether nothing is left under the path (a link counts itself, not where it points).
bool isGone(FileSystem& fs, const std::string& path) {
    FileInfo info;
    const int rc = fs.stat(path, info, false);
    return rc == ENOENT || rc == ENOTDIR;
}

} // namespace

FileListController::FileListController(FileListHost host, QWidget* viewParent, QObject* parent)
    : QObject(parent), m_host(std::move(host)) {
    buildView(viewParent);
    buildMenu();
    m_drag = std::make_unique<FileDragSource>(*this, m_host.statusBar);
    if (m_host.clearButton)
        connect(m_host.clearButton, &QAbstractButton::clicked, this, &FileListController::N9Click);
}

FileListController::~FileListController() = default;

void FileListController::buildView(QWidget* viewParent) {
    m_view = new FileListView(viewParent);
    m_view->setObjectName(QStringLiteral("lvFile"));
    m_model = new FileListModel(m_view);
    m_view->setModel(m_model); // fits the columns to the caption and content
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->setShowGrid(false);
    m_view->setIconSize(QSize(16, 16));
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    QHeaderView* header = m_view->horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The selection stays visible while the list has no focus.
    QPalette pal = m_view->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
    m_view->setPalette(pal);
    connect(header, &QHeaderView::sectionClicked, m_model, &FileListModel::lvFileColumnClick);
    connect(m_view, &QTableView::doubleClicked, this, &FileListController::lvFileDblClick);
}

void FileListController::buildMenu() {
    m_menu = new QMenu(m_view);
    m_menu->setObjectName(QStringLiteral("pmList"));
    Open1 = addMenuItem(m_menu, "Open1", QStringLiteral("開く(&O)"), QKeySequence(Qt::SHIFT | Qt::Key_Return));
    m_menu->setDefaultAction(Open1);
    P1 = addMenuItem(m_menu, "P1", QStringLiteral("フォルダを開く(&P)"), QKeySequence(Qt::CTRL | Qt::Key_Return));
    // The Enter key of the number pad does the same as Return.
    Open1->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_Return), QKeySequence(Qt::SHIFT | Qt::Key_Enter)});
    P1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    P1->setIcon(programImage(ImgOpenFolder));
    addMenuSeparator(m_menu, "N3");
    N2 = addMenuItem(m_menu, "N2", QStringLiteral("リストから除外   "), QKeySequence(Qt::Key_Delete));
    N9 = addMenuItem(m_menu, "N9", QStringLiteral("リストを全てクリア"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    addMenuSeparator(m_menu, "N15");
    N18 = addMenuItem(m_menu, "N18", QStringLiteral("ファイル名変更"), QKeySequence(Qt::Key_F2));
    N16 = addMenuItem(m_menu, "N16", QStringLiteral("ファイルを削除"), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    N16->setProperty("tag", 1);
    N16->setIcon(programImage(ImgDelete));
    N17 = addMenuItem(m_menu, "N17", QStringLiteral("ファイルをごみ箱へ移動"));
    N17->setProperty("tag", 0);
    N17->setIcon(programImage(ImgRecycleBin));

    connect(Open1, &QAction::triggered, this, &FileListController::lvFileDblClick);
    connect(P1, &QAction::triggered, this, &FileListController::P1Click);
    connect(N2, &QAction::triggered, this, &FileListController::N2Click);
    connect(N9, &QAction::triggered, this, &FileListController::N9Click);
    connect(N18, &QAction::triggered, this, &FileListController::N18Click);
    connect(N16, &QAction::triggered, this, &FileListController::N167Click);
    connect(N17, &QAction::triggered, this, &FileListController::N167Click);

    // The list's shortcuts act only while the list has the focus, so Delete or F2 in a text field
    // never reaches the rows.
    for (QAction* a : m_menu->actions()) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        m_view->addAction(a);
    }
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (m_rowsListed)
            m_menu->popup(m_view->viewport()->mapToGlobal(pos));
    });
    m_view->installEventFilter(this);
}

bool FileListController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if ((key->key() == Qt::Key_Menu && mods == Qt::NoModifier) ||
            (key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
            popupMenuFromKeyboard();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void FileListController::popupMenuFromKeyboard() {
    if (!m_rowsListed || QApplication::activePopupWidget())
        return;
    // Below the current row when it is in sight, else at the top of the list.
    QPoint at(0, 0);
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid()) {
        const QRect r = m_view->visualRect(m_model->index(current.row(), 0));
        if (r.intersects(m_view->viewport()->rect()))
            at = r.bottomLeft();
    }
    m_menu->popup(m_view->viewport()->mapToGlobal(at));
}

DisplaySettings FileListController::settings() const {
    return m_host.displaySettings ? m_host.displaySettings() : DisplaySettings{};
}

void FileListController::setRowsListed(bool on) {
    m_rowsListed = on;
    if (m_host.clearButton)
        m_host.clearButton->setEnabled(on);
}

void FileListController::ClearFileList() {
    m_model->clear(); // rows and their icons, as one reset; the count is zero again
    setRowsListed(false);
}

void FileListController::N9Click() {
    ClearFileList();
    if (m_host.setStatus)
        m_host.setStatus(QString());
}

void FileListController::appendListedRows(std::vector<FileListRow>&& rows) {
    m_model->list().appendListed(std::move(rows));
}

int FileListController::RemoveDuplicateRows() {
    return m_model->list().removeDuplicateRows();
}

int32_t FileListController::ListedFileCount() const {
    return m_model->list().listedCount();
}

bool FileListController::addPath(const std::string& path) {
    const bool withIcon = m_batch ? m_batch->settings.LVIconVisible : settings().LVIconVisible;
    TakenPath taken =
        m_batch ? takePath(path, {}, *m_batch->lookup, withIcon) : takePath(path, {}, fileSystem(), withIcon);
    if (!taken.row)
        return false;
    addRow(std::move(*taken.row));
    return true;
}

void FileListController::addRow(FileListRow&& row) {
    m_model->list().addRow(std::move(row));
}

void FileListController::AddDroppedPath(const std::string& path) {
    const DisplaySettings s = m_batch ? m_batch->settings : settings();
    // Looked up relative to its folder, which a batch keeps open for the next path in it.
    addTakenPath(m_batch ? takePath(path, {}, *m_batch->lookup, s.LVIconVisible)
                         : takePath(path, {}, fileSystem(), s.LVIconVisible),
                 s);
}

void FileListController::AddDroppedPaths(const std::vector<std::string>& paths, const std::function<bool()>& goOn,
                                         const std::string& workingFolder) {
    const DisplaySettings s = m_batch ? m_batch->settings : settings();
    TakenPaths taken(paths, workingFolder, fileSystem(), s.LVIconVisible);
    while (taken.more() && (!goOn || goOn()))
        addTakenPath(taken.next(), s);
}

void FileListController::addTakenPath(TakenPath&& taken, const DisplaySettings& s) {
    if (taken.kind == PathKind::Folder || taken.kind == PathKind::Missing) {
        if (m_batch) {
            m_batch->lastFolder = std::move(taken.path);
            m_batch->tab = AddBatch::Tab::Search;
        } else if (m_host.showSearchFolder) {
            m_host.showSearchFolder(taken.path);
        }
        return;
    }
    if (taken.row)
        addRow(std::move(*taken.row));
    if (ListedFileCount() != 0) {
        if (!m_rowsListed)
            setRowsListed(true);
        if (s.Focus) {
            if (m_batch)
                m_batch->tab = AddBatch::Tab::Rename;
            else if (m_host.showRenameTab)
                m_host.showRenameTab();
        }
    }
}

void FileListController::beginAddBatch(std::size_t expected) {
    if (m_batch)
        return;
    m_batch = std::make_unique<AddBatch>();
    m_batch->settings = settings();
    m_batch->lookup = std::make_unique<AddedPathLookup>(fileSystem());
    m_model->list().beginAddBatch(expected);
}

void FileListController::endAddBatch() {
    if (!m_batch)
        return;
    std::unique_ptr<AddBatch> b = std::move(m_batch);
    m_model->list().endAddBatch();
    if (b->lastFolder && m_host.showSearchFolder)
        m_host.showSearchFolder(*b->lastFolder);
    if (b->tab == AddBatch::Tab::Rename && m_host.showRenameTab)
        m_host.showRenameTab();
}

void FileListController::addPaths(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    m_view->hide();
    beginAddBatch(paths.size());
    // A relative path is taken from the working folder, so every row names its file wherever the
    // program later runs.
    AddDroppedPaths(paths, nullptr, fileSystem().currentFolder());
    endAddBatch();
    m_view->show();
    showRowCountStatus();
}

void FileListController::setStatus(const QString& text) {
    if (m_host.setStatus)
        m_host.setStatus(text);
}

void FileListController::showRowCountStatus() {
    setStatus(QString::fromUtf8(rowCountStatusText(m_model->rowCount())));
}

bool FileListController::isDraggingOut() const {
    return m_drag && m_drag->dragging();
}

int FileListController::removeVanishedRows(const std::vector<int>& rows) {
    std::vector<int> gone;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it < 0 || *it >= m_model->rowCount())
            continue;
        FileInfo info;
        const int e = fileSystem().stat(m_model->fullPath(*it), info, false);
        // Only a file known to be gone leaves the list; one that cannot be looked at stays.
        if (e == ENOENT || e == ENOTDIR)
            gone.push_back(*it);
    }
    const int removed = static_cast<int>(gone.size());
    if (removed)
        m_model->removeRowsAt(std::move(gone));
    return removed;
}

void FileListController::removeRowsOfGoneFiles(const std::vector<std::string>& paths) {
    std::vector<int> rows;
    for (const std::string& path : paths)
        if (const int row = m_model->findRow(path); row >= 0)
            rows.push_back(row);
    if (rows.empty())
        return;
    m_model->removeRowsAt(std::move(rows));
    showRowCountStatus();
}

void FileListController::restoreState(const IniFile& ini, const DisplaySettings& s) {
    if (!s.ColSize)
        return;
    FileListView::Widths stored{};
    for (int i = 0; i < FileListModel::ColumnCount; ++i)
        stored[static_cast<std::size_t>(i)] = ini.ReadInteger("ColSize", std::to_string(i), FileListView::NoWidth);
    static_cast<FileListView*>(m_view)->restoreColumnWidths(stored);
}

void FileListController::saveState(IniFile& ini, const DisplaySettings& s) const {
    if (!s.ColSize)
        return;
    const FileListView::Widths widths = static_cast<const FileListView*>(m_view)->columnWidthsToStore();
    for (int i = 0; i < FileListModel::ColumnCount; ++i)
        ini.WriteInteger("ColSize", std::to_string(i), widths[static_cast<std::size_t>(i)]);
}

void FileListController::SelectAll1Click() {
    if (m_model->rowCount() == 0)
        return;
    m_view->selectAll();
    m_view->setFocus();
}

void FileListController::N11Click() {
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    // The unselected runs become the selection, set on an emptied selection: toggling, or replacing
    // a selection of many scattered rows, compares every old range with every new one (seconds).
    const std::vector<char> marked = selectedMarks();
    QItemSelection inverted;
    for (int r = 0; r < rows;) {
        if (marked[static_cast<std::size_t>(r)]) {
            ++r;
            continue;
        }
        int last = r;
        while (last + 1 < rows && !marked[static_cast<std::size_t>(last + 1)])
            ++last;
        inverted.append(
            QItemSelectionRange(m_model->index(r, 0), m_model->index(last, FileListModel::ColumnCount - 1)));
        r = last + 1;
    }
    m_view->selectionModel()->clearSelection();
    m_view->selectionModel()->select(inverted, QItemSelectionModel::Select);
    m_view->setFocus();
}

std::vector<char> FileListController::selectedMarks() const {
    // From the selection's ranges: asking the selection model row by row costs a pass over every
    // range per row, which takes seconds for thousands of scattered rows. The list selects whole rows.
    const int count = m_model->rowCount();
    std::vector<char> marked(static_cast<std::size_t>(count), 0);
    for (const QItemSelectionRange& r : m_view->selectionModel()->selection())
        for (int row = std::max(r.top(), 0); row <= r.bottom() && row < count; ++row)
            marked[static_cast<std::size_t>(row)] = 1;
    return marked;
}

std::vector<int> FileListController::selectedRows() const {
    const std::vector<char> marked = selectedMarks();
    std::vector<int> rows;
    for (std::size_t i = 0; i < marked.size(); ++i)
        if (marked[i])
            rows.push_back(static_cast<int>(i));
    return rows;
}

int FileListController::SelectedRow() const {
    const std::vector<int> rows = selectedRows();
    return rows.empty() ? -1 : rows.front();
}

void FileListController::showRowCount() {
    if (m_host.setStatus)
        m_host.setStatus(QString::fromUtf8(rowCountStatusText(m_model->rowCount())));
}

void FileListController::lvFileDblClick() {
    const int row = SelectedRow();
    if (row < 0) {
        askForAFile();
        return;
    }
    ShellOpen(fileSystem(), m_model->fullPath(row), m_view);
}

void FileListController::P1Click() {
    const int row = SelectedRow();
    if (row < 0) {
        askForAFile();
        return;
    }
    ShowInFileManager(fileSystem(), m_model->fullPath(row), m_model->row(row).folder);
}

void FileListController::N2Click() {
    if (m_model->rowCount() == 0)
        return;
    m_model->removeRowsAt(selectedRows());
    showRowCount();
}

void FileListController::N18Click() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const FileListRow before = m_model->row(row);
    const QString shownBefore = shownName(before.name);
    QString typed = shownBefore;
    for (;;) {
        if (!prompts().textPrompt(QStringLiteral("ファイル名の変更"),
                                  QStringLiteral("新しいファイル名を指定して下さい。"), typed))
            return;
        // A name that is not UTF-8 is proposed in its shown form; handed back unchanged it still
        // means the file's own bytes, and an emptied field is no name at all.
        const std::string name = typed == shownBefore ? before.name : typed.toStdString();
        if (name == before.name || name.empty())
            return;
        const std::string newPath = joinPath(before.folder, name);
        FileInfo existing;
        if (fileSystem().stat(newPath, existing, false) == 0) {
            BeepMessageDlg(QStringLiteral("指定されたファイル名はすでに存在します。別の名前を指定して下さい。"),
                           MsgType::Error, MsgButtons::Ok);
            continue;
        }
        if (RemoveBadNameChars(name) != name) {
            BeepMessageDlg(
                QString::fromUtf8(kBadNameCharsMessage.data(), static_cast<qsizetype>(kBadNameCharsMessage.size())),
                MsgType::Error, MsgButtons::Ok);
            continue;
        }
        if (RenameFileTo(joinPath(before.folder, before.name), newPath, fileSystem())) {
            FileListRow after = before;
            after.name = name;
            m_model->setRow(row, std::move(after));
        }
        return;
    }
}

void FileListController::N167Click() {
    if (m_model->rowCount() == 0)
        return;
    const auto* item = qobject_cast<const QAction*>(sender());
    const bool permanent = item && item->property("tag").toInt() == 1;
    const std::vector<int> rows = selectedRows();
    if (rows.empty())
        return;
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        paths.push_back(m_model->fullPath(*it));
    ShellDeleteFiles(fileSystem(), paths, permanent, true);
    std::vector<int> gone;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (isGone(fileSystem(), paths[i]))
            gone.push_back(rows[rows.size() - 1 - i]);
    m_model->removeRowsAt(std::move(gone));
    showRowCount();
}

} // namespace rinoza
