#include "stamps/ui/TimeTab.h"

#include "common/ui/ComboUtil.h"
#include "platform/DateTime.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rinoza {

namespace {

// Suffix of each field's name, the label after it, and its entries.
struct FieldKind {
    const char* suffix;
    const char* unit;
    const char* placeholder;
    int first;
    int last;
};
constexpr FieldKind kFields[5] = {
    {"Y", "年", "----", 1980, 2100}, {"M", "月", "--", 1, 12}, {"D", "日", "--", 1, 31},
    {"H", "時", "--", 0, 23},        {"N", "分", "--", 0, 59},
};

void fillList(QComboBox* combo, const FieldKind& kind, const QString& selected) {
    combo->clear();
    QStringList entries;
    entries.reserve(kind.last - kind.first + 2);
    entries << QString::fromUtf8(kind.placeholder);
    for (int v = kind.first; v <= kind.last; ++v)
        entries << QString::number(v);
    combo->addItems(entries);
    SelectComboItem(combo, selected);
}

DateFieldTexts textsOf(const std::array<QComboBox*, 5>& fields) {
    DateFieldTexts t;
    for (std::size_t i = 0; i < fields.size(); ++i)
        t[i] = fields[i]->currentText();
    return t;
}

} // namespace

TimeTab::TimeTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tbsTime"));
    gbTime = new QGroupBox(QStringLiteral("<タイムスタンプ>"), this);
    gbTime->setObjectName(QStringLiteral("gbTime"));

    QGroupBox* crt = buildBlock(QStringLiteral("Crt"), cbCrt, QStringLiteral("作成日時を変更する(&C)"), btnCrtD,
                                QStringLiteral("作成日付"), 1, btnCrtT, QStringLiteral("作成時間"), 2, crtFields);
    QGroupBox* upd = buildBlock(QStringLiteral("Upd"), cbUpd, QStringLiteral("更新日時を変更する(&U)"), btnUpdD,
                                QStringLiteral("更新日付"), 3, btnUpdT, QStringLiteral("更新時間"), 4, updFields);
    auto* inner = new QVBoxLayout(gbTime);
    inner->setContentsMargins(8, 4, 8, 4);
    inner->addWidget(crt);
    inner->addWidget(upd);
    inner->addStretch(1);

    btnDateTimeChg = new QPushButton(QStringLiteral("変更開始(&I) ..."), this);
    btnDateTimeChg->setObjectName(QStringLiteral("btnDateTimeChg"));
    btnDateTimeChg->setDefault(true);
    btnDateTimeChg->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnDateTimeChg);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(gbTime, 1);
    layout->addLayout(buttons);

    connect(cbCrt, &QCheckBox::toggled, this, &TimeTab::cbCrtUpdClick);
    connect(cbUpd, &QCheckBox::toggled, this, &TimeTab::cbCrtUpdClick);
    for (QPushButton* b : {btnCrtD, btnCrtT, btnUpdD, btnUpdT})
        connect(b, &QPushButton::clicked, this, &TimeTab::btnTimeClick);
    cbCrtUpdClick();
}

QGroupBox* TimeTab::buildBlock(const QString& prefix, QCheckBox*& check, const QString& checkText,
                               QPushButton*& dateBtn, const QString& dateText, int dateTag, QPushButton*& timeBtn,
                               const QString& timeText, int timeTag, std::array<QComboBox*, 5>& fields) {
    // A frameless box only to keep each block's controls together.
    auto* box = new QGroupBox(gbTime);
    box->setFlat(true);
    box->setStyleSheet(QStringLiteral("QGroupBox { border: none; }"));

    check = new QCheckBox(checkText, box);
    check->setObjectName(QStringLiteral("cb") + prefix);
    dateBtn = new QPushButton(dateText, box);
    dateBtn->setObjectName(QStringLiteral("btn") + prefix + QStringLiteral("D"));
    dateBtn->setProperty("tag", dateTag);
    timeBtn = new QPushButton(timeText, box);
    timeBtn->setObjectName(QStringLiteral("btn") + prefix + QStringLiteral("T"));
    timeBtn->setProperty("tag", timeTag);

    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(4);
    grid->addWidget(check, 0, 0, 1, 7);
    grid->addWidget(dateBtn, 1, 0);
    grid->addWidget(timeBtn, 2, 0);
    for (int i = 0; i < 5; ++i) {
        const FieldKind& k = kFields[i];
        auto* combo = new QComboBox(box);
        combo->setObjectName(QStringLiteral("cb") + prefix + QLatin1String(k.suffix));
        combo->setEditable(false);
        combo->setMaxVisibleItems(10);
        auto* unit = new QLabel(QString::fromUtf8(k.unit), box);
        unit->setObjectName(QStringLiteral("lbl") + prefix + QLatin1String(k.suffix));
        const int row = i < 3 ? 1 : 2;
        const int col = i < 3 ? 1 + 2 * i : 1 + 2 * (i - 3);
        grid->addWidget(combo, row, col);
        grid->addWidget(unit, row, col + 1);
        fields[static_cast<std::size_t>(i)] = combo;
    }
    grid->setColumnStretch(7, 1);
    return box;
}

void TimeTab::fillDateLists(const DateFieldTexts& crt, const DateFieldTexts& upd) {
    for (std::size_t i = 0; i < 5; ++i) {
        fillList(crtFields[i], kFields[i], crt[i]);
        fillList(updFields[i], kFields[i], upd[i]);
    }
}

namespace {

// The texts of the five date fields of a time, without leading zeros.
DateFieldTexts textsOfTime(const LocalDateTime& t) {
    return {QString::number(t.year), QString::number(t.month), QString::number(t.day), QString::number(t.hour),
            QString::number(t.minute)};
}

const char* const kFieldKeys[5] = {"Y", "M", "D", "H", "N"};

} // namespace

void TimeTab::restoreState(const IniFile& ini, const LocalDateTime& now) {
    const DateFieldTexts nowTexts = textsOfTime(now);
    std::array<DateFieldTexts, 2> held;
    const char* const blocks[2] = {"Crt", "Upd"};
    QCheckBox* const checks[2] = {cbCrt, cbUpd};
    for (std::size_t b = 0; b < 2; ++b) {
        checks[b]->setChecked(ini.ReadBool("Time", blocks[b], true));
        for (std::size_t i = 0; i < 5; ++i) {
            const std::string text =
                ini.ReadString("Time", std::string(blocks[b]) + kFieldKeys[i], nowTexts[i].toStdString());
            held[b][i] = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
    }
    m_held = held;
}

void TimeTab::fillDateLists(const LocalDateTime& now) {
    const std::array<DateFieldTexts, 2> texts = m_held.value_or(std::array{textsOfTime(now), textsOfTime(now)});
    fillDateLists(texts[0], texts[1]);
    m_held.reset();
}

void TimeTab::saveState(IniFile& ini) const {
    const char* const blocks[2] = {"Crt", "Upd"};
    const QCheckBox* const checks[2] = {cbCrt, cbUpd};
    const DateFieldTexts texts[2] = {crtTexts(), updTexts()};
    for (std::size_t b = 0; b < 2; ++b) {
        ini.WriteBool("Time", blocks[b], checks[b]->isChecked());
        for (std::size_t i = 0; i < 5; ++i)
            ini.WriteString("Time", std::string(blocks[b]) + kFieldKeys[i], texts[b][i].toUtf8().toStdString());
    }
}

DateFieldTexts TimeTab::crtTexts() const { return textsOf(crtFields); }
DateFieldTexts TimeTab::updTexts() const { return textsOf(updFields); }

TimeChange TimeTab::timeChange() const {
    auto fields = [](const std::array<QComboBox*, 5>& f) {
        const DateFieldTexts t = textsOf(f);
        const std::string y = t[0].toStdString(), m = t[1].toStdString(), d = t[2].toStdString(),
                          h = t[3].toStdString(), n = t[4].toStdString();
        // Every entry is a placeholder or a number, so the texts always read.
        return ParseDateTimeFields(y, m, d, h, n).value_or(DateTimeFields{});
    };
    TimeChange c;
    c.changeCreation = cbCrt->isChecked();
    c.changeUpdate = cbUpd->isChecked();
    c.creation = fields(crtFields);
    c.update = fields(updFields);
    return c;
}

void TimeTab::cbCrtUpdClick() {
    const bool crt = cbCrt->isChecked();
    const bool upd = cbUpd->isChecked();
    btnCrtD->setEnabled(crt);
    btnCrtT->setEnabled(crt);
    for (QComboBox* f : crtFields)
        f->setEnabled(crt);
    btnUpdD->setEnabled(upd);
    btnUpdT->setEnabled(upd);
    for (QComboBox* f : updFields)
        f->setEnabled(upd);
    btnDateTimeChg->setEnabled(crt || upd);
}

void TimeTab::btnTimeClick() {
    if (QObject* s = sender())
        putNow(s->property("tag").toInt());
    if (QWidget* f = QApplication::focusWidget(); f && f->window() == window())
        f->clearFocus();
}

void TimeTab::putNow(int tag) {
    static const SystemClock systemClock;
    const LocalDateTime now = (m_clock ? *m_clock : static_cast<const Clock&>(systemClock)).now();
    const std::array<QComboBox*, 5>& f = tag <= 2 ? crtFields : updFields;
    if (tag == 1 || tag == 3) {
        SelectComboItem(f[0], QString::number(now.year));
        SelectComboItem(f[1], QString::number(now.month));
        SelectComboItem(f[2], QString::number(now.day));
    } else if (tag == 2 || tag == 4) {
        SelectComboItem(f[3], QString::number(now.hour));
        SelectComboItem(f[4], QString::number(now.minute));
    }
}

} // namespace rinoza
