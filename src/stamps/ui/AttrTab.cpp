#include "stamps/ui/AttrTab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

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
    QCheckBox* const rows[4][2] = {
        {cbAttrRS, cbAttrR}, {cbAttrAS, cbAttrA}, {cbAttrHS, cbAttrH}, {cbAttrSS, cbAttrS}};
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
}

// The attribute change is built on top of these controls; until then this handler does nothing.
void AttrTab::cbAttrClick() {}

} // namespace rinoza
