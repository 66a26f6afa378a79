#include "app/TFrmMain.h"

#include "about/ui/TAboutBox.h"
#include "app/WindowGeometry.h"
#include "common/ui/AccessibleNames.h"
#include "common/ui/Manual.h"
#include "common/ui/MenuItems.h"
#include "common/ui/PathComboBox.h"
#include "common/ui/ProgramImages.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileDropHandler.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchController.h"
#include "filelist/ui/SearchTab.h"
#include "platform/FileSystem.h"
#include "rename/ui/PresetController.h"
#include "rename/ui/RenameTab.h"
#include "run/ui/LivePreview.h"
#include "run/ui/PreviewController.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/RenameRunController.h"
#include "run/ui/RunHost.h"
#include "run/ui/UndoController.h"
#include "settings/IniFile.h"
#include "settings/ui/TFrmSetup.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/StampsController.h"
#include "stamps/ui/TimeTab.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace rinoza {

namespace {

constexpr int kTabsHeight = 329;
constexpr int kDesignedWidth = 504;
constexpr int kDesignedHeight = 607;
constexpr int kDesignedMinimumWidth = 426;
constexpr int kDesignedMinimumHeight = 450;
constexpr int kDesignedListHeight = 205;

} // namespace

TFrmMain::TFrmMain(FileSystem& fs, std::vector<std::string> args, const Clock* clock, QWidget* parent)
    : QMainWindow(parent), m_fs(fs), m_clock(clock ? clock : &m_systemClock), m_args(std::move(args)) {
    buildControls();
    buildControllers();
    wireMenus();
    applyAccessibleNames(this);
    FrmMainCreate();
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::buildControls() {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Rinoza"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/rinoza.png")));

    auto* central = new QWidget(this);
    pgcMain = new QTabWidget(central);
    pgcMain->setObjectName(QStringLiteral("pgcMain"));
    pgcMain->setFocusPolicy(Qt::NoFocus);
    pgcMain->setIconSize(QSize(16, 16));
    tbsFnd = new SearchTab(pgcMain);
    tbsSet = new RenameTab(m_fs, *m_clock, pgcMain);
    tbsTime = new TimeTab(pgcMain);
    tbsAttr = new AttrTab(pgcMain);
    pgcMain->addTab(tbsFnd, programImage(ImgTabFind), QStringLiteral("検索"));
    pgcMain->addTab(tbsSet, programImage(ImgTabRename), QStringLiteral("変名"));
    pgcMain->addTab(tbsTime, programImage(ImgTabTime), QStringLiteral("日時"));
    pgcMain->addTab(tbsAttr, programImage(ImgTabAttr), QStringLiteral("属性"));
    pgcMain->tabBar()->setAttribute(Qt::WA_Hover, true);
    // The tabs keep their designed height, or the height their contents need with a larger font;
    // the file list below takes all vertical growth.
    pgcMain->setFixedHeight(std::max(kTabsHeight, pgcMain->minimumSizeHint().height()));
    pgcMain->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    FileListHost host;
    host.fileSystem = &m_fs;
    host.clearButton = tbsFnd->btnlvClr;
    host.setStatus = [this](const QString& s) { setStatusText(s); };
    host.displaySettings = [this] { return displaySettings; };
    host.showSearchFolder = [this](const std::string& folder) {
        tbsFnd->cmbFnd->setPathText(folder);
        pgcMain->setCurrentWidget(tbsFnd);
        tbsFnd->cmbFnd->setFocus();
    };
    host.showRenameTab = [this] { pgcMain->setCurrentWidget(tbsSet); };
    host.statusBar = [this] { return stbMain; };
    m_list = new FileListController(std::move(host), central, this);
    lvFile = static_cast<FileListView*>(m_list->view());
    fileList = m_list->model();
    pmList = m_list->menu();
    Open1 = m_list->Open1;
    N9 = m_list->N9;
    N16 = m_list->N16;

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(1, 0, 1, 0);
    layout->setSpacing(7);
    auto* tabsRow = new QHBoxLayout;
    tabsRow->setContentsMargins(7, 0, 0, 0);
    tabsRow->addWidget(pgcMain);
    layout->addLayout(tabsRow);
    layout->addWidget(lvFile, 1);
    setCentralWidget(central);

    stbMain = new QStatusBar(this);
    stbMain->setObjectName(QStringLiteral("stbMain"));
    stbMain->setSizeGripEnabled(true);
    m_statusPanel = new QLabel(stbMain);
    m_statusPanel->setObjectName(QStringLiteral("stbMainPanel"));
    stbMain->addWidget(m_statusPanel, 1);
    setStatusBar(stbMain);

    MainMenu::build(this);

    // Every control of every tab stays in sight at the least size: the list yields first, down to its
    // header and two rows.
    lvFile->setMinimumHeight(listHeightFor(2));
    const QSize least = minimumSizeHint();
    setMinimumSize(std::max(kDesignedMinimumWidth, least.width()), std::max(kDesignedMinimumHeight, least.height()));
}

int TFrmMain::listHeightFor(int rows) const {
    return lvFile->horizontalHeader()->sizeHint().height() + rows * lvFile->verticalHeader()->defaultSectionSize() +
           2 * lvFile->frameWidth();
}

QSize TFrmMain::firstWindowSize() const {
    // Wide enough for every column but the folder in full, and a list of ten rows at least.
    const int width = std::max({kDesignedWidth, minimumWidth(), lvFile->preferredWidth() + 2});
    const int list = std::max(kDesignedListHeight, listHeightFor(10));
    const int height = std::max(kDesignedHeight, minimumHeight() - lvFile->minimumHeight() + list);
    return {width, height};
}

void TFrmMain::buildControllers() {
    SearchWidgets w = searchTabWidgets(*tbsFnd);
    w.tbsSet = tbsSet;
    w.pgcMain = pgcMain;
    w.list = m_list;
    w.setStatus = [this](const QString& s) { setStatusText(s); };
    w.displaySettings = [this] { return displaySettings; };
    m_search = new SearchController(std::move(w), this);

    m_progress = std::make_unique<ProgressHost>(this);
    new FileDropHandler(*m_list, dropProgressFor(*m_progress), this);
    RunHost h;
    h.window = this;
    h.progress = m_progress.get();
    h.model = fileList;
    h.view = lvFile;
    h.builder = &tbsSet->nameBuilder();
    h.rules = [this] { return tbsSet->currentRuleSet(); };
    h.startText = [this] { return tbsSet->renStartText(); };
    h.setStatus = [this](const QString& s) { setStatusText(s); };
    h.updateUndoCommands = [this] { UpdateUndoCommands(); };
    h.fileSystem = &m_fs;
    h.clock = m_clock;
    h.photoDates = &m_photoDates;
    m_run = new RenameRunController(h, this);
    m_preview = new PreviewController(h, this);
    m_undo = new UndoController(h, this);
    m_undo->setUndoCommands(tbsSet->btnAndo, {N6, N8});
    m_presets = new PresetController(tbsSet, S, L, this);

    StampsHost stamps;
    stamps.timeTab = tbsTime;
    stamps.attrTab = tbsAttr;
    stamps.progress = m_progress.get();
    stamps.model = fileList;
    stamps.setStatus = [this](const QString& s) { setStatusText(s); };
    stamps.fileSystem = &m_fs;
    stamps.clock = m_clock;
    new StampsController(std::move(stamps), this);
    m_setup = new TFrmSetup(m_fs, this);
}

void TFrmMain::wireMenus() {
    connect(tbsSet->btnCnvStart, &QPushButton::clicked, m_run, &RenameRunController::btnCnvStartClick);
    connect(tbsSet->btnAns, &QPushButton::clicked, m_preview, &PreviewController::N20Click);
    connect(N20, &QAction::triggered, m_preview, &PreviewController::N20Click);
    connect(tbsSet, &RenameTab::ruleChanged, &m_preview->live(), &LivePreview::ruleChanged);
    connect(tbsSet->btnAndo, &QPushButton::clicked, m_undo, &UndoController::btnAndoClick);
    connect(N6, &QAction::triggered, m_undo, &UndoController::btnAndoClick);
    connect(N8, &QAction::triggered, m_undo, &UndoController::N8Click);
    connect(X1, &QAction::triggered, this, &QWidget::close);
    connect(N5, &QAction::triggered, this, &TFrmMain::N5Click);
    connect(SelectAll1, &QAction::triggered, m_list, &FileListController::SelectAll1Click);
    connect(N11, &QAction::triggered, m_list, &FileListController::N11Click);
    connect(Contents1, &QAction::triggered, this, [] { openManual(manualContext(1)); });
    // The manual's table of contents serves as the topic finder.
    connect(N4, &QAction::triggered, this, [] { openManual(QStringLiteral("topics")); });
    connect(About1, &QAction::triggered, this, [this] { About1Click(this); });
    // The menu sees a key before the focused control, as the list's own keys stay with the list.
    new MenuShortcutsFirst(this, mm1);
}

void TFrmMain::FrmMainCreate() {
    // Dates are written and parsed by our own code in the fixed forms yyyy/mm/dd and hh:nn:ss,
    // whatever the locale, so there is no process-wide format to set.
    LoadDisplaySettings();
    try {
        const IniFile ini(m_fs, settingsFilePath(m_fs));
        restoreWindowGeometry(*this, ini, firstWindowSize());
        tbsFnd->restoreState(ini);
        m_list->restoreState(ini, displaySettings);
        tbsSet->restoreState(ini);
        tbsTime->restoreState(ini, m_clock->now());
        tbsAttr->restoreState(ini);
        m_presets->restoreState(ini);
    } catch (const std::exception&) {
        // An unreadable settings file leaves the defaults in place for what was not read yet.
    }
    pgcMain->setCurrentWidget(tbsFnd);
    // On a first start the search folder is the home folder; the list offers it and the root.
    tbsFnd->showFirstEntries(m_fs.homeFolder());
    UpdateUndoCommands();
    ClearFileList();
    m_list->DragStartPoint = QPoint(-1, -1);
    setAcceptDrops(true);
    m_list->addPaths(m_args);
    tbsTime->fillDateLists(m_clock->now());
}

void TFrmMain::LoadDisplaySettings() {
    try {
        displaySettings = loadDisplaySettings(IniFile(m_fs, settingsFilePath(m_fs)));
    } catch (const std::exception&) {
        displaySettings = DisplaySettings();
    }
}

void TFrmMain::N5Click() {
    if (prompts().execDialog(*m_setup) != QDialog::Accepted)
        return;
    LoadDisplaySettings();
    if (!displaySettings.LVIconVisible)
        fileList->dropAllIcons();
    lvFile->viewport()->update();
}

void TFrmMain::UpdateUndoCommands() {
    m_undo->UpdateUndoCommands();
}

void TFrmMain::ClearFileList() {
    m_list->ClearFileList();
}

int32_t TFrmMain::ListedFileCount() const {
    return m_list->ListedFileCount();
}

void TFrmMain::setStatusText(const QString& text) {
    m_statusPanel->setText(text);
}

QString TFrmMain::statusText() const {
    return m_statusPanel->text();
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // A rename or undo in progress runs to its end (or its stop button) first: closing now would
    // write the settings and end the program halfway through the files and their history.
    if (m_progress->inProgress()) {
        event->ignore();
        return;
    }
    // A search still running ends at its next time slice and leaves the window as after a stop.
    if (m_search->isSearching())
        m_search->btnStopClick();
    FrmMainClose();
    event->accept();
}

void TFrmMain::FrmMainClose() {
    // A refused write ends the writing with a message; the window closes all the same, so the
    // user is never kept in a program that cannot save.
    try {
        IniFile ini(m_fs, settingsFilePath(m_fs));
        ini.beginUpdate();
        saveWindowGeometry(*this, ini);
        tbsFnd->saveState(ini);
        m_list->saveState(ini, displaySettings);
        tbsSet->saveState(ini);
        tbsTime->saveState(ini);
        tbsAttr->saveState(ini);
        ini.endUpdate();
    } catch (const SettingsWriteError& e) {
        BeepMessageDlg(QString::fromUtf8(e.what()), MsgType::Error, MsgButtons::Ok);
    }
}

} // namespace rinoza
