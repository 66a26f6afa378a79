#include "filelist/ui/SearchTab.h"

#include "common/ui/PathComboBox.h"
#include "filelist/ui/SearchHistory.h"
#include "settings/IniFile.h"

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
    cmbFnd = new PathComboBox(this);
    cmbFnd->setObjectName(QStringLiteral("cmbFnd"));
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
}

void SearchTab::restoreState(const IniFile& ini) {
    for (int n = 1; n <= kSearchHistoryMax; ++n) {
        const std::string key = std::to_string(n);
        const std::string name = ini.ReadString("FindName", key, "");
        if (!name.empty())
            cmbFndName->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        const std::string folder = ini.ReadString("FindLocate", key, "");
        if (!folder.empty())
            cmbFnd->addPath(folder);
    }
}

void SearchTab::saveState(IniFile& ini) const {
    for (int n = 1; n <= kSearchHistoryMax; ++n) {
        const std::string key = std::to_string(n);
        ini.WriteString("FindName", key, n <= cmbFndName->count() ? cmbFndName->itemText(n - 1).toUtf8().toStdString()
                                                                   : std::string());
        ini.WriteString("FindLocate", key, n <= cmbFnd->count() ? cmbFnd->pathAt(n - 1) : std::string());
    }
}

void SearchTab::showFirstEntries(const std::string& home) {
    cmbFndName->setEditText(cmbFndName->count() > 0 ? cmbFndName->itemText(0) : QStringLiteral("*.*"));
    if (cmbFnd->count() > 0) {
        cmbFnd->setPathText(cmbFnd->pathAt(0));
        return;
    }
    cmbFnd->addPath(home);
    cmbFnd->addPath("/");
    cmbFnd->setPathText(home);
}

} // namespace rinoza
