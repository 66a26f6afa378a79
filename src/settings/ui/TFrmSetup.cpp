#include "settings/ui/TFrmSetup.h"

#include "common/Myfunction.h"
#include "common/ui/Manual.h"
#include "common/ui/UserPrompts.h"
#include "platform/TextNumbers.h"
#include "settings/DisplaySettings.h"
#include "settings/IniFile.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace rinoza {

namespace {

constexpr QSize kDesignedSize(294, 213);
constexpr int kLVMaxLength = 5;

// The whole text as a decimal integer (the validation leaves only such texts, or a lone "-").
bool wholeNumber(const QString& text, int& value) {
    const std::optional<int> v = parseInteger<int>(text.toStdString());
    value = v.value_or(value);
    return v.has_value();
}

// The up-down beside the search limit: its line edit is edtLVMax, whose text the dialog checks
// itself, so every text is accepted here. Each step moves the number by 1000 within 1 to 30000,
// without wrapping; a text that is not a number steps from the last position.
class LVMaxUpDown final : public QAbstractSpinBox {
public:
    explicit LVMaxUpDown(QWidget* parent) : QAbstractSpinBox(parent) {
        setWrapping(false);
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    }

    QLineEdit* edit() const { return lineEdit(); }

    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
    void fixup(QString&) const override {}

    void stepBy(int steps) override {
        int v = 0;
        if (!wholeNumber(edit()->text(), v))
            v = m_position;
        v = static_cast<int>(
            std::clamp<long long>(static_cast<long long>(v) + static_cast<long long>(steps) * TFrmSetup::kLVMaxStep,
                                  TFrmSetup::kLVMaxMin, TFrmSetup::kLVMaxMax));
        m_position = v;
        edit()->setText(QString::number(v));
    }

protected:
    StepEnabled stepEnabled() const override {
        int v = m_position;
        wholeNumber(edit()->text(), v);
        StepEnabled e = StepNone;
        if (v < TFrmSetup::kLVMaxMax)
            e |= StepUpEnabled;
        if (v > TFrmSetup::kLVMaxMin)
            e |= StepDownEnabled;
        return e;
    }

private:
    int m_position = DisplaySettings().LVIconMax;
};

} // namespace

TFrmSetup::TFrmSetup(FileSystem& fs, QWidget* parent) : QDialog(parent), m_fs(fs) {
    buildControls();
    FrmSetupCreate();
}

void TFrmSetup::buildControls() {
    setObjectName(QStringLiteral("FrmSetup"));
    setWindowTitle(QStringLiteral("表示設定"));
    setModal(true);

    const auto check = [this](const char* name, const char* caption) {
        auto* c = new QCheckBox(QString::fromUtf8(caption), this);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    cbLVVisible = check("cbLVVisible", "リストのアイコン表示(&V)");
    cbLVSysVisible = check("cbLVSysVisible", "リストにシステムファイルを表示する(&S)");
    cbLVHiddenVisible = check("cbLVHiddenVisible", "リストに隠しファイルを表示する(&H)");
    cbLVReadonlyVisible = check("cbLVReadonlyVisible", "リストに読み取り専用ファイルを表示する(&R)");
    cbFocus = check("cbFocus", "検索の後に自動で変名機能タブに切り替える(&K)");
    cbColSize = check("cbColSize", "リストカラム幅の記憶(&C)");

    auto* upDown = new LVMaxUpDown(this);
    udLVMax = upDown;
    udLVMax->setObjectName(QStringLiteral("udLVMax"));
    edtLVMax = upDown->edit();
    edtLVMax->setObjectName(QStringLiteral("edtLVMax"));
    edtLVMax->setMaxLength(kLVMaxLength);
    // A number field: no input method composing text in it.
    for (QWidget* w : {static_cast<QWidget*>(udLVMax), static_cast<QWidget*>(edtLVMax)}) {
        w->setAttribute(Qt::WA_InputMethodEnabled, false);
        w->setInputMethodHints(Qt::ImhDigitsOnly);
    }
    udLVMax->setFixedWidth(udLVMax->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 32);
    auto* lblMax = new QLabel(QStringLiteral("・リスト最大表示数(&M)"), this);
    lblMax->setBuddy(udLVMax);
    auto* lblRange = new QLabel(QStringLiteral("( 1 ～ 30000 )"), this);

    btnDefault = new QPushButton(QStringLiteral("初期値"), this);
    btnDefault->setObjectName(QStringLiteral("btnDefault"));
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnHLP = new QPushButton(QStringLiteral("？"), this);
    btnHLP->setObjectName(QStringLiteral("btnHLP"));
    btnHLP->setAccessibleName(QStringLiteral("ヘルプ"));
    QFont bold = btnHLP->font();
    bold.setBold(true);
    btnHLP->setFont(bold);
    btnHLP->setFixedWidth(
        std::max(btnHLP->sizeHint().height() + 8, btnHLP->fontMetrics().horizontalAdvance(btnHLP->text()) + 16));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(4);
    for (QCheckBox* c : {cbLVVisible, cbLVSysVisible, cbLVHiddenVisible, cbLVReadonlyVisible, cbFocus, cbColSize})
        layout->addWidget(c);
    auto* maxRow = new QHBoxLayout;
    maxRow->addWidget(lblMax);
    maxRow->addWidget(udLVMax);
    maxRow->addWidget(lblRange);
    maxRow->addStretch(1);
    layout->addSpacing(4);
    layout->addLayout(maxRow);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnDefault);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnHLP);
    layout->addLayout(buttons);

    QWidget* order[] = {cbLVVisible,
                        cbLVSysVisible,
                        cbLVHiddenVisible,
                        cbLVReadonlyVisible,
                        cbFocus,
                        cbColSize,
                        udLVMax,
                        btnDefault,
                        btnOk,
                        btnCancel,
                        btnHLP};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(edtLVMax, &QLineEdit::textChanged, this, &TFrmSetup::edtLVMaxChange);
    connect(btnDefault, &QPushButton::clicked, this, &TFrmSetup::btnDefaultClick);
    connect(btnOk, &QPushButton::clicked, this, &TFrmSetup::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFrmSetup::reject);
    connect(btnHLP, &QPushButton::clicked, this, &TFrmSetup::btnHLPClick);

    // The designed size, or what the texts need with a larger font; the dialog does not resize.
    setFixedSize(sizeHint().expandedTo(kDesignedSize));
}

void TFrmSetup::FrmSetupCreate() {
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->geometry();
        move(g.x() + (g.width() - width()) / 2, g.y() + (g.height() - height()) / 2);
    }
    FrmSetupActivate();
}

void TFrmSetup::FrmSetupActivate() {
    DisplaySettings s;
    try {
        s = loadDisplaySettings(IniFile(m_fs, settingsFilePath(m_fs)));
    } catch (const std::exception&) {
        // An unreadable settings file shows the defaults.
    }
    cbLVVisible->setChecked(s.LVIconVisible);
    cbLVSysVisible->setChecked(s.LVSysVisible);
    cbLVHiddenVisible->setChecked(s.LVHiddenVisible);
    cbLVReadonlyVisible->setChecked(s.LVReadonlyVisible);
    cbFocus->setChecked(s.Focus);
    cbColSize->setChecked(s.ColSize);
    edtLVMax->setText(QString::number(s.LVIconMax));
}

void TFrmSetup::btnDefaultClick() {
    const DisplaySettings d;
    cbLVVisible->setChecked(d.LVIconVisible);
    cbLVSysVisible->setChecked(d.LVSysVisible);
    cbLVHiddenVisible->setChecked(d.LVHiddenVisible);
    cbLVReadonlyVisible->setChecked(d.LVReadonlyVisible);
    cbFocus->setChecked(d.Focus);
    cbColSize->setChecked(d.ColSize);
    edtLVMax->setText(QString::number(d.LVIconMax));
}

void TFrmSetup::btnOkClick() {
    // A limit below 1 would make every search list nothing, so such a value becomes the least one.
    int max = 0;
    if (!wholeNumber(edtLVMax->text(), max) || max < kLVMaxMin) {
        max = kLVMaxMin;
        edtLVMax->setText(QString::number(max));
    }
    DisplaySettings s;
    s.LVIconVisible = cbLVVisible->isChecked();
    s.LVSysVisible = cbLVSysVisible->isChecked();
    s.LVHiddenVisible = cbLVHiddenVisible->isChecked();
    s.LVReadonlyVisible = cbLVReadonlyVisible->isChecked();
    s.Focus = cbFocus->isChecked();
    s.ColSize = cbColSize->isChecked();
    s.LVIconMax = max;
    try {
        IniFile ini(m_fs, settingsFilePath(m_fs));
        saveDisplaySettings(ini, s);
    } catch (const std::exception& e) {
        // The choices stay in the dialog, to be tried again or cancelled.
        BeepMessageDlg(QString::fromUtf8(e.what()), MsgType::Error, MsgButtons::Ok);
        return;
    }
    accept();
}

void TFrmSetup::reject() {
    FrmSetupActivate();
    QDialog::reject();
}

void TFrmSetup::btnHLPClick() {
    openManual(manualContext(13));
}

void TFrmSetup::edtLVMaxChange() {
    const QString text = edtLVMax->text();
    if (text.isEmpty()) {
        edtLVMax->setText(QStringLiteral("1")); // checked again as its own change
        return;
    }
    const std::string t = text.toStdString();
    if (FixNumberText(t) != t) {
        BeepMessageDlg(QStringLiteral("数字しか入力できません。"), MsgType::Information, MsgButtons::Ok);
        edtLVMax->setText(QString::fromStdString(FixNumberText(edtLVMax->text().toStdString())));
        return;
    }
    int value = 0;
    if (wholeNumber(text, value) && value > kLVMaxMax)
        edtLVMax->setText(QString::number(kLVMaxMax));
}

void TFrmSetup::showEvent(QShowEvent* event) {
    FrmSetupActivate();
    QDialog::showEvent(event);
}

} // namespace rinoza
