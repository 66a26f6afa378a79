#include "rename/ui/RenameTab.h"

#include "common/Myfunction.h"
#include "common/TextCodec.h"
#include "common/ui/Colours.h"
#include "common/ui/ComboUtil.h"
#include "common/ui/ProgramImages.h"
#include "common/ui/UserPrompts.h"
#include "rename/RuleSetStore.h"
#include "rename/ui/NumberSpinBox.h"
#include "settings/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace rinoza {

namespace {

QString u8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string bytes(const QString& s) {
    return s.toUtf8().toStdString();
}

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* makeEdit(const QString& name, const QString& text, QWidget* parent) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

QComboBox* makeList(const QString& name, const QStringList& entries, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(false);
    c->addItems(entries);
    return c;
}

QCheckBox* makeCheck(const QString& name, const QString& text, QWidget* parent) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    return c;
}

// The replacement of a regular expression keeps its backslashes: they escape "$" and themselves.
constexpr std::string_view kBadCharsButBackslash = kBadNameChars.substr(1);
static_assert(kBadNameChars.front() == '\\');

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

// The readers of the name builder: a file's dates (a missing file is told in a plain message) and the
// date a photo was taken.
FileDateReader fileDateReader(FileSystem& fs) {
    return [&fs](const std::string& path, FileDateKind kind) {
        return std::optional<LocalDateTime>(GetFileDate(
            fs, path, kind, [](const std::string& p) { prompts().plainMessage(QString::fromUtf8(displayText(p))); }));
    };
}

PhotoDateReader photoDateReader(FileSystem& fs) {
    return [&fs](const std::string& path) { return photoDateTaken(fs, path); };
}

} // namespace

RenameTab::RenameTab(FileSystem& fs, const Clock& clock, QWidget* parent)
    : QWidget(parent), m_fs(fs), m_clock(&clock),
      m_builder(std::make_unique<NameBuilder>(clock, fileDateReader(fs), photoDateReader(fs))) {
    buildControls();
    applyRuleSet(RenameRuleSet::defaults());
}

RenameTab::~RenameTab() = default;

void RenameTab::setClock(const Clock& clock) {
    m_clock = &clock;
    m_builder = std::make_unique<NameBuilder>(clock, fileDateReader(m_fs), photoDateReader(m_fs));
    UpdateExample();
}

void RenameTab::buildControls() {
    setObjectName(QStringLiteral("tbsSet"));

    // Example: old name -> new name.
    gbRei = new QGroupBox(QStringLiteral("<例>"), this);
    gbRei->setObjectName(QStringLiteral("gbRei"));
    edtReiBefore = makeEdit(QStringLiteral("edtReiBefore"), QStringLiteral("abcde.xyz"), gbRei);
    lblRei = makeLabel(QStringLiteral("lblRei"), QStringLiteral("→"), gbRei);
    edtReiAfter = makeEdit(QStringLiteral("edtReiAfter"), QString(), gbRei);
    edtReiAfter->setReadOnly(true);
    auto* reiLayout = new QHBoxLayout(gbRei);
    reiLayout->setContentsMargins(6, 2, 6, 4);
    reiLayout->addWidget(edtReiBefore, 1);
    reiLayout->addWidget(lblRei);
    reiLayout->addWidget(edtReiAfter, 1);

    // Rule group.
    gbChg = new QGroupBox(QStringLiteral("<変名 詳細設定>"), this);
    gbChg->setObjectName(QStringLiteral("gbChg"));

    lvChg = new QListWidget(gbChg);
    lvChg->setObjectName(QStringLiteral("lvChg"));
    lvChg->setSelectionMode(QAbstractItemView::SingleSelection);
    lvChg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvChg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lvChg->setFixedWidth(118);

    bbtnUp = new QToolButton(gbChg);
    bbtnUp->setObjectName(QStringLiteral("bbtnUp"));
    bbtnUp->setIcon(programImage(ImgArrowUp));
    bbtnUp->setArrowType(programImage(ImgArrowUp).isNull() ? Qt::UpArrow : Qt::NoArrow);
    bbtnDown = new QToolButton(gbChg);
    bbtnDown->setObjectName(QStringLiteral("bbtnDown"));
    bbtnDown->setIcon(programImage(ImgArrowDown));
    bbtnDown->setArrowType(programImage(ImgArrowDown).isNull() ? Qt::DownArrow : Qt::NoArrow);

    lblKotei1 = makeLabel(QStringLiteral("lblKotei1"), QStringLiteral("1) 固定文字１"), gbChg);
    edtKotei1 = makeEdit(QStringLiteral("edtKotei1"), QString(), gbChg);
    lblMotoF = makeLabel(QStringLiteral("lblMotoF"), QStringLiteral("2) 元ファイル名"), gbChg);
    udMotoFS = new NumberSpinBox(QStringLiteral("udMotoFS"), QStringLiteral("edtMotoFS"), 1, 999, 1, 3, gbChg);
    lblMotoFH = makeLabel(QStringLiteral("lblMotoFH"), QStringLiteral("～"), gbChg);
    udMotoFE = new NumberSpinBox(QStringLiteral("udMotoFE"), QStringLiteral("edtMotoFE"), 1, 999, 999, 3, gbChg);
    lblKotei2 = makeLabel(QStringLiteral("lblKotei2"), QStringLiteral("3) 固定文字２"), gbChg);
    edtKotei2 = makeEdit(QStringLiteral("edtKotei2"), QString(), gbChg);
    lblRenKeta = makeLabel(QStringLiteral("lblRenKeta"), QStringLiteral("4) 連番の桁数"), gbChg);
    cbRenKeta = makeList(QStringLiteral("cbRenKeta"),
                         {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}, gbChg);
    lblRenStart = makeLabel(QStringLiteral("lblRenStart"), QStringLiteral("開始数"), gbChg);
    udRenStart = new NumberSpinBox(QStringLiteral("udRenStart"), QStringLiteral("edtRenStart"), 0, 9999, 1, 4, gbChg);
    lblRenAdd = makeLabel(QStringLiteral("lblRenAdd"), QStringLiteral("増分"), gbChg);
    udRenAdd = new NumberSpinBox(QStringLiteral("udRenAdd"), QStringLiteral("edtRenAdd"), 1, 9999, 1, 4, gbChg);
    lblKoteiK = makeLabel(QStringLiteral("lblKoteiK"), QStringLiteral("7) 拡張子"), gbChg);
    edtKoteiK = makeEdit(QStringLiteral("edtKoteiK"), QString(), gbChg);
    lblDateTime = makeLabel(QStringLiteral("lblDateTime"), QStringLiteral("8) 日付/時間"), gbChg);
    cbDateTime = makeList(QStringLiteral("cbDateTime"),
                          {QStringLiteral("現在日"), QStringLiteral("現在時"), QStringLiteral("現在日時"),
                           QStringLiteral("ファイル作成日"), QStringLiteral("ファイル作成時"),
                           QStringLiteral("ファイル作成日時"), QStringLiteral("ファイル更新日"),
                           QStringLiteral("ファイル更新時"), QStringLiteral("ファイル更新日時"),
                           QStringLiteral("ファイルアクセス日"), QStringLiteral("撮影日"), QStringLiteral("撮影日時")},
                          gbChg);
    cbDateTime->setMaxVisibleItems(cbDateTime->count());
    lblDateK = makeLabel(QStringLiteral("lblDateK"), QStringLiteral("区切り - 日付"), gbChg);
    edtDateK = makeEdit(QStringLiteral("edtDateK"), QStringLiteral("_"), gbChg);
    lblTimeK = makeLabel(QStringLiteral("lblTimeK"), QStringLiteral("時間"), gbChg);
    edtTimeK = makeEdit(QStringLiteral("edtTimeK"), QStringLiteral("_"), gbChg);
    lblCase = makeLabel(QStringLiteral("lblCase"), QStringLiteral("大文字/小文字"), gbChg);
    cbCase = makeList(QStringLiteral("cbCase"),
                      {QStringLiteral("そのまま"), QStringLiteral("大文字"), QStringLiteral("小文字"),
                       QStringLiteral("頭１文字のみ大文字")},
                      gbChg);
    lblChgB = makeLabel(QStringLiteral("lblChgB"), QStringLiteral("9) 文字置換え"), gbChg);
    edtChgB = makeEdit(QStringLiteral("edtChgB"), QString(), gbChg);
    lblChg = makeLabel(QStringLiteral("lblChg"), QStringLiteral("→"), gbChg);
    edtChgA = makeEdit(QStringLiteral("edtChgA"), QString(), gbChg);
    cbChgRegex = makeCheck(QStringLiteral("cbChgRegex"), QStringLiteral("正規表現(&R)"), gbChg);
    cbChgRegex->setToolTip(QStringLiteral("置換前を正規表現として探す (大文字と小文字は区別しない)。"
                                          "置換後の $0～$9 は一致した文字列とそのグループ、\\$ は $"));
    cbRenFolder = makeCheck(QStringLiteral("cbRenFolder"), QStringLiteral("フォルダごとに連番(&D)"), gbChg);
    cbRenFolder->setToolTip(QStringLiteral("フォルダごとに開始数から数える"));
    lblWidth = makeLabel(QStringLiteral("lblWidth"), QStringLiteral("全角/半角(&W)"), gbChg);
    cbWidth = makeList(QStringLiteral("cbWidth"),
                       {QStringLiteral("そのまま"), QStringLiteral("英数字・記号を半角に"),
                        QStringLiteral("英数字・記号を全角に"), QStringLiteral("半角カナを全角に"),
                        QStringLiteral("カタカナを半角に")},
                       gbChg);
    lblKana = makeLabel(QStringLiteral("lblKana"), QStringLiteral("かな(&J)"), gbChg);
    cbKana = makeList(QStringLiteral("cbKana"),
                      {QStringLiteral("そのまま"), QStringLiteral("ひらがなに"), QStringLiteral("カタカナに")}, gbChg);
    cbNfc = makeCheck(QStringLiteral("cbNfc"), QStringLiteral("NFC に正規化(&U)"), gbChg);
    cbNfc->setToolTip(QStringLiteral("名前を Unicode の NFC にする (分解された濁点などを1文字に合成する)"));
    lblWidth->setBuddy(cbWidth);
    lblKana->setBuddy(cbKana);

    for (NumberSpinBox* s : {udMotoFS, udMotoFE, udRenStart, udRenAdd})
        s->setMaximumWidth(60);
    // Drop-down lists size to a few characters, not to their longest entry, so the fields keep their room.
    for (QComboBox* c : {cbRenKeta, cbDateTime, cbCase}) {
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(c == cbRenKeta ? 2 : 8);
    }
    // The conversions' row has the room to show their entries in full.
    for (QComboBox* c : {cbWidth, cbKana})
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    edtDateK->setMaximumWidth(36);
    edtTimeK->setMaximumWidth(36);

    // The list with its arrows at the left, the case list under it, each element's fields to the right.
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(2);
    arrows->addStretch(1);
    arrows->addWidget(bbtnUp);
    arrows->addWidget(bbtnDown);
    arrows->addStretch(1);

    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(4);
    fields->setVerticalSpacing(2);
    fields->addWidget(lblKotei1, 0, 0);
    fields->addWidget(edtKotei1, 0, 1, 1, 4);
    fields->addWidget(lblMotoF, 1, 0);
    fields->addWidget(udMotoFS, 1, 1);
    fields->addWidget(lblMotoFH, 1, 2, Qt::AlignCenter);
    fields->addWidget(udMotoFE, 1, 3);
    fields->addWidget(lblKotei2, 2, 0);
    fields->addWidget(edtKotei2, 2, 1, 1, 4);
    fields->addWidget(lblRenKeta, 3, 0);
    fields->addWidget(cbRenKeta, 3, 1);
    fields->addWidget(cbRenFolder, 3, 2, 1, 3);
    fields->addWidget(lblRenStart, 4, 0, Qt::AlignRight);
    fields->addWidget(udRenStart, 4, 1);
    fields->addWidget(lblRenAdd, 4, 2);
    fields->addWidget(udRenAdd, 4, 3);
    fields->addWidget(lblKoteiK, 5, 0);
    fields->addWidget(edtKoteiK, 5, 1, 1, 4);
    fields->addWidget(lblDateTime, 6, 0);
    fields->addWidget(cbDateTime, 6, 1, 1, 3);
    fields->addWidget(lblDateK, 7, 0, Qt::AlignRight);
    fields->addWidget(edtDateK, 7, 1);
    fields->addWidget(lblTimeK, 7, 2);
    fields->addWidget(edtTimeK, 7, 3);
    auto* chgBRow = new QHBoxLayout;
    chgBRow->setSpacing(4);
    chgBRow->addWidget(edtChgB, 1);
    chgBRow->addWidget(cbChgRegex);
    fields->addWidget(lblChgB, 8, 0);
    fields->addLayout(chgBRow, 8, 1, 1, 4);
    fields->addWidget(lblChg, 9, 0, Qt::AlignRight);
    fields->addWidget(edtChgA, 9, 1, 1, 4);
    fields->setColumnStretch(4, 1);

    auto* chgLayout = new QGridLayout(gbChg);
    chgLayout->setContentsMargins(6, 2, 6, 4);
    chgLayout->setHorizontalSpacing(4);
    chgLayout->setVerticalSpacing(2);
    chgLayout->addWidget(lvChg, 0, 0);
    chgLayout->addLayout(arrows, 0, 1);
    chgLayout->addLayout(fields, 0, 2, 4, 1);
    chgLayout->addWidget(lblCase, 1, 0, 1, 2);
    chgLayout->addWidget(cbCase, 2, 0, 1, 2);
    chgLayout->addWidget(cbNfc, 3, 0, 1, 2);
    // The width and kana conversions, after the case conversion, in one row under everything: their
    // entries need more room than the column under the list has.
    auto* conversions = new QHBoxLayout;
    conversions->setSpacing(4);
    conversions->addWidget(lblWidth);
    conversions->addWidget(cbWidth);
    conversions->addSpacing(12);
    conversions->addWidget(lblKana);
    conversions->addWidget(cbKana);
    conversions->addStretch(1);
    chgLayout->addLayout(conversions, 4, 0, 1, 3);
    chgLayout->setRowStretch(0, 1);
    chgLayout->setColumnStretch(2, 1);

    btnCnvStart = makeButton(QStringLiteral("btnCnvStart"), QStringLiteral("変名開始(&I) ..."), this);
    btnCnvStart->setDefault(true);
    btnAns = makeButton(QStringLiteral("btnAns"), QStringLiteral("結果表示(&K)"), this);
    btnAns->setToolTip(QStringLiteral("備考に変名結果を表示する"));
    btnNew = makeButton(QStringLiteral("btnNew"), QStringLiteral("設定クリア(&E) ..."), this);
    btnNew->setToolTip(QStringLiteral("変名設定をクリアして初期値に戻す"));
    btnAndo = makeButton(QStringLiteral("btnAndo"), QStringLiteral("前回変名戻し(&A) ..."), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnCnvStart);
    buttons->addWidget(btnAns);
    buttons->addStretch(1);
    buttons->addWidget(btnNew);
    buttons->addWidget(btnAndo);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(4);
    layout->addWidget(gbRei);
    layout->addWidget(gbChg, 1);
    layout->addLayout(buttons);

    m_elementControls[1] = {lblKotei1, edtKotei1};
    m_elementControls[2] = {lblMotoF, lblMotoFH, udMotoFS, udMotoFE};
    m_elementControls[3] = {lblKotei2, edtKotei2};
    m_elementControls[4] = {lblRenKeta, lblRenStart, lblRenAdd, cbRenKeta, udRenStart, udRenAdd, cbRenFolder};
    m_elementControls[7] = {lblKoteiK, edtKoteiK};
    m_elementControls[8] = {lblDateTime, lblDateK, lblTimeK, cbDateTime, edtDateK, edtTimeK};
    m_elementControls[9] = {lblChgB, lblChg, edtChgB, edtChgA, cbChgRegex};

    // Any change of an entry (tick, selection, caption, order) recomputes everything.
    connect(lvChg, &QListWidget::itemChanged, this, &RenameTab::lvChgChange);
    connect(lvChg, &QListWidget::currentRowChanged, this, &RenameTab::lvChgChange);
    connect(lvChg->model(), &QAbstractItemModel::rowsInserted, this, &RenameTab::lvChgChange);
    connect(lvChg->model(), &QAbstractItemModel::rowsRemoved, this, &RenameTab::lvChgChange);
    connect(lvChg->model(), &QAbstractItemModel::rowsMoved, this, &RenameTab::lvChgChange);
    connect(bbtnUp, &QToolButton::clicked, this, &RenameTab::bbtnUpClick);
    connect(bbtnDown, &QToolButton::clicked, this, &RenameTab::bbtnDownClick);
    connect(edtReiBefore, &QLineEdit::textChanged, this, &RenameTab::edtReiBeforeChange);
    for (QLineEdit* e : {edtKotei1, edtKotei2, edtKoteiK, edtDateK, edtTimeK, edtChgB, edtChgA})
        connect(e, &QLineEdit::textChanged, this, &RenameTab::edtKoteiChange);
    // The spin box changes its field's text with the field's signals blocked (arrows, setValue), so a
    // number field is watched both for typed text and for value changes.
    for (NumberSpinBox* s : {udMotoFS, udMotoFE}) {
        connect(s->edit(), &QLineEdit::textChanged, this, &RenameTab::edtChgChange);
        connect(s, &QSpinBox::valueChanged, this, &RenameTab::edtChgChange);
    }
    for (NumberSpinBox* s : {udRenStart, udRenAdd}) {
        connect(s->edit(), &QLineEdit::textChanged, this, &RenameTab::edtRenChange);
        connect(s, &QSpinBox::valueChanged, this, &RenameTab::edtRenChange);
    }
    for (QComboBox* c : {cbCase, cbDateTime, cbRenKeta, cbWidth, cbKana})
        connect(c, &QComboBox::currentIndexChanged, this, &RenameTab::cbChange);
    for (QCheckBox* c : {cbChgRegex, cbRenFolder, cbNfc})
        connect(c, &QCheckBox::toggled, this, &RenameTab::cbChange);

    // A main window has no default button of its own: Enter in any field of the tab (the number
    // fields' and the example's included) presses the start button.
    for (QLineEdit* e : findChildren<QLineEdit*>())
        connect(e, &QLineEdit::returnPressed, btnCnvStart, &QPushButton::click);

    // Dragging an entry onto another moves it there. The drop is handled here, never by the view
    // itself, so no entry is copied in or removed by the drag.
    lvChg->setDragEnabled(true);
    lvChg->setDragDropMode(QAbstractItemView::DragDrop);
    lvChg->setDefaultDropAction(Qt::CopyAction);
    lvChg->setAcceptDrops(true);
    lvChg->viewport()->setAcceptDrops(true);
    lvChg->viewport()->installEventFilter(this);
}

bool RenameTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched != lvChg->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (e->source() == lvChg) {
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        if (e->source() == lvChg) {
            lvChgDragDrop(e->position().toPoint());
            // Reported as a copy, so the view that started the drag removes nothing.
            e->setDropAction(Qt::CopyAction);
            e->accept();
        } else {
            e->ignore();
        }
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void RenameTab::lvChgDragDrop(const QPoint& viewportPos) {
    // Both positions are taken before anything changes.
    const QModelIndex target = lvChg->indexAt(viewportPos);
    QListWidgetItem* selected = lvChg->currentItem();
    if (!target.isValid() || !selected || !selected->isSelected())
        return;
    MoveElement(lvChg->row(selected), target.row());
}

RenameRuleSet RenameTab::currentRuleSet() const {
    RenameRuleSet r;
    for (int i = 0; i < static_cast<int>(r.elements.size()); ++i) {
        auto& e = r.elements[static_cast<std::size_t>(i)];
        if (QListWidgetItem* item = lvChg->item(i)) {
            e.caption = bytes(item->text());
            e.checked = item->checkState() == Qt::Checked;
        }
    }
    r.fixF1 = bytes(edtKotei1->text());
    r.fixF2 = bytes(edtKotei2->text());
    r.fixK = bytes(edtKoteiK->text());
    r.motoStart = udMotoFS->value();
    r.motoEnd = udMotoFE->value();
    r.renKeta = bytes(cbRenKeta->currentText());
    r.renAdd = udRenAdd->value();
    r.dateTime = cbDateTime->currentIndex();
    r.dateK = bytes(edtDateK->text());
    r.timeK = bytes(edtTimeK->text());
    r.strChgBefore = bytes(edtChgB->text());
    r.strChgAfter = bytes(edtChgA->text());
    r.strChgRegex = cbChgRegex->isChecked();
    r.caseMode = cbCase->currentIndex();
    r.renFolder = cbRenFolder->isChecked();
    r.width = cbWidth->currentIndex();
    r.kana = cbKana->currentIndex();
    r.nfc = cbNfc->isChecked();
    return r;
}

void RenameTab::applyRuleSet(const RenameRuleSet& rules) {
    lvChg->clear();
    for (const RenameElement& e : rules.elements) {
        auto* item = new QListWidgetItem(u8(e.caption));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
        item->setCheckState(e.checked ? Qt::Checked : Qt::Unchecked);
        lvChg->addItem(item);
    }
    edtKotei1->setText(u8(rules.fixF1));
    edtKotei2->setText(u8(rules.fixF2));
    edtKoteiK->setText(u8(rules.fixK));
    udMotoFS->setValue(rules.motoStart);
    udMotoFE->setValue(rules.motoEnd);
    SelectComboItem(cbRenKeta, u8(rules.renKeta));
    udRenAdd->setValue(rules.renAdd);
    // An index outside the list leaves it without a selection (and -1 is what a close writes back).
    cbDateTime->setCurrentIndex(rules.dateTime >= 0 && rules.dateTime < cbDateTime->count() ? rules.dateTime : -1);
    edtDateK->setText(u8(rules.dateK));
    edtTimeK->setText(u8(rules.timeK));
    cbCase->setCurrentIndex(rules.caseMode >= 0 && rules.caseMode < cbCase->count() ? rules.caseMode : -1);
    // Before the texts: it decides which characters the texts may keep.
    cbChgRegex->setChecked(rules.strChgRegex);
    edtChgB->setText(u8(rules.strChgBefore));
    edtChgA->setText(u8(rules.strChgAfter));
    cbRenFolder->setChecked(rules.renFolder);
    cbWidth->setCurrentIndex(rules.width >= 0 && rules.width < cbWidth->count() ? rules.width : -1);
    cbKana->setCurrentIndex(rules.kana >= 0 && rules.kana < cbKana->count() ? rules.kana : -1);
    cbNfc->setChecked(rules.nfc);
    lvChgChange();
}

StoredRuleSet RenameTab::storedRuleSet() const {
    StoredRuleSet s;
    s.rules = currentRuleSet();
    s.renStart = udRenStart->value();
    s.reiBefore = bytes(edtReiBefore->text());
    return s;
}

void RenameTab::applyStoredRuleSet(const StoredRuleSet& stored) {
    setRenStart(stored.renStart);
    applyRuleSet(stored.rules);
    edtReiBefore->setText(u8(stored.reiBefore));
}

void RenameTab::restoreState(const IniFile& ini) {
    applyStoredRuleSet(RuleSetStore::readCurrent(ini));
}

void RenameTab::saveState(IniFile& ini) const {
    RuleSetStore::writeCurrent(ini, storedRuleSet());
}

QString RenameTab::renStartText() const {
    // While the field is emptied for typing, the start in force is its last number.
    const QString text = udRenStart->edit()->text();
    return text.isEmpty() ? QString::number(udRenStart->value()) : text;
}

void RenameTab::setRenStart(int value) {
    udRenStart->setValue(value);
    // setValue does not touch a text that already shows the value but did not parse (e.g. "$10").
    udRenStart->edit()->setText(QString::number(udRenStart->value()));
}

void RenameTab::lvChgChange() {
    for (int i = 0; i < lvChg->count(); ++i) {
        const QListWidgetItem* item = lvChg->item(i);
        const QString caption = item->text();
        if (caption.isEmpty() || caption.at(0) < QLatin1Char('0') || caption.at(0) > QLatin1Char('9'))
            continue;
        const int n = caption.at(0).unicode() - u'0';
        const bool on = item->checkState() == Qt::Checked;
        for (QWidget* w : m_elementControls[static_cast<std::size_t>(n)])
            w->setEnabled(on);
    }
    UpdateExample();
}

void RenameTab::UpdateExample() {
    showExample();
    emit ruleChanged();
}

void RenameTab::showExample() {
    const QString startText = renStartText();
    const std::string start = bytes(startText);
    const std::optional<int32_t> value = ParseWholeNumber(start);
    if (!value) {
        BeepMessageDlg(u8(notAnIntegerMessage(start)), MsgType::Error, MsgButtons::Ok);
        return;
    }
    SerialCounter = *value;
    const RenameRuleSet rules = currentRuleSet();
    if (const std::string fault = m_builder->ruleError(rules); !fault.empty()) {
        edtReiAfter->setText(u8(fault));
        return;
    }
    const std::string newName =
        m_builder->BuildNewName(rules, bytes(edtReiBefore->text()), "[フォルダ名]", true, SerialCounter);
    edtReiAfter->setText(u8(displayText(newName)));
}

void RenameTab::edtReiBeforeChange() {
    UpdateExample();
}

void RenameTab::edtKoteiChange() {
    // Removing the characters is itself a change of the field and runs this handler again, so a text
    // holding a forbidden character twice gets the message once per pass until none is left.
    auto* edit = qobject_cast<QLineEdit*>(sender());
    const bool regex = cbChgRegex->isChecked();
    if (edit && !(regex && edit == edtChgB)) {
        const std::string_view bad = regex && edit == edtChgA ? kBadCharsButBackslash : kBadNameChars;
        const std::string text = bytes(edit->text());
        if (RemoveBadNameChars(text, bad) != text) {
            setFieldRed(edit, true);
            BeepMessageDlg(u8(std::string(kBadNameCharsMessage)), MsgType::Information, MsgButtons::Ok);
            edit->setText(u8(RemoveBadNameChars(bytes(edit->text()), bad)));
            setFieldRed(edit, false);
        }
    }
    UpdateExample();
}

void RenameTab::edtChgChange() {
    // An emptied or unfinished field keeps the value in force (NumberSpinBox), so the check and the
    // example go on with it.
    const bool reversed = udMotoFS->value() > udMotoFE->value();
    setFieldRed(udMotoFS, reversed);
    setFieldRed(udMotoFE, reversed);
    UpdateExample();
}

void RenameTab::edtRenChange() {
    UpdateExample();
}

void RenameTab::cbChange() {
    UpdateExample();
}

void RenameTab::setFieldRed(QWidget* field, bool red) {
    setFieldRejected(field, red);
}

void RenameTab::bbtnUpClick() {
    const int row = lvChg->currentRow();
    if (row > 0 && lvChg->currentItem() && lvChg->currentItem()->isSelected())
        MoveElement(row, row - 1);
    else
        lvChg->setFocus();
}

void RenameTab::bbtnDownClick() {
    const int row = lvChg->currentRow();
    if (row >= 0 && row + 1 < lvChg->count() && lvChg->currentItem()->isSelected())
        MoveElement(row, row + 1);
    else
        lvChg->setFocus();
}

void RenameTab::MoveElement(int from, int to) {
    if (from < 0 || from >= lvChg->count() || to < 0 || to >= lvChg->count())
        return;
    lvChg->setUpdatesEnabled(false);
    QListWidgetItem* item = lvChg->takeItem(from);
    lvChg->insertItem(to, item);
    lvChg->setCurrentRow(to);
    item->setSelected(true);
    lvChg->setFocus();
    lvChg->setUpdatesEnabled(true);
}

} // namespace rinoza
