#include "stamps/ui/AttrTab.h"

#include "settings/IniFile.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace rinoza {

AttrTab::AttrTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("tbsAttr"));
    gbAttr = new QGroupBox(QStringLiteral("<属性>"), this);
    gbAttr->setObjectName(QStringLiteral("gbAttr"));

    auto make = [this](const QString& name, const QString& text) {
        auto* c = new QCheckBox(text, gbAttr);
        c->setObjectName(name);
        return c;
    };
    cbAttrRS = make(QStringLiteral("cbAttrRS"), QStringLiteral("読み取り専用 属性を変更する"));
    cbAttrR = make(QStringLiteral("cbAttrR"), QStringLiteral("読み取り専用(&R)"));
    cbAttrAS = make(QStringLiteral("cbAttrAS"), QStringLiteral("アーカイブ 属性を変更する"));
    cbAttrA = make(QStringLiteral("cbAttrA"), QStringLiteral("アーカイブ(&A)"));
    cbAttrHS = make(QStringLiteral("cbAttrHS"), QStringLiteral("隠しファイル 属性を変更する"));
    cbAttrH = make(QStringLiteral("cbAttrH"), QStringLiteral("隠しファイル(&H)"));
    cbAttrSS = make(QStringLiteral("cbAttrSS"), QStringLiteral("システムファイル 属性を変更する"));
    cbAttrS = make(QStringLiteral("cbAttrS"), QStringLiteral("システムファイル(&S)"));

    auto* grid = new QGridLayout(gbAttr);
    grid->setContentsMargins(12, 8, 12, 8);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(10);
    QCheckBox* const rows[4][2] = {{cbAttrRS, cbAttrR}, {cbAttrAS, cbAttrA}, {cbAttrHS, cbAttrH}, {cbAttrSS, cbAttrS}};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(rows[i][0], i, 0);
        grid->addWidget(rows[i][1], i, 1);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);

    btnAttrChg = new QPushButton(QStringLiteral("変更開始(&I) ..."), this);
    btnAttrChg->setObjectName(QStringLiteral("btnAttrChg"));
    btnAttrChg->setDefault(true);
    btnAttrChg->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnAttrChg);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(gbAttr, 1);
    layout->addLayout(buttons);

    for (QCheckBox* c : {cbAttrRS, cbAttrAS, cbAttrHS, cbAttrSS})
        connect(c, &QCheckBox::toggled, this, &AttrTab::cbAttrClick);
    cbAttrClick();
}

AttrChange AttrTab::attrChange() const {
    AttrChange c;
    const std::pair<QCheckBox*, QCheckBox*> boxes[] = {
        {cbAttrRS, cbAttrR}, {cbAttrAS, cbAttrA}, {cbAttrHS, cbAttrH}, {cbAttrSS, cbAttrS}};
    const uint32_t bits[] = {AttrReadOnly, AttrArchive, AttrHidden, AttrSystem};
    for (std::size_t i = 0; i < 4; ++i) {
        if (!boxes[i].first->isChecked())
            continue;
        c.change |= bits[i];
        if (boxes[i].second->isChecked())
            c.set |= bits[i];
    }
    return c;
}

void AttrTab::cbAttrClick() {
    bool any = false;
    for (auto [change, value] : {std::pair{cbAttrRS, cbAttrR}, std::pair{cbAttrAS, cbAttrA},
                                 std::pair{cbAttrHS, cbAttrH}, std::pair{cbAttrSS, cbAttrS}}) {
        value->setEnabled(change->isChecked());
        any = any || change->isChecked();
    }
    btnAttrChg->setEnabled(any);
}

namespace {

struct AttrKey {
    const char* key;
    bool def;
    QCheckBox* AttrTab::*box;
};
const AttrKey kAttrKeys[] = {{"RS", false, &AttrTab::cbAttrRS}, {"R", true, &AttrTab::cbAttrR},
                             {"AS", false, &AttrTab::cbAttrAS}, {"A", true, &AttrTab::cbAttrA},
                             {"HS", false, &AttrTab::cbAttrHS}, {"H", true, &AttrTab::cbAttrH},
                             {"SS", false, &AttrTab::cbAttrSS}, {"S", true, &AttrTab::cbAttrS}};

} // namespace

void AttrTab::restoreState(const IniFile& ini) {
    for (const AttrKey& k : kAttrKeys)
        (this->*k.box)->setChecked(ini.ReadBool("Attr", k.key, k.def));
}

void AttrTab::saveState(IniFile& ini) const {
    for (const AttrKey& k : kAttrKeys)
        ini.WriteBool("Attr", k.key, (this->*k.box)->isChecked());
}

} // namespace rinoza
