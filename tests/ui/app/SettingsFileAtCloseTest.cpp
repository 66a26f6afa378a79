// The settings file a close writes, byte for byte: every tab saves its own keys, and together they
// must give exactly the file the program has always written for the same state.

#include "app/TFrmMain.h"
#include "common/ui/PathComboBox.h"
#include "filelist/ui/SearchTab.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/NumberSpinBox.h"
#include "rename/ui/RenameTab.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/TimeTab.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTest>

using namespace rinoza;
using test::q;

class SettingsFileAtCloseTest : public QObject {
    Q_OBJECT
private slots:
    void closeWritesTheKnownFile() {
        test::TempDir home;
        qputenv("RINOZA_HOME", QByteArray::fromStdString(home.path()));
        qputenv("HOME", "/home/rinoza"); // the first start's search folder; it need not exist
        const std::string ini = home.path() + "/rinoza.ini";
        // Column widths are kept, a preset was saved, and a section of the confirmation dialog stays.
        test::writeFile(ini, "[Window]\r\nColSize=1\r\n[SettingBack2]\r\nIn=1\r\n[ChangeDialog]\r\nType=1\r\n");

        const FixedClock clock(LocalDateTime{2026, 12, 6, 13, 45, 9, 0});
        {
            TFrmMain w(systemFileSystem(), {}, &clock);
            QVERIFY(test::showExposed(w));
            w.resize(640, 560);
            w.move(20, 30);
            w.tbsFnd->cmbFndName->addItem(QStringLiteral("*.jpg"));
            w.tbsFnd->cmbFndName->addItem(QStringLiteral("IMG_????.*"));
            w.tbsFnd->cmbFnd->addPath("/srv/\x93\xfa\x96\x7b"); // a folder whose name is CP932 bytes
            w.lvFile->setColumnWidth(0, 150);
            w.lvFile->setColumnWidth(8, 90);

            RenameTab* r = w.tbsSet;
            r->MoveElement(7, 1);
            r->lvChg->item(3)->setCheckState(Qt::Checked);
            r->edtKotei1->setText(q("旅行_"));
            r->udMotoFS->setValue(3);
            r->udMotoFE->setValue(12);
            r->cbRenKeta->setCurrentIndex(3);
            r->udRenStart->setValue(11);
            r->udRenAdd->setValue(2);
            r->cbDateTime->setCurrentIndex(4);
            r->edtDateK->setText(QStringLiteral("-"));
            r->cbCase->setCurrentIndex(1);
            r->edtReiBefore->setText(QStringLiteral("IMG_0001.JPG"));
            r->edtChgB->setText(QStringLiteral("IMG"));
            r->edtChgA->setText(QStringLiteral("P"));

            w.tbsTime->cbCrt->setChecked(false);
            w.tbsTime->crtFields[0]->setCurrentIndex(0);
            w.tbsTime->updFields[3]->setCurrentIndex(10);
            w.tbsAttr->cbAttrHS->setChecked(true);
            w.tbsAttr->cbAttrH->setChecked(false);
            QVERIFY(w.close());
        }
        const std::string expected = test::readFile(std::string(qgetenv("RINOZA_TEST_SOURCE_DIR").constData()) +
                                                    "/ui/app/data/closed-settings.ini");
        QCOMPARE(q(test::readFile(ini)), q(expected));
        QVERIFY(test::readFile(ini) == expected);
    }
};

QTEST_MAIN(SettingsFileAtCloseTest)
#include "SettingsFileAtCloseTest.moc"
