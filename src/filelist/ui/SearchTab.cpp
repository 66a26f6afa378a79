#include "filelist/ui/SearchTab.h"

#include "common/TextCodec.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace rinoza {

namespace {

QString shown(const std::string& bytes) { return QString::fromUtf8(displayText(bytes)); }

} // namespace

SearchTab::SearchTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tbsFnd"));

    stxFndName = new QLabel(QStringLiteral("名前(&N)"), this);
    stxFndName->setObjectName(QStringLiteral("stxFndName"));
    cmbFndName = new QComboBox(this);
    cmbFndName->setObjectName(QStringLiteral("cmbFndName"));
    cmbFndName->setEditable(true);
    cmbFndName->setMaxVisibleItems(10);
    cmbFndName->setInsertPolicy(QComboBox::NoInsert);
    cmbFndName->setEditText(QStringLiteral("*.*"));
    stxFndName->setBuddy(cmbFndName);

    stxFnd = new QLabel(QStringLiteral("探す場所(&L)"), this);
    stxFnd->setObjectName(QStringLiteral("stxFnd"));
    cmbFnd = new QComboBox(this);
    cmbFnd->setObjectName(QStringLiteral("cmbFnd"));
    cmbFnd->setEditable(true);
    cmbFnd->setMaxVisibleItems(10);
    cmbFnd->setInsertPolicy(QComboBox::NoInsert);
    stxFnd->setBuddy(cmbFnd);

    btnFnd = new QPushButton(QStringLiteral("参照(&B)..."), this);
    btnFnd->setObjectName(QStringLiteral("btnFnd"));
    btnFnd->setMinimumWidth(75);

    cbFnd = new QCheckBox(QStringLiteral("サブフォルダも探す(&S)"), this);
    cbFnd->setObjectName(QStringLiteral("cbFnd"));
    cbFnd->setChecked(true);
    cbOpt = new QCheckBox(QStringLiteral("検索のたびにリストをクリア(&R)"), this);
    cbOpt->setObjectName(QStringLiteral("cbOpt"));
    cbOpt->setChecked(true);

    btnStart = new QPushButton(QStringLiteral("検索開始(&I)"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setDefault(true);
    btnStop = new QPushButton(QStringLiteral("検索中止(&P)"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    btnStop->setEnabled(false);
    btnlvClr = new QPushButton(QStringLiteral("リストのクリア(&C)"), this);
    btnlvClr->setObjectName(QStringLiteral("btnlvClr"));
    btnlvClr->setEnabled(false);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->addWidget(stxFndName, 0, 0);
    grid->addWidget(cmbFndName, 0, 1, 1, 2);
    grid->addWidget(stxFnd, 1, 0);
    grid->addWidget(cmbFnd, 1, 1);
    grid->addWidget(btnFnd, 1, 2);
    grid->setColumnMinimumWidth(0, 64);
    grid->setColumnStretch(1, 1);

    auto* options = new QVBoxLayout;
    options->addWidget(cbFnd);
    options->addWidget(cbOpt);
    auto* optionRow = new QHBoxLayout;
    optionRow->addSpacing(72);
    optionRow->addLayout(options);
    optionRow->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnStart);
    buttons->addWidget(btnStop);
    buttons->addWidget(btnlvClr);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 12, 8, 8);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(optionRow);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // A main window has no default or cancel button of its own: Enter in either field presses the
    // start button, Esc anywhere on the tab presses the stop button while a search runs.
    connect(cmbFndName->lineEdit(), &QLineEdit::returnPressed, btnStart, &QPushButton::click);
    connect(cmbFnd->lineEdit(), &QLineEdit::returnPressed, btnStart, &QPushButton::click);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WidgetWithChildrenShortcut);
    connect(esc, &QShortcut::activated, this, [this] {
        if (btnStop->isEnabled())
            btnStop->click();
    });

    connect(btnFnd, &QPushButton::clicked, this, &SearchTab::btnFndClick);
    connect(btnStart, &QPushButton::clicked, this, &SearchTab::btnStartClick);
    connect(btnStop, &QPushButton::clicked, this, &SearchTab::btnStopClick);
}

void SearchTab::addFolderItem(const std::string& folder) {
    const QByteArray raw(folder.data(), static_cast<qsizetype>(folder.size()));
    cmbFnd->addItem(shown(folder), raw);
}

std::string SearchTab::folderAt(int i) const {
    const QVariant raw = cmbFnd->itemData(i);
    if (raw.typeId() == QMetaType::QByteArray)
        return raw.toByteArray().toStdString();
    return cmbFnd->itemText(i).toUtf8().toStdString();
}

std::string SearchTab::folderText() const {
    // The shown text stands for the bytes of the entry it came from, unless the user has edited it.
    const QString text = cmbFnd->currentText();
    for (int i = 0; i < cmbFnd->count(); ++i)
        if (cmbFnd->itemText(i) == text)
            return folderAt(i);
    if (text == m_folderShown)
        return m_folderBytes;
    return text.toUtf8().toStdString();
}

void SearchTab::setFolderText(const std::string& folder) {
    m_folderBytes = folder;
    m_folderShown = shown(folder);
    cmbFnd->setEditText(m_folderShown);
}

// The search runs here; until then these buttons do nothing.
void SearchTab::btnFndClick() {}
void SearchTab::btnStartClick() {}
void SearchTab::btnStopClick() {}

} // namespace rinoza
