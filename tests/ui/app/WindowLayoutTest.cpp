// The main window on any screen: columns fitted to the font with the remarks column taking the rest,
// a stored geometry fitted into the screen, every control in sight at the least size, and the hint
// of the empty list.

#include "app/TFrmMain.h"
#include "app/WindowGeometry.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace rinoza;

class WindowLayoutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_work;
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

    std::string iniPath() const { return m_home->path() + "/rinoza.ini"; }

    std::unique_ptr<TFrmMain> openWithFiles() {
        test::writeFile(*m_work / "IMG_0001.JPG", "a");
        test::writeFile(*m_work / "note.txt", "b");
        return std::make_unique<TFrmMain>(
            systemFileSystem(), std::vector<std::string>{*m_work / "IMG_0001.JPG", *m_work / "note.txt"}, &m_clock);
    }

    static int rightEdge(const QTableView* v, int column) {
        return v->columnViewportPosition(column) + v->columnWidth(column);
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<test::TempDir>();
    }

    void remarksTakeTheRestAndDatesShowInFull_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1280x900") << QSize(1280, 900);
        QTest::newRow("1024x700") << QSize(1024, 700);
    }

    void remarksTakeTheRestAndDatesShowInFull() {
        QFETCH(QSize, size);
        auto w = openWithFiles();
        QVERIFY(test::showExposed(*w));
        w->resize(size);
        QApplication::processEvents();
        FileListView* v = w->lvFile;
        QCOMPARE(rightEdge(v, FileListModel::ColRemarks), v->viewport()->width());
        const QFontMetrics fm = v->fontMetrics();
        for (int c : {FileListModel::ColCreated, FileListModel::ColUpdated, FileListModel::ColAccessed,
                      FileListModel::ColSize, FileListModel::ColAttr}) {
            const QString text = w->fileList->data(w->fileList->index(0, c)).toString();
            QVERIFY2(v->columnWidth(c) >= fm.horizontalAdvance(text) + 4, qPrintable(text));
            QVERIFY(v->columnWidth(c) >= v->horizontalHeader()->sectionSizeHint(c));
        }
        // A narrower column leaves its width to the remarks.
        v->setColumnWidth(FileListModel::ColFolder, v->columnWidth(FileListModel::ColFolder) - 30);
        QCOMPARE(rightEdge(v, FileListModel::ColRemarks), v->viewport()->width());
    }

    // What the close writes in section ColSize: the designed width of a column the user left alone
    // (so that the file stays the same), the user's width of one resized.
    void storedColumnWidthsWinOnlyWhenTheUsersOwn_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("fitted"); // the column shows its fitted width
        QTest::addColumn<int>("written");
        const int designed = FileListModel::designedColumnWidth(FileListModel::ColCreated);
        QTest::newRow("none") << -9 << true << designed;
        QTest::newRow("the designed width") << designed << true << designed;
        QTest::newRow("the user's") << 240 << false << 240;
        QTest::newRow("hidden") << 0 << false << 0;
    }

    void storedColumnWidthsWinOnlyWhenTheUsersOwn() {
        QFETCH(int, stored);
        QFETCH(bool, fitted);
        QFETCH(int, written);
        const int c = FileListModel::ColCreated;
        test::writeFile(iniPath(), "[Window]\r\nColSize=1\r\n[ColSize]\r\n4=" + std::to_string(stored) + "\r\n");
        {
            auto w = openWithFiles();
            QVERIFY(test::showExposed(*w));
            QCOMPARE(w->lvFile->columnWidth(c), fitted ? w->lvFile->fittedColumnWidth(c) : stored);
            QVERIFY(w->close());
        }
        QCOMPARE(IniFile(systemFileSystem(), iniPath()).ReadInteger("ColSize", "4", -1), written);
    }

    void storedGeometryIsFittedIntoTheScreen_data() {
        QTest::addColumn<QRect>("stored"); // left, top, width, height
        QTest::newRow("above the screen") << QRect(40, -94, 640, 560);
        QTest::newRow("right of the screen") << QRect(5000, 30, 640, 560);
        QTest::newRow("below and left") << QRect(-700, 4000, 640, 560);
        QTest::newRow("larger than the screen") << QRect(0, 0, 4000, 3000);
        QTest::newRow("inside, left alone") << QRect(30, 40, 620, 560);
    }

    void storedGeometryIsFittedIntoTheScreen() {
        QFETCH(QRect, stored);
        test::writeFile(iniPath(), "[Window]\r\nLeft=" + std::to_string(stored.x()) + "\r\nTop=" +
                                       std::to_string(stored.y()) + "\r\nWidth=" + std::to_string(stored.width()) +
                                       "\r\nHeight=" + std::to_string(stored.height()) + "\r\n");
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        const QRect area = w.screen()->availableGeometry();
        QVERIFY2(area.contains(w.frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(w.x()).arg(w.y()).arg(w.width()).arg(w.height())));
        if (area.contains(stored))
            QCOMPARE(QRect(w.pos(), w.size()), stored);
    }

    // The frame's corner and the inside size, fitted: a pure rule, so each case is one row.
    void fitIntoAreaKeepsTheTitleBarInside_data() {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("expected");
        const QSize none(0, 0);
        // Area 0,30 1280x994 (a panel above); frame 2 on the sides and bottom, 20 for the title bar.
        QTest::newRow("fits") << QPoint(100, 100) << QSize(800, 600) << none << QRect(100, 100, 800, 600);
        QTest::newRow("above") << QPoint(100, -94) << QSize(800, 600) << none << QRect(100, 30, 800, 600);
        QTest::newRow("past the right") << QPoint(900, 100) << QSize(800, 600) << none << QRect(476, 100, 800, 600);
        QTest::newRow("past the bottom") << QPoint(0, 900) << QSize(800, 600) << none << QRect(0, 402, 800, 600);
        QTest::newRow("too large") << QPoint(-50, -50) << QSize(2000, 1500) << none << QRect(0, 30, 1276, 972);
        QTest::newRow("minimum larger than the area")
            << QPoint(300, 300) << QSize(800, 600) << QSize(1400, 1100) << QRect(0, 30, 1400, 1100);
    }

    void fitIntoAreaKeepsTheTitleBarInside() {
        QFETCH(QPoint, pos);
        QFETCH(QSize, size);
        QFETCH(QSize, minimum);
        QFETCH(QRect, expected);
        QCOMPARE(fitIntoArea(pos, size, QRect(0, 30, 1280, 994), minimum, QMargins(2, 20, 2, 2)), expected);
    }

    // At the least size every control of every tab is in sight, above the list.
    void leastSizeKeepsEveryControlInSight() {
        auto w = openWithFiles();
        QVERIFY(test::showExposed(*w));
        w->resize(w->minimumSize());
        QApplication::processEvents();
        QCOMPARE(w->size(), w->minimumSize());
        const int listTop = w->lvFile->mapTo(w.get(), QPoint(0, 0)).y();
        QVERIFY(w->lvFile->height() >= w->lvFile->horizontalHeader()->height());
        for (int tab = 0; tab < w->pgcMain->count(); ++tab) {
            w->pgcMain->setCurrentIndex(tab);
            QApplication::processEvents();
            QWidget* page = w->pgcMain->widget(tab);
            for (QWidget* c : page->findChildren<QWidget*>()) {
                if (!c->isVisible() || c->isWindow() || c->parentWidget()->inherits("QAbstractSpinBox") ||
                    c->parentWidget()->inherits("QComboBox") || c->inherits("QScrollBar"))
                    continue;
                const QRect r(c->mapTo(page, QPoint(0, 0)), c->size());
                QVERIFY2(page->rect().contains(r), qPrintable(c->objectName()));
                QVERIFY2(c->mapTo(w.get(), QPoint(0, c->height())).y() <= listTop, qPrintable(c->objectName()));
            }
        }
    }

    void emptyListShowsAHintUntilARowIsListed() {
        TFrmMain w(systemFileSystem(), {}, &m_clock);
        QVERIFY(test::showExposed(w));
        FileListView* v = w.lvFile;
        const auto paintsSomething = [v] {
            const QImage img = v->viewport()->grab().toImage();
            const QRgb base = img.pixel(1, 1);
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (img.pixel(x, y) != base)
                        return true;
            return false;
        };
        QVERIFY(paintsSomething());
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(v);
        QVERIFY(list);
        QCOMPARE(list->text(QAccessible::Description), FileListView::emptyHint());
        QVERIFY(list->tableInterface());
        QCOMPARE(list->tableInterface()->rowCount(), 0);

        test::writeFile(*m_work / "a.txt", "a");
        w.fileListController()->AddDroppedPath(*m_work / "a.txt");
        QCOMPARE(list->text(QAccessible::Description), QString());
        QCOMPARE(list->tableInterface()->rowCount(), 1);
        w.ClearFileList();
        QCOMPARE(list->text(QAccessible::Description), FileListView::emptyHint());
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"
