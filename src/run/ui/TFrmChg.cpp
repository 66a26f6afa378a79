#include "run/ui/TFrmChg.h"

#include "common/TextCodec.h"
#include "common/ui/AccessibleNames.h"
#include "common/ui/Manual.h"
#include "common/ui/PathComboBox.h"
#include "common/ui/TFolderDialog.h"
#include "common/ui/UserPrompts.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "run/RunPaths.h"
#include "settings/IniFile.h"

#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <vector>

namespace rinoza {

namespace {

const std::string kSection = "ChangeDialog";
constexpr int kHelpContext = 11;

} // namespace

TFrmChg::TFrmChg(FileSystem& fs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_fs(fs) {
    setObjectName(QStringLiteral("FrmChg"));
    setWindowTitle(QStringLiteral("Rinoza [ 変名確認 ]"));

    m_rgChg = new QGroupBox(QStringLiteral("<変名 方法>"), this);
    m_rgChg->setObjectName(QStringLiteral("rgChg"));
    m_rgChgGroup = new QButtonGroup(m_rgChg);
    auto* radios = new QVBoxLayout(m_rgChg);
    const QString captions[] = {QStringLiteral("変名 のみ (&A)"), QStringLiteral("変名 ＋ ファイルコピー (&B)"),
                                QStringLiteral("変名 ＋ ファイル移動 (&C)")};
    for (int i = 0; i < 3; ++i) {
        auto* rb = new QRadioButton(captions[i], m_rgChg);
        rb->setObjectName(QStringLiteral("rgChg%1").arg(i));
        m_rgChgGroup->addButton(rb, i);
        radios->addWidget(rb);
    }
    connect(m_rgChgGroup, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            rgChgClick();
    });

    m_lblPass = new QLabel(QStringLiteral("コピーまたは移動先 (&P)"), this);
    m_lblPass->setObjectName(QStringLiteral("lblPass"));
    m_cmbPass = new PathComboBox(this); // the history changes only through the start action
    m_cmbPass->setObjectName(QStringLiteral("cmbPass"));
    m_cmbPass->setMaxVisibleItems(kHistoryMax);
    m_cmbPass->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmbPass->setMinimumContentsLength(20);
    m_cmbPass->setBeforeDropDown([this] { cmbPassDropDown(); });
    m_lblPass->setBuddy(m_cmbPass);

    m_btnPass = new QPushButton(QStringLiteral("参照...(&S) "), this);
    m_btnPass->setObjectName(QStringLiteral("btnPass"));
    m_btnPass->setAutoDefault(false);
    connect(m_btnPass, &QPushButton::clicked, this, &TFrmChg::btnPassClick);

    m_tlbChg = new QToolBar(this);
    m_tlbChg->setObjectName(QStringLiteral("tlbChg"));
    m_tlbChg->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    m_acStart = new QAction(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("開始 (&I)"), this);
    m_acStart->setObjectName(QStringLiteral("acStart"));
    // The caption's access key, usable from every control of the dialog.
    m_acStart->setShortcut(QKeySequence(Qt::ALT | Qt::Key_I));
    m_acCancel =
        new QAction(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("キャンセル (Esc)"), this);
    m_acCancel->setObjectName(QStringLiteral("acCancel"));
    m_acCancel->setShortcut(QKeySequence(Qt::Key_Escape));
    m_acHelp = new QAction(style()->standardIcon(QStyle::SP_DialogHelpButton), QStringLiteral("ヘルプ (F1)"), this);
    m_acHelp->setObjectName(QStringLiteral("acHelp"));
    m_acHelp->setShortcut(QKeySequence(Qt::Key_F1));
    for (QAction* a : {m_acStart, m_acCancel, m_acHelp}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    m_tlbChg->addAction(m_acStart);
    m_tlbChg->addSeparator();
    m_tlbChg->addAction(m_acCancel);
    m_tlbChg->addSeparator();
    m_tlbChg->addAction(m_acHelp);
    connect(m_acStart, &QAction::triggered, this, &TFrmChg::acStartExecute);
    connect(m_acCancel, &QAction::triggered, this, &TFrmChg::acCancelExecute);
    connect(m_acHelp, &QAction::triggered, this, &TFrmChg::acHelpExecute);

    auto* passRow = new QHBoxLayout;
    passRow->addWidget(m_cmbPass, 1);
    passRow->addWidget(m_btnPass);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_rgChg);
    layout->addWidget(m_lblPass);
    layout->addLayout(passRow);
    layout->addStretch(1);
    layout->addWidget(m_tlbChg);

    // A screen reader says the folder field by its label, and the tool bar's overflow button too.
    applyAccessibleNames(this);
    if (auto* more = m_tlbChg->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("その他のボタン"));

    // The designed client size, grown where the desktop's font needs more room; fixed border.
    const QSize hint = sizeHint();
    setFixedSize(std::max(313, hint.width()), std::max(213, hint.height()));
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }

    FormCreate();
}

void TFrmChg::FormCreate() {
    setSelectedIndex(0);
    rgChgClick();
    LoadDialogSettings();
    if (m_cmbPass->count() == 0)
        PushFolderHistory(m_fs.currentFolder());
    if (m_cmbPass->count() > 0)
        m_cmbPass->setCurrentIndex(0);
}

int TFrmChg::selectedIndex() const {
    return std::max(0, m_rgChgGroup->checkedId());
}

void TFrmChg::setSelectedIndex(int index) {
    if (QAbstractButton* b = m_rgChgGroup->button(index))
        b->setChecked(true);
    rgChgClick();
}

QString TFrmChg::destinationText() const {
    return m_cmbPass->currentText();
}

std::string TFrmChg::destinationBytes() const {
    return m_cmbPass->pathText();
}

std::vector<std::string> TFrmChg::folderHistoryBytes() const {
    return m_cmbPass->paths();
}

QStringList TFrmChg::folderHistory() const {
    QStringList out;
    for (int i = 0; i < m_cmbPass->count(); ++i)
        out << m_cmbPass->itemText(i);
    return out;
}

void TFrmChg::rgChgClick() {
    const bool needsFolder = selectedIndex() != 0;
    m_lblPass->setEnabled(needsFolder);
    m_cmbPass->setEnabled(needsFolder);
    m_btnPass->setEnabled(needsFolder);
}

void TFrmChg::PushFolderHistory(const QString& folder) {
    PushFolderHistory(PathComboBox::typedPath(folder));
}

void TFrmChg::PushFolderHistory(const std::string& folder) {
    m_cmbPass->recordPath(folder, kHistoryMax);
}

namespace {

int storedType(const IniFile& ini) {
    const int type = ini.ReadInteger(kSection, "Type", 0);
    // Only an edited file holds another value; rename only is the harmless choice.
    return type < 0 || type > 2 ? 0 : type;
}

} // namespace

void TFrmChg::storedChoice(FileSystem& fs, int& method, std::string& destination) {
    const IniFile ini(fs, settingsFilePath(fs));
    method = storedType(ini);
    // The field shows the most recent folder of the history (key 1 first), else the current folder.
    destination.clear();
    for (int key = 1; key <= kHistoryMax && destination.empty(); ++key)
        destination = ini.ReadString(kSection, std::to_string(key), "");
    if (destination.empty())
        destination = fs.currentFolder();
}

void TFrmChg::LoadDialogSettings() {
    const IniFile ini(m_fs, settingsFilePath(m_fs));
    setSelectedIndex(storedType(ini));
    for (int key = kHistoryMax; key >= 1; --key) {
        const std::string v = ini.ReadString(kSection, std::to_string(key), "");
        if (!v.empty())
            PushFolderHistory(v);
    }
}

void TFrmChg::SaveDialogSettings() {
    IniFile ini(m_fs, settingsFilePath(m_fs));
    ini.beginUpdate();
    ini.WriteInteger(kSection, "Type", selectedIndex());
    const std::vector<std::string> history = folderHistoryBytes();
    for (int key = 1; key <= kHistoryMax; ++key) {
        const std::size_t i = static_cast<std::size_t>(key - 1);
        ini.WriteString(kSection, std::to_string(key), i < history.size() ? history[i] : std::string());
    }
    ini.endUpdate();
}

void TFrmChg::acStartExecute() {
    // A folder typed as "backup" is the one in the current folder; the history and the run keep it so,
    // since the undo follows absolute paths only.
    const std::string folder = absolutePath(destinationBytes(), m_fs.currentFolder(), m_fs);
    m_cmbPass->setPathText(folder);
    PushFolderHistory(folder);
    try {
        SaveDialogSettings();
    } catch (const SettingsWriteError& e) {
        BeepMessageDlg(QString::fromUtf8(e.what()), MsgType::Error, MsgButtons::Ok);
        return;
    }
    accept();
}

void TFrmChg::acCancelExecute() {
    reject();
}

void TFrmChg::acHelpExecute() {
    openManual(manualContext(kHelpContext));
}

void TFrmChg::btnPassClick() {
    TFolderDialog fd(this);
    fd.Directory = QFile::decodeName(QByteArray::fromStdString(destinationBytes()));
    fd.Title = QStringLiteral("コピーまたは移動するフォルダを選択して下さい");
    if (fd.Execute())
        m_cmbPass->setPathText(PathComboBox::typedPath(fd.Directory));
}

void TFrmChg::cmbPassDropDown() {
    const QFontMetrics fm(m_cmbPass->font());
    int widest = 0;
    for (int i = 0; i < m_cmbPass->count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(m_cmbPass->itemText(i)));
    int width = widest + 6;
    if (m_cmbPass->count() > m_cmbPass->maxVisibleItems())
        width += m_cmbPass->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Never narrower than the field itself.
    m_cmbPass->view()->setMinimumWidth(std::max(width, m_cmbPass->width()));
}

} // namespace rinoza
