// Screen-reader names: a label's buddy takes its caption without the access key, a drop-down list
// without a buddy gets the label named after it, and inner text fields speak with their box's name.

#include "common/ui/AccessibleNames.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

using namespace rinoza;

class AccessibleNamesTest : public QObject {
    Q_OBJECT

private slots:
    void namesComeFromLabelsAndTheTable() {
        QWidget root;
        auto* label = new QLabel(QStringLiteral("探す場所(&L)"), &root);
        auto* folder = new QComboBox(&root);
        folder->setEditable(true);
        label->setBuddy(folder);
        auto* unit = new QLabel(QStringLiteral("年"), &root);
        unit->setObjectName(QStringLiteral("lblCrtY"));
        auto* year = new QComboBox(&root);
        year->setObjectName(QStringLiteral("cbCrtY"));
        auto* spin = new QSpinBox(&root);
        spin->setObjectName(QStringLiteral("udRenAdd"));
        auto* named = new QLineEdit(&root);
        named->setObjectName(QStringLiteral("edtKotei1"));
        named->setAccessibleName(QStringLiteral("own name"));

        applyAccessibleNames(&root);

        QCOMPARE(folder->accessibleName(), QStringLiteral("探す場所"));
        QCOMPARE(folder->lineEdit()->accessibleName(), QStringLiteral("探す場所"));
        // The popup list is made when it first opens, and named then.
        folder->showPopup();
        QCOMPARE(folder->view()->accessibleName(), QStringLiteral("探す場所"));
        folder->hidePopup();
        QCOMPARE(unit->buddy(), static_cast<QWidget*>(year));
        QCOMPARE(unit->accessibleName(), QStringLiteral("作成日時 年"));
        QCOMPARE(year->accessibleName(), QStringLiteral("作成日時 年"));
        QCOMPARE(spin->accessibleName(), QStringLiteral("連番 増分"));
        QCOMPARE(spin->findChild<QLineEdit*>()->accessibleName(), QStringLiteral("連番 増分"));
        QCOMPARE(named->accessibleName(), QStringLiteral("own name"));
        QCOMPARE(unit->text(), QStringLiteral("年"));
    }
};

QTEST_MAIN(AccessibleNamesTest)
#include "AccessibleNamesTest.moc"
