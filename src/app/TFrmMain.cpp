#include "app/TFrmMain.h"

#include "common/TextCodec.h"
#include "common/ui/ProgramImages.h"
#include "common/ui/UserPrompts.h"
#include "filelist/FileListRow.h"
#include "filelist/ui/FileListModel.h"
#include "filelist/ui/SearchController.h"
#include "filelist/ui/SearchTab.h"
#include "rename/ui/NumberSpinBox.h"
#include "rename/ui/RenameTab.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/RenameRunController.h"
#include "run/ui/RunHost.h"
#include "run/ui/UndoController.h"
#include "settings/IniFile.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/TimeTab.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rinoza {

namespace {

constexpr int kDesignedWidth = 504;
constexpr int kDesignedHeight = 607;
constexpr int kTabsHeight = 329;

QString u8(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string bytes(const QString& s) { return s.toUtf8().toStdString(); }
std::string num(int n) { return std::to_string(n); }

// The user's home folder as bytes, without a trailing separator.
std::string homeFolder() {
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h)
        home = h;
    else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        home = pw->pw_dir;
    else
        home = "/";
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The manual beside the executable (also one level up, for the build tree), else the installed one.
QString findHelpFile() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {exeDir + QStringLiteral("/docs/manual.html"),
                                  exeDir + QStringLiteral("/../docs/manual.html"),
                                  QStringLiteral("/usr/share/doc/rinoza/manual.html")};
    for (const QString& c : candidates)
        if (QFileInfo::exists(c))
            return QFileInfo(c).canonicalFilePath();
    return candidates[0];
}

// The texts of the five date fields of "now", without leading zeros.
DateFieldTexts nowTexts(const LocalDateTime& now) {
    return {QString::number(now.year), QString::number(now.month), QString::number(now.day),
            QString::number(now.hour), QString::number(now.minute)};
}

const char* const kFieldKeys[5] = {"Y", "M", "D", "H", "N"};

} // namespace

TFrmMain::TFrmMain(std::vector<std::string> args, const Clock* clock, QWidget* parent)
    : QMainWindow(parent), m_clock(clock ? clock : &m_systemClock), m_args(std::move(args)) {
    buildControls();
    buildMenus();
    buildControllers();
    FrmMainCreate();
}

TFrmMain::~TFrmMain() = default;

void TFrmMain::buildControllers() {
    // The search connects the browse, start and stop buttons itself.
    SearchWidgets w = searchTabWidgets(*tbsFnd);
    w.tbsSet = tbsSet;
    w.pgcMain = pgcMain;
    w.lvFile = lvFile;
    w.model = fileList;
    w.setStatus = [this](const QString& s) { setStatusText(s); };
    w.displaySettings = [this] { return displaySettings; };
    w.setListMenuAutoPopup = [this](bool on) { setListMenuEnabled(on); };
    m_search = new SearchController(std::move(w), this);

    m_progress = std::make_unique<ProgressHost>(this);
    RunHost h;
    h.window = this;
    h.progress = m_progress.get();
    h.model = fileList;
    h.builder = &tbsSet->nameBuilder();
    h.rules = [this] { return tbsSet->currentRuleSet(); };
    h.startText = [this] { return tbsSet->renStartText(); };
    h.setStatus = [this](const QString& s) { setStatusText(s); };
    h.updateUndoCommands = [this] { UpdateUndoCommands(); };
    h.clock = m_clock;
    m_run = std::make_unique<RenameRunController>(h);
    m_undo = std::make_unique<UndoController>(h);
}

void TFrmMain::buildControls() {
    setObjectName(QStringLiteral("FrmMain"));
    setWindowTitle(QStringLiteral("Rinoza"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/rinoza.png")));
    setMinimumSize(426, 450);

    auto* central = new QWidget(this);
    pgcMain = new QTabWidget(central);
    pgcMain->setObjectName(QStringLiteral("pgcMain"));
    pgcMain->setFocusPolicy(Qt::NoFocus);
    pgcMain->setIconSize(QSize(16, 16));
    tbsFnd = new SearchTab(pgcMain);
    tbsSet = new RenameTab(*m_clock, pgcMain);
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

    lvFile = new QTableView(central);
    lvFile->setObjectName(QStringLiteral("lvFile"));
    fileList = new FileListModel(lvFile);
    lvFile->setModel(fileList);
    lvFile->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvFile->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFile->setWordWrap(false);
    lvFile->setShowGrid(false);
    lvFile->setIconSize(QSize(16, 16));
    lvFile->verticalHeader()->hide();
    lvFile->verticalHeader()->setDefaultSectionSize(lvFile->fontMetrics().height() + 4);
    lvFile->horizontalHeader()->setSectionsClickable(true);
    lvFile->horizontalHeader()->setHighlightSections(false);
    lvFile->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < FileListModel::ColumnCount; ++c)
        lvFile->setColumnWidth(c, FileListModel::designedColumnWidth(c));
    // The selection stays visible while the list has no focus.
    QPalette pal = lvFile->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    lvFile->setPalette(pal);
    connect(lvFile->horizontalHeader(), &QHeaderView::sectionClicked, fileList, &FileListModel::lvFileColumnClick);
    connect(lvFile, &QTableView::doubleClicked, this, &TFrmMain::lvFileDblClick);

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

    connect(tbsFnd->btnlvClr, &QPushButton::clicked, this, &TFrmMain::N9Click);
    connect(tbsSet->btnCnvStart, &QPushButton::clicked, this, &TFrmMain::btnCnvStartClick);
    connect(tbsSet->btnAns, &QPushButton::clicked, this, &TFrmMain::N20Click);
    connect(tbsSet->btnNew, &QPushButton::clicked, this, &TFrmMain::btnNewClick);
    connect(tbsSet->btnAndo, &QPushButton::clicked, this, &TFrmMain::btnAndoClick);
    connect(tbsTime->btnDateTimeChg, &QPushButton::clicked, this, &TFrmMain::btnDateTimeChgClick);
    connect(tbsAttr->btnAttrChg, &QPushButton::clicked, this, &TFrmMain::btnDateTimeChgClick);
}

void TFrmMain::buildMenus() {
    auto item = [this](QMenu* menu, const char* name, const QString& text, const QKeySequence& key,
                       void (TFrmMain::*slot)()) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        if (!key.isEmpty())
            a->setShortcut(key);
        if (slot)
            connect(a, &QAction::triggered, this, slot);
        menu->addAction(a);
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QLatin1String(name)); };

    mm1 = new QMenuBar(this);
    mm1->setObjectName(QStringLiteral("mm1"));
    setMenuBar(mm1);

    QMenu* file = mm1->addMenu(QStringLiteral("ファイル(&F)"));
    N6 = item(file, "N6", QStringLiteral("前回の変名を戻す"), QKeySequence(Qt::CTRL | Qt::Key_Z), &TFrmMain::N6Click);
    separator(file, "N7");
    X1 = item(file, "X1", QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_E), &TFrmMain::X1Click);

    QMenu* view = mm1->addMenu(QStringLiteral("表示(&O)"));
    N5 = item(view, "N5", QStringLiteral("表示の設定..."), QKeySequence(Qt::CTRL | Qt::Key_O), &TFrmMain::N5Click);
    N8 = item(view, "N8", QStringLiteral("前回の変名結果を見る"), QKeySequence(Qt::CTRL | Qt::Key_L),
              &TFrmMain::N8Click);
    separator(view, "N10");
    SelectAll1 = item(view, "SelectAll1", QStringLiteral("すべて選択"), QKeySequence(Qt::CTRL | Qt::Key_A),
                      &TFrmMain::SelectAll1Click);
    N11 = item(view, "N11", QStringLiteral("選択の切り替え"), QKeySequence(Qt::CTRL | Qt::Key_B),
               &TFrmMain::N11Click);
    separator(view, "N19");
    N20 = item(view, "N20", QStringLiteral("備考に変名結果を表示"), QKeySequence(Qt::CTRL | Qt::Key_K),
               &TFrmMain::N20Click);

    QMenu* rules = mm1->addMenu(QStringLiteral("変名設定(&K)"));
    QMenu* save = rules->addMenu(QStringLiteral("保存"));
    save->menuAction()->setObjectName(QStringLiteral("N13"));
    QMenu* recall = rules->addMenu(QStringLiteral("呼出"));
    recall->menuAction()->setObjectName(QStringLiteral("N14"));
    static const char* const sNames[5] = {"S1", "S2", "S3", "S4", "S5"};
    static const char* const lNames[5] = {"L1", "L2", "L3", "L4", "L5"};
    for (int i = 0; i < 5; ++i) {
        const auto fkey = static_cast<Qt::Key>(Qt::Key_F1 + i);
        S[i] = item(save, sNames[i], QStringLiteral("保存 %1").arg(i + 1), QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, fkey)),
                    &TFrmMain::SClick);
        S[i]->setProperty("tag", i + 1);
        L[i] = item(recall, lNames[i], QStringLiteral("呼出 %1").arg(i + 1), QKeySequence(Qt::CTRL | fkey),
                    &TFrmMain::LClick);
        L[i]->setProperty("tag", i + 1);
    }

    QMenu* help = mm1->addMenu(QStringLiteral("ヘルプ(&H)"));
    Contents1 = item(help, "Contents1", QStringLiteral("目次"), QKeySequence(Qt::Key_F1), &TFrmMain::Contents1Click);
    N4 = item(help, "N4", QStringLiteral("トピックの検索(&N)"), {}, &TFrmMain::N4Click);
    separator(help, "N1");
    About1 = item(help, "About1", QStringLiteral("バージョン情報(&A)..."), {}, &TFrmMain::About1Click);

    pmList = new QMenu(this);
    pmList->setObjectName(QStringLiteral("pmList"));
    Open1 = item(pmList, "Open1", QStringLiteral("開く(&O)"), QKeySequence(Qt::SHIFT | Qt::Key_Return),
                 &TFrmMain::lvFileDblClick);
    pmList->setDefaultAction(Open1);
    P1 = item(pmList, "P1", QStringLiteral("フォルダを開く(&P)"), QKeySequence(Qt::CTRL | Qt::Key_Return),
              &TFrmMain::P1Click);
    P1->setIcon(programImage(ImgOpenFolder));
    separator(pmList, "N3");
    N2 = item(pmList, "N2", QStringLiteral("リストから除外   "), QKeySequence(Qt::Key_Delete), &TFrmMain::N2Click);
    N9 = item(pmList, "N9", QStringLiteral("リストを全てクリア"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
              &TFrmMain::N9Click);
    separator(pmList, "N15");
    N18 = item(pmList, "N18", QStringLiteral("ファイル名変更"), QKeySequence(Qt::Key_F2), &TFrmMain::N18Click);
    N16 = item(pmList, "N16", QStringLiteral("ファイルを削除"), QKeySequence(Qt::SHIFT | Qt::Key_Delete),
               &TFrmMain::N167Click);
    N16->setProperty("tag", 1);
    N16->setIcon(programImage(ImgDelete));
    N17 = item(pmList, "N17", QStringLiteral("ファイルをごみ箱へ移動"), {}, &TFrmMain::N167Click);
    N17->setIcon(programImage(ImgRecycleBin));

    // The list's shortcuts act only while the list has the focus, so Delete or F2 in a text field
    // never reaches the rows.
    for (QAction* a : pmList->actions()) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        lvFile->addAction(a);
    }
    lvFile->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvFile, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (lvFile->property("listMenuEnabled").toBool())
            pmList->popup(lvFile->viewport()->mapToGlobal(pos));
    });
}

void TFrmMain::FrmMainCreate() {
    // 1. Dates are written and parsed by our own code in the fixed forms yyyy/mm/dd and hh:nn:ss,
    //    whatever the locale, so there is no process-wide format to set.
    LoadDisplaySettings(); // 2.
    restoreFromSettings(); // 3.
    pgcMain->setCurrentWidget(tbsFnd); // 4.

    // 5.
    QComboBox* names = tbsFnd->cmbFndName;
    names->setEditText(names->count() > 0 ? names->itemText(0) : QStringLiteral("*.*"));

    // 6. On a first start the search folder is the home folder; the list offers it and the root.
    if (tbsFnd->cmbFnd->count() > 0) {
        tbsFnd->setFolderText(tbsFnd->folderAt(0));
    } else {
        const std::string home = homeFolder();
        tbsFnd->addFolderItem(home);
        tbsFnd->addFolderItem("/");
        tbsFnd->setFolderText(home);
    }

    UpdateUndoCommands(); // 7.
    ClearFileList();      // 8.
    m_helpFile = findHelpFile(); // 9.

    // 10. The drop itself is handled by the window's drop events.
    DragStartPoint = QPoint(-1, -1);
    setAcceptDrops(true);

    AddCommandLinePaths(); // 11.

    // 12.
    tbsTime->fillDateLists({m_heldCrt[0], m_heldCrt[1], m_heldCrt[2], m_heldCrt[3], m_heldCrt[4]},
                           {m_heldUpd[0], m_heldUpd[1], m_heldUpd[2], m_heldUpd[3], m_heldUpd[4]});
    m_heldCrt.clear();
    m_heldUpd.clear();
}

void TFrmMain::LoadDisplaySettings() {
    try {
        displaySettings = loadDisplaySettings(IniFile(settingsFilePath()));
    } catch (const std::exception&) {
        displaySettings = DisplaySettings();
    }
}

void TFrmMain::restoreFromSettings() {
    const DateFieldTexts now = nowTexts(m_clock->now());
    m_heldCrt.assign(now.begin(), now.end());
    m_heldUpd.assign(now.begin(), now.end());
    try {
        const IniFile ini(settingsFilePath());

        // Geometry: size first, then the position; -1 centres on the screen in that direction.
        resize(ini.ReadInteger("Window", "Width", kDesignedWidth), ini.ReadInteger("Window", "Height", kDesignedHeight));
        int top = ini.ReadInteger("Window", "Top", -1);
        int left = ini.ReadInteger("Window", "Left", -1);
        const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
        const QRect area = scr ? scr->geometry() : QRect(0, 0, width(), height());
        if (top == -1)
            top = area.y() + (area.height() - height()) / 2;
        if (left == -1)
            left = area.x() + (area.width() - width()) / 2;
        move(left, top);
        if (!ini.ReadBool("Window", "State", true))
            setWindowState(windowState() | Qt::WindowMaximized);

        // Search histories, non-empty entries only.
        for (int n = 1; n <= 20; ++n) {
            const std::string name = ini.ReadString("FindName", num(n), "");
            if (!name.empty())
                tbsFnd->cmbFndName->addItem(u8(name));
            const std::string folder = ini.ReadString("FindLocate", num(n), "");
            if (!folder.empty())
                tbsFnd->addFolderItem(folder);
        }

        if (displaySettings.ColSize) {
            for (int i = 0; i < FileListModel::ColumnCount; ++i) {
                const int w = ini.ReadInteger("ColSize", num(i), -9);
                if (w != -9 && w >= 0)
                    lvFile->setColumnWidth(i, w);
            }
        }

        // The rule set. An empty caption at position n stands for the default element n with its default tick.
        RenameRuleSet rules = RenameRuleSet::defaults();
        for (int n = 1; n <= 9; ++n) {
            RenameElement& e = rules.elements[static_cast<std::size_t>(n - 1)];
            e.caption = ini.ReadString("RenameFunction", "Chg" + num(n), "");
            e.checked = ini.ReadBool("RenameFunction", "ChgB" + num(n), false);
            if (e.caption.empty()) {
                e.caption = defaultElementCaption(n);
                e.checked = defaultElementChecked(n);
            }
        }
        rules.fixF1 = ini.ReadString("RenameFunction", "FixF1", "");
        rules.fixF2 = ini.ReadString("RenameFunction", "FixF2", "");
        rules.fixK = ini.ReadString("RenameFunction", "FixK", "");
        rules.motoStart = ini.ReadInteger("RenameFunction", "MotoStart", 1);
        rules.motoEnd = ini.ReadInteger("RenameFunction", "MotoEnd", 999);
        rules.renKeta = ini.ReadString("RenameFunction", "RenKeta", "3");
        const int renStart = ini.ReadInteger("RenameFunction", "RenStart", 1);
        rules.renAdd = ini.ReadInteger("RenameFunction", "RenAdd", 1);
        rules.dateTime = ini.ReadInteger("RenameFunction", "DateTime", 0);
        rules.dateK = ini.ReadString("RenameFunction", "DateK", "_");
        rules.timeK = ini.ReadString("RenameFunction", "TimeK", "_");
        rules.caseMode = ini.ReadInteger("RenameFunction", "Case", 0);
        const std::string reiBefore = ini.ReadString("RenameFunction", "ReiBefore", "abcde.xyz");
        rules.strChgBefore = ini.ReadString("RenameFunction", "StrChgBefore", "");
        rules.strChgAfter = ini.ReadString("RenameFunction", "StrChgAfter", "");
        tbsSet->setRenStart(renStart);
        tbsSet->applyRuleSet(rules);
        tbsSet->edtReiBefore->setText(u8(reiBefore));

        // Timestamp tab: the date texts are held until the lists are filled.
        tbsTime->cbCrt->setChecked(ini.ReadBool("Time", "Crt", true));
        for (int i = 0; i < 5; ++i)
            m_heldCrt[static_cast<std::size_t>(i)] =
                u8(ini.ReadString("Time", std::string("Crt") + kFieldKeys[i], bytes(now[static_cast<std::size_t>(i)])));
        tbsTime->cbUpd->setChecked(ini.ReadBool("Time", "Upd", true));
        for (int i = 0; i < 5; ++i)
            m_heldUpd[static_cast<std::size_t>(i)] =
                u8(ini.ReadString("Time", std::string("Upd") + kFieldKeys[i], bytes(now[static_cast<std::size_t>(i)])));

        tbsAttr->cbAttrRS->setChecked(ini.ReadBool("Attr", "RS", false));
        tbsAttr->cbAttrR->setChecked(ini.ReadBool("Attr", "R", true));
        tbsAttr->cbAttrAS->setChecked(ini.ReadBool("Attr", "AS", false));
        tbsAttr->cbAttrA->setChecked(ini.ReadBool("Attr", "A", true));
        tbsAttr->cbAttrHS->setChecked(ini.ReadBool("Attr", "HS", false));
        tbsAttr->cbAttrH->setChecked(ini.ReadBool("Attr", "H", true));
        tbsAttr->cbAttrSS->setChecked(ini.ReadBool("Attr", "SS", false));
        tbsAttr->cbAttrS->setChecked(ini.ReadBool("Attr", "S", true));

        // A preset can be recalled only once it was saved.
        for (int n = 1; n <= 5; ++n)
            L[n - 1]->setEnabled(ini.ReadBool("SettingBack" + num(n), "In", false));
    } catch (const std::exception&) {
        // An unreadable settings file leaves the defaults in place for what was not read yet.
    }
}

void TFrmMain::UpdateUndoCommands() {
    const bool exists = fileExists(historyFilePath());
    tbsSet->btnAndo->setEnabled(exists);
    N6->setEnabled(exists);
    N8->setEnabled(exists);
}

void TFrmMain::ClearFileList() { m_search->ClearFileList(); }

int32_t TFrmMain::ListedFileCount() const { return m_search->ListedFileCount(); }

void TFrmMain::setListMenuEnabled(bool on) { lvFile->setProperty("listMenuEnabled", on); }

void TFrmMain::setStatusText(const QString& text) { m_statusPanel->setText(text); }

QString TFrmMain::statusText() const { return m_statusPanel->text(); }

QString TFrmMain::helpUrl(int context) const {
    QUrl url = QUrl::fromLocalFile(m_helpFile);
    url.setFragment(QStringLiteral("context-%1").arg(context));
    return url.toString();
}

void TFrmMain::AddCommandLinePaths() {
    if (m_args.empty())
        return;
    // Each path is added as a dropped path is (a folder becomes the search folder, a file a row),
    // with the list hidden meanwhile; the status bar then shows the row count.
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    // A rename or undo in progress runs to its end (or its stop button) first: closing now would
    // write the settings and end the program halfway through the files and their history.
    if (m_progress && m_progress->inProgress()) {
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
        IniFile ini(settingsFilePath());
        ini.beginUpdate();

        const bool normal =
            !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
        if (normal) {
            ini.WriteInteger("Window", "Height", height());
            ini.WriteInteger("Window", "Width", width());
            ini.WriteInteger("Window", "Top", y());
            ini.WriteInteger("Window", "Left", x());
            ini.WriteBool("Window", "State", true);
        } else {
            ini.WriteBool("Window", "State", false);
        }

        QComboBox* names = tbsFnd->cmbFndName;
        for (int n = 1; n <= 20; ++n) {
            ini.WriteString("FindName", num(n), n <= names->count() ? bytes(names->itemText(n - 1)) : std::string());
            ini.WriteString("FindLocate", num(n),
                            n <= tbsFnd->cmbFnd->count() ? tbsFnd->folderAt(n - 1) : std::string());
        }

        if (displaySettings.ColSize)
            for (int i = 0; i < FileListModel::ColumnCount; ++i)
                ini.WriteInteger("ColSize", num(i), lvFile->columnWidth(i));

        const RenameRuleSet rules = tbsSet->currentRuleSet();
        const char* const rf = "RenameFunction";
        ini.EraseSection(rf);
        for (int n = 1; n <= 9; ++n) {
            const RenameElement& e = rules.elements[static_cast<std::size_t>(n - 1)];
            ini.WriteString(rf, "Chg" + num(n), e.caption);
            ini.WriteBool(rf, "ChgB" + num(n), e.checked);
        }
        ini.WriteString(rf, "FixF1", rules.fixF1);
        ini.WriteString(rf, "FixF2", rules.fixF2);
        ini.WriteString(rf, "FixK", rules.fixK);
        ini.WriteInteger(rf, "MotoStart", rules.motoStart);
        ini.WriteInteger(rf, "MotoEnd", rules.motoEnd);
        ini.WriteString(rf, "RenKeta", rules.renKeta);
        ini.WriteInteger(rf, "RenStart", tbsSet->udRenStart->value());
        ini.WriteInteger(rf, "Renadd", rules.renAdd);
        ini.WriteInteger(rf, "DateTime", rules.dateTime);
        ini.WriteString(rf, "DateK", rules.dateK);
        ini.WriteString(rf, "TimeK", rules.timeK);
        ini.WriteInteger(rf, "Case", rules.caseMode);
        ini.WriteString(rf, "ReiBefore", bytes(tbsSet->edtReiBefore->text()));
        ini.WriteString(rf, "StrChgBefore", rules.strChgBefore);
        ini.WriteString(rf, "StrChgAfter", rules.strChgAfter);

        const DateFieldTexts crt = tbsTime->crtTexts();
        const DateFieldTexts upd = tbsTime->updTexts();
        ini.WriteBool("Time", "Crt", tbsTime->cbCrt->isChecked());
        for (int i = 0; i < 5; ++i)
            ini.WriteString("Time", std::string("Crt") + kFieldKeys[i], bytes(crt[static_cast<std::size_t>(i)]));
        ini.WriteBool("Time", "Upd", tbsTime->cbUpd->isChecked());
        for (int i = 0; i < 5; ++i)
            ini.WriteString("Time", std::string("Upd") + kFieldKeys[i], bytes(upd[static_cast<std::size_t>(i)]));

        ini.WriteBool("Attr", "RS", tbsAttr->cbAttrRS->isChecked());
        ini.WriteBool("Attr", "R", tbsAttr->cbAttrR->isChecked());
        ini.WriteBool("Attr", "AS", tbsAttr->cbAttrAS->isChecked());
        ini.WriteBool("Attr", "A", tbsAttr->cbAttrA->isChecked());
        ini.WriteBool("Attr", "HS", tbsAttr->cbAttrHS->isChecked());
        ini.WriteBool("Attr", "H", tbsAttr->cbAttrH->isChecked());
        ini.WriteBool("Attr", "SS", tbsAttr->cbAttrSS->isChecked());
        ini.WriteBool("Attr", "S", tbsAttr->cbAttrS->isChecked());
        ini.endUpdate();
    } catch (const SettingsWriteError& e) {
        BeepMessageDlg(QString::fromUtf8(e.what()), MsgType::Error, MsgButtons::Ok);
    }
}

void TFrmMain::X1Click() { close(); }

void TFrmMain::Contents1Click() {
    if (!prompts().openUrl(helpUrl(1)))
        BeepMessageDlg(QString::fromUtf8(displayText(bytes(m_helpFile))) + QStringLiteral("\nが存在しません。"),
                       MsgType::Warning, MsgButtons::Ok);
}

// The manual's table of contents serves as the topic finder.
void TFrmMain::N4Click() {
    QUrl url = QUrl::fromLocalFile(m_helpFile);
    url.setFragment(QStringLiteral("topics"));
    if (!prompts().openUrl(url.toString()))
        BeepMessageDlg(QString::fromUtf8(displayText(bytes(m_helpFile))) + QStringLiteral("\nが存在しません。"),
                       MsgType::Warning, MsgButtons::Ok);
}

// Handlers that the list commands, presets, preview, run, undo, display settings, timestamp and
// attribute changes and the version window fill in; until then they do nothing.
void TFrmMain::About1Click() {}
void TFrmMain::N6Click() { btnAndoClick(); }
void TFrmMain::N5Click() {}
void TFrmMain::N8Click() { m_undo->N8Click(); }
void TFrmMain::SelectAll1Click() {}
void TFrmMain::N11Click() {}
void TFrmMain::N20Click() {}
void TFrmMain::SClick() {}
void TFrmMain::LClick() {}
void TFrmMain::lvFileDblClick() {}
void TFrmMain::P1Click() {}
void TFrmMain::N2Click() {}
void TFrmMain::N9Click() {
    ClearFileList();
    setStatusText(QString());
}
void TFrmMain::N18Click() {}
void TFrmMain::N167Click() {}
void TFrmMain::btnCnvStartClick() { m_run->btnCnvStartClick(); }
void TFrmMain::btnNewClick() {}
void TFrmMain::btnAndoClick() { m_undo->btnAndoClick(); }
void TFrmMain::btnDateTimeChgClick() {}

} // namespace rinoza
