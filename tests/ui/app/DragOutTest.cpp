// Dragging the selected rows out of the list: when a drag starts, what it offers, what the status bar
// says meanwhile, and what a move leaves in the list. The drag itself is scripted, as a target would
// answer it.

#include "app/TFrmMain.h"
#include "filelist/ui/FileDragSource.h"
#include "filelist/ui/FileListController.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace rinoza;
using test::q;
using Outcome = FileDragSource::Outcome;

class DragOutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_work;
    std::unique_ptr<test::ScriptedPrompts> m_prompts;
    std::unique_ptr<TFrmMain> m_w;
    int m_drags = 0;
    int m_selectedAtDrag = 0;

    FileDragSource& source() { return *m_w->fileListController()->dragSource(); }

    // Lists the files (created in the work folder) through the command line and selects them all.
    void listAndSelect(const std::vector<std::string>& rel) {
        std::vector<std::string> paths;
        for (const std::string& r : rel) {
            test::writeFile(*m_work / r, r);
            paths.push_back(*m_work / r);
        }
        m_w = std::make_unique<TFrmMain>(systemFileSystem(), paths);
        QVERIFY(test::showExposed(*m_w));
        m_w->lvFile->selectAll();
        source().setRunner([this](QDrag&) {
            ++m_drags;
            m_selectedAtDrag = int(m_w->lvFile->selectionModel()->selectedRows().size());
            return Qt::IgnoreAction;
        });
    }

    // A press on the first row, then a move by (dx, dy) with these buttons and keys.
    void pressAndMove(int dx, int dy, Qt::MouseButtons buttons = Qt::LeftButton, Qt::KeyboardModifiers mods = {}) {
        QWidget* vp = m_w->lvFile->viewport();
        const QPoint at = m_w->lvFile->visualRect(m_w->fileList->index(0, 0)).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, mods);
        QCoreApplication::sendEvent(vp, &press);
        const QPoint to = at + QPoint(dx, dy);
        QMouseEvent move(QEvent::MouseMove, to, vp->mapToGlobal(to), Qt::NoButton, buttons, mods);
        QCoreApplication::sendEvent(vp, &move);
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<test::TempDir>();
        m_prompts = std::make_unique<test::ScriptedPrompts>();
        m_drags = 0;
    }
    void cleanup() {
        m_w.reset();
        m_prompts.reset();
    }

    void theStartNeedsTenPixelsAndOneButtonAlone() {
        const QPoint s(50, 50);
        struct Case {
            QPoint pos;
            Qt::MouseButtons buttons;
            Qt::KeyboardModifiers mods;
            bool starts;
        };
        const Case cases[] = {{{59, 59}, Qt::LeftButton, {}, false},
                              {{60, 50}, Qt::LeftButton, {}, true},
                              {{50, 40}, Qt::LeftButton, {}, true},
                              {{41, 41}, Qt::LeftButton, {}, false},
                              {{60, 50}, Qt::RightButton, {}, true},
                              {{60, 50}, Qt::LeftButton | Qt::RightButton, {}, false},
                              {{60, 50}, Qt::MiddleButton, {}, false},
                              {{60, 50}, Qt::LeftButton, Qt::ControlModifier, false},
                              {{60, 50}, Qt::LeftButton, Qt::ShiftModifier, false},
                              {{60, 50}, Qt::RightButton, Qt::AltModifier, false}};
        for (const Case& c : cases)
            QCOMPARE(FileDragSource::dragStarts(s, c.pos, c.buttons, c.mods), c.starts);
        QVERIFY(!FileDragSource::dragStarts(QPoint(-1, -1), QPoint(60, 60), Qt::LeftButton, {}));
    }

    // A press on one of the selected rows keeps the others for the drag.
    void nineMovedPixelsStartNoDragAndTenDo() {
        listAndSelect({"a", "b"});
        pressAndMove(9, 9);
        QCOMPARE(m_drags, 0);
        pressAndMove(0, 10);
        QCOMPARE(m_drags, 1);
        QCOMPARE(m_selectedAtDrag, 2);
        pressAndMove(10, 0, Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(m_drags, 1);
    }

    // The right button drags too: its menu waits for the release and does not come after a drag.
    void theRightButtonsMenuComesOnReleaseUnlessItDragged() {
        listAndSelect({"a"});
        QWidget* vp = m_w->lvFile->viewport();
        const QPoint at = m_w->lvFile->visualRect(m_w->fileList->index(0, 0)).center();
        for (bool drag : {true, false}) {
            QTest::mousePress(vp, Qt::RightButton, {}, at);
            QContextMenuEvent menu(QContextMenuEvent::Mouse, at, vp->mapToGlobal(at));
            QCoreApplication::sendEvent(vp, &menu);
            QVERIFY(!m_w->pmList->isVisible());
            const QPoint to = at + QPoint(0, 10);
            QMouseEvent move(QEvent::MouseMove, to, vp->mapToGlobal(to), Qt::NoButton, Qt::RightButton, {});
            if (drag)
                QCoreApplication::sendEvent(vp, &move);
            QTest::mouseRelease(vp, Qt::RightButton, {}, at);
            QCOMPARE(m_w->pmList->isVisible(), !drag);
        }
        QCOMPARE(m_drags, 1);
        m_w->pmList->hide();
    }

    void theDataNamesRowsOfSeveralFolders() {
        listAndSelect({"one/a b", "two/\x82\xa0"});
        QByteArray uris, gnome;
        source().setRunner([&](QDrag& d) {
            uris = d.mimeData()->data(QStringLiteral("text/uri-list"));
            gnome = d.mimeData()->data(QStringLiteral("x-special/gnome-copied-files"));
            return Qt::CopyAction;
        });
        QCOMPARE(source().RunDrag(), Outcome::CopyDrop);
        const std::string base = "file://" + m_work->path();
        QCOMPARE(uris, QByteArray::fromStdString(base + "/one/a%20b\r\n" + base + "/two/%82%A0\r\n"));
        QCOMPARE(gnome, QByteArray::fromStdString("copy\n" + base + "/one/a%20b\n" + base + "/two/%82%A0"));
    }

    void theStatusBarNamesTheActionAndTheWindowRefusesItsOwnFiles() {
        listAndSelect({"a"});
        QStatusBar* bar = m_w->stbMain;
        QStringList seen;
        bool grip = true, refused = false;
        source().setRunner([&](QDrag& d) {
            grip = bar->isSizeGripEnabled();
            seen << bar->currentMessage();
            for (Qt::DropAction a : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction, Qt::IgnoreAction}) {
                emit d.actionChanged(a);
                seen << bar->currentMessage();
            }
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, d.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(m_w.get(), &enter);
            refused = !enter.isAccepted();
            return Qt::IgnoreAction;
        });
        QCOMPARE(source().RunDrag(), Outcome::Cancelled);
        QCOMPARE(seen,
                 (QStringList{q("ドロップ不可"), q("コピー"), q("移動"), q("ショートカット作成"), q("ドロップ不可")}));
        QVERIFY(!grip);
        QVERIFY(refused);
        QVERIFY(bar->isSizeGripEnabled());
        QVERIFY(bar->currentMessage().isEmpty());
        QCOMPARE(m_w->fileList->rowCount(), 1);
    }

    void aMoveTakesOutOnlyTheRowsOfVanishedFiles() {
        listAndSelect({"a", "b", "c", "d"});
        m_w->lvFile->selectionModel()->select(m_w->fileList->index(3, 0),
                                              QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        test::makeDirs(*m_work / "to");
        source().setRunner([&](QDrag&) {
            // The target moved a and c, left b alone; d was not dragged but went too.
            for (const char* n : {"a", "c", "d"})
                std::rename((*m_work / n).c_str(), (*m_work / ("to/" + std::string(n))).c_str());
            return Qt::MoveAction;
        });
        QCOMPARE(source().RunDrag(), Outcome::MoveDrop);
        QCOMPARE(m_w->fileList->rowCount(), 2);
        QCOMPARE(m_w->fileList->row(0).name, std::string("b"));
        QCOMPARE(m_w->fileList->row(1).name, std::string("d"));
        QCOMPARE(m_w->statusText(), q("2 個のファイルがリストアップされています。"));

        source().setRunner([](QDrag&) { return Qt::CopyAction; });
        std::rename((*m_work / "b").c_str(), (*m_work / "to/b").c_str());
        QCOMPARE(source().RunDrag(), Outcome::CopyDrop);
        QCOMPARE(m_w->fileList->rowCount(), 2);
    }

    // A file manager moves the files a moment after the drag returned, some after asking the user
    // (the drag then reports a copy); the rows go as the files go, a cancelled drag watches nothing.
    void rowsGoAsTheTargetMovesTheFilesAfterTheDrag_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("move") << int(Qt::MoveAction) << 1;
        QTest::newRow("copy, then moved from the target's menu") << int(Qt::CopyAction) << 1;
        QTest::newRow("cancelled") << int(Qt::IgnoreAction) << 3;
    }
    void rowsGoAsTheTargetMovesTheFilesAfterTheDrag() {
        QFETCH(int, answer);
        QFETCH(int, rowsLeft);
        listAndSelect({"a", "b", "c"});
        m_w->lvFile->selectionModel()->select(m_w->fileList->index(2, 0),
                                              QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        test::makeDirs(*m_work / "to");
        bool ownedByTheView = false;
        source().setRunner([&](QDrag& d) {
            ownedByTheView = d.parent() == m_w->lvFile; // lives on after exec() for the target to read
            for (int i : {0, 1})
                QTimer::singleShot(200 + 300 * i, [this, i] {
                    const std::string n(1, char('a' + i));
                    std::rename((*m_work / n).c_str(), (*m_work / ("to/" + n)).c_str());
                });
            return Qt::DropAction(answer);
        });
        source().RunDrag();
        QVERIFY(ownedByTheView);
        QCOMPARE(m_w->fileList->rowCount(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(m_w->fileList->rowCount(), rowsLeft, 10000);
        QTest::qWait(rowsLeft == 3 ? 1000 : 0);
        QCOMPARE(m_w->fileList->rowCount(), rowsLeft);
        if (rowsLeft == 1)
            QCOMPARE(m_w->statusText(), q("1 個のファイルがリストアップされています。"));
    }
};

QTEST_MAIN(DragOutTest)
#include "DragOutTest.moc"
