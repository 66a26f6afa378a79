// The result preview of photos named by their date taken: the EXIF date where a photo has one, the
// update time with a tooltip saying so where it has none, each photo read once for a later run.

#include "app/TFrmMain.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>
#include <memory>

using namespace rinoza;
using test::q;

namespace {

bool sh(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string dated(const LocalDateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d_%02d_%02d%02d_%02d_%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

} // namespace

class PhotoPreviewTest : public QObject {
    Q_OBJECT
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

private slots:
    void photosWithoutADateTakenSayTheUpdateTimeStoodIn() {
        if (!sh("command -v convert") || !sh("command -v exiftool"))
            QSKIP("ImageMagick's convert and ExifTool are needed");
        test::TempDir home, work;
        qputenv("RINOZA_HOME", QByteArray::fromStdString(home.path()));
        qputenv("HOME", QByteArray::fromStdString(home.path()));
        QVERIFY(sh("convert -size 8x8 xc:red '" + work / "taken.jpg" +
                   "' && exiftool -q -overwrite_original "
                   "-DateTimeOriginal='2021:05:04 10:11:13' '" +
                   work / "taken.jpg" + "'"));
        QVERIFY(sh("convert -size 8x8 xc:blue '" + work / "plain.jpg" + "'"));

        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {work / "taken.jpg", work / "plain.jpg"}, &m_clock);
        QVERIFY(test::showExposed(w));
        w.pgcMain->setCurrentWidget(w.tbsSet);
        RenameRuleSet r = RenameRuleSet::defaults();
        r.elements[7].checked = true;
        w.tbsSet->applyRuleSet(r);
        w.tbsSet->cbDateTime->setCurrentIndex(w.tbsSet->cbDateTime->findText(q("撮影日時")));
        w.activateWindow();
        w.tbsSet->edtReiBefore->setFocus();
        QApplication::processEvents();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);

        const std::string updated = dated(GetFileDate(systemFileSystem(), work / "plain.jpg", FileDateKind::Upd));
        const QString tip = q(kNoDateTakenTip);
        for (int i = 0; i < 2; ++i) {
            const FileListRow& row = w.fileList->row(i);
            const bool plain = row.name == "plain.jpg";
            const QModelIndex remarks = w.fileList->index(i, FileListModel::ColRemarks);
            QCOMPARE(remarks.data().toString(), q(row.name + (plain ? updated : "2021_05_0410_11_13")));
            QCOMPARE(remarks.data(Qt::ToolTipRole).toString(), plain ? tip : QString());
            QCOMPARE(remarks.data(Qt::AccessibleDescriptionRole).toString(), plain ? tip : QString());
            // Kept for the run that follows, so that it does not read the photo again.
            QVERIFY(w.photoDates().memoFor(row.stamp)->known);
        }
        QVERIFY(prompts.asked.empty());
    }
};

QTEST_MAIN(PhotoPreviewTest)
#include "PhotoPreviewTest.moc"
