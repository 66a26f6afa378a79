#include "filelist/ui/FileListController.h"

#include "common/ui/MenuItems.h"
#include "common/ui/ProgramImages.h"
#include "filelist/SearchWalk.h"
#include "filelist/ui/FileDragSource.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/IniFile.h"

#include <QAbstractButton>
#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>

#include <cerrno>
#include <optional>
#include <unordered_map>

namespace rinoza {

// The rows of a batch of added paths, waiting for the one model update at its end.
struct FileListController::AddBatch {
    DisplaySettings settings;
    std::vector<FileListRow> rows;
    std::vector<char> superseded;                         // parallel to rows: a later path named the same file
    std::unordered_map<std::string, std::size_t> pending; // full path -> its row in rows
    std::vector<int> replacedListed;                      // listed rows of files that the batch lists again
    std::optional<std::string> lastFolder;
    enum class Tab { None, Search, Rename } tab = Tab::None;
};

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
    m_view = new QTableView(viewParent);
    m_view->setObjectName(QStringLiteral("lvFile"));
    m_model = new FileListModel(m_view);
    m_view->setModel(m_model);
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
    for (int c = 0; c < FileListModel::ColumnCount; ++c)
        m_view->setColumnWidth(c, FileListModel::designedColumnWidth(c));
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
    m_model->clear(); // rows and their icons, as one reset
    setRowsListed(false);
    m_listedFileCount = 0;
}

void FileListController::N9Click() {
    ClearFileList();
    if (m_host.setStatus)
        m_host.setStatus(QString());
}

void FileListController::appendListedRows(std::vector<FileListRow>&& rows) {
    m_listedFileCount += static_cast<int32_t>(rows.size());
    m_model->appendRows(std::move(rows));
}

int FileListController::RemoveDuplicateRows() {
    const int removed = m_model->RemoveDuplicateRows();
    m_listedFileCount -= removed;
    return removed;
}

bool FileListController::addPath(const std::string& path) {
    FileInfo info;
    if (systemFileSystem().stat(path, info) != 0 || !info.isRegular)
        return false;
    addRow(makeFileListRow(info, parentOf(path), m_batch ? m_batch->settings.LVIconVisible : settings().LVIconVisible));
    return true;
}

void FileListController::addRow(FileListRow&& row) {
    std::string key = joinPath(row.folder, row.name);
    if (m_batch) {
        AddBatch& b = *m_batch;
        if (auto it = b.pending.find(key); it != b.pending.end()) {
            b.superseded[it->second] = 1;
            --m_listedFileCount;
        } else if (const int earlier = m_model->rowCount() ? m_model->findRow(key) : -1; earlier >= 0) {
            b.replacedListed.push_back(earlier);
            --m_listedFileCount;
        }
        b.pending[std::move(key)] = b.rows.size();
        b.rows.push_back(std::move(row));
        b.superseded.push_back(0);
        ++m_listedFileCount;
        return;
    }
    const int earlier = m_model->findRow(key);
    m_model->appendRow(std::move(row));
    ++m_listedFileCount;
    if (earlier >= 0) {
        m_model->removeRowsAt({earlier});
        --m_listedFileCount;
    }
}

void FileListController::AddDroppedPath(const std::string& path) {
    FileInfo info;
    if (systemFileSystem().stat(path, info) != 0 || info.isDirectory) {
        if (m_batch) {
            m_batch->lastFolder = path;
            m_batch->tab = AddBatch::Tab::Search;
        } else if (m_host.showSearchFolder) {
            m_host.showSearchFolder(path);
        }
        return;
    }
    const DisplaySettings s = m_batch ? m_batch->settings : settings();
    // One stat serves both the test for a folder and the row: a drop of thousands of files costs
    // little more than looking at each once.
    if (info.isRegular)
        addRow(makeFileListRow(info, parentOf(path), s.LVIconVisible));
    if (m_listedFileCount != 0) {
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
    m_batch->rows.reserve(expected);
    m_batch->superseded.reserve(expected);
    m_batch->pending.reserve(expected);
}

void FileListController::endAddBatch() {
    if (!m_batch)
        return;
    std::unique_ptr<AddBatch> b = std::move(m_batch);
    if (!b->replacedListed.empty())
        m_model->removeRowsAt(std::move(b->replacedListed));
    std::vector<FileListRow> rows;
    rows.reserve(b->rows.size());
    for (std::size_t i = 0; i < b->rows.size(); ++i) {
        if (!b->superseded[i])
            rows.push_back(std::move(b->rows[i]));
    }
    m_model->appendRows(std::move(rows));
    if (b->lastFolder && m_host.showSearchFolder)
        m_host.showSearchFolder(*b->lastFolder);
    if (b->tab == AddBatch::Tab::Rename && m_host.showRenameTab)
        m_host.showRenameTab();
}

namespace {

// A command-line path as an absolute path: a relative one is taken from the working folder, so
// every row names its file wherever the program later runs.
std::string absolutePath(const std::string& path) {
    if (path.empty() || path.front() == '/')
        return path;
    const std::string cwd = currentFolder();
    if (cwd.empty())
        return path;
    std::string_view rest = path;
    while (rest.substr(0, 2) == "./")
        rest.remove_prefix(2);
    if (rest == "." || rest.empty())
        return cwd;
    return joinPath(cwd, rest);
}

} // namespace

void FileListController::addPaths(const std::vector<std::string>& paths) {
    if (paths.empty())
        return;
    m_view->hide();
    beginAddBatch(paths.size());
    for (const std::string& p : paths)
        AddDroppedPath(absolutePath(p));
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
        const int e = systemFileSystem().stat(m_model->fullPath(*it), info, false);
        // Only a file known to be gone leaves the list; one that cannot be looked at stays.
        if (e == ENOENT || e == ENOTDIR)
            gone.push_back(*it);
    }
    const int removed = static_cast<int>(gone.size());
    if (removed)
        m_model->removeRowsAt(std::move(gone));
    return removed;
}

void FileListController::restoreState(const IniFile& ini, const DisplaySettings& s) {
    if (!s.ColSize)
        return;
    for (int i = 0; i < FileListModel::ColumnCount; ++i) {
        const int w = ini.ReadInteger("ColSize", std::to_string(i), -9);
        if (w != -9 && w >= 0)
            m_view->setColumnWidth(i, w);
    }
}

void FileListController::saveState(IniFile& ini, const DisplaySettings& s) const {
    if (!s.ColSize)
        return;
    for (int i = 0; i < FileListModel::ColumnCount; ++i)
        ini.WriteInteger("ColSize", std::to_string(i), m_view->columnWidth(i));
}

void FileListController::SelectAll1Click() {
    if (m_model->rowCount() == 0)
        return;
    m_view->selectAll();
    m_view->setFocus();
}

void FileListController::N11Click() {
    QItemSelectionModel* sel = m_view->selectionModel();
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const QItemSelection all(m_model->index(0, 0), m_model->index(rows - 1, FileListModel::ColumnCount - 1));
    sel->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    m_view->setFocus();
}

// The remaining list commands are built with the list's command set; until then they do nothing.
void FileListController::lvFileDblClick() {}
void FileListController::P1Click() {}
void FileListController::N2Click() {}
void FileListController::N18Click() {}
void FileListController::N167Click() {}

} // namespace rinoza
