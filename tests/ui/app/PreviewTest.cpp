// The result preview as the user starts it (Ctrl+K from a field, the results button): built names
// in the remarks, in list order, the foretold failures marked in words, nothing on disk changed.

#include "app/TFrmMain.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "run/ui/LivePreview.h"
#include "support/TestSupport.h"
#include "support/ui/ChangeDialogAnswers.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace rinoza;
using test::q;

namespace {

// Counts the progress dialogs that are shown.
class ProgressShows : public QObject {
public:
    ProgressShows() { qApp->installEventFilter(this); }
    ~ProgressShows() override { qApp->removeEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && o->objectName() == QLatin1String("FrmRenameOn"))
            ++shown;
        return false;
    }
};

RenameRuleSet rule(std::initializer_list<int> ticked) {
    RenameRuleSet r = RenameRuleSet::defaults();
    for (auto& e : r.elements)
        e.checked = false;
    for (int n : ticked)
        r.elements[static_cast<std::size_t>(n - 1)].checked = true;
    return r;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> m_home;
    std::unique_ptr<test::TempDir> m_work;
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

    std::unique_ptr<TFrmMain> open(std::vector<std::string> names) {
        std::vector<std::string> paths;
        for (const auto& n : names) {
            test::writeFile(*m_work / n, n);
            paths.push_back(*m_work / n);
        }
        auto w = std::make_unique<TFrmMain>(systemFileSystem(), paths, &m_clock);
        if (!test::showExposed(*w))
            return nullptr;
        w->pgcMain->setCurrentWidget(w->tbsSet);
        w->activateWindow();
        return w;
    }

    // Ctrl+K pressed in the example field, as a user would.
    static void ctrlK(TFrmMain& w) {
        w.activateWindow(); // the progress dialog of an earlier preview had the focus
        w.tbsSet->edtReiBefore->setFocus();
        QApplication::processEvents();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    }

    static QStringList remarks(const TFrmMain& w) {
        QStringList r;
        for (int i = 0; i < w.fileList->rowCount(); ++i)
            r << w.fileList->index(i, FileListModel::ColRemarks).data().toString();
        return r;
    }

private slots:
    void init() {
        m_home = test::freshHome();
        m_work = std::make_unique<test::TempDir>();
    }

    void anEmptyListShowsNothing() {
        test::ScriptedPrompts prompts;
        ProgressShows shows;
        auto w = open({});
        QVERIFY(w);
        const QString status = w->statusText();
        ctrlK(*w);
        QCOMPARE(shows.shown, 0);
        QVERIFY(prompts.asked.empty());
        QCOMPARE(w->statusText(), status);
    }

    void serialNumbersFollowTheListOrderAndOverwriteEarlierRemarks() {
        test::ScriptedPrompts prompts;
        ProgressShows shows;
        auto w = open({"b.txt", "c.txt", "a.txt"});
        QVERIFY(w);
        w->fileList->setRemarks(0, "x:既に存在");
        RenameRuleSet r = rule({1, 4, 6});
        r.fixF1 = "n";
        w->tbsSet->applyRuleSet(r);
        const auto tree = test::snapshotTree(m_work->path());
        ctrlK(*w);
        QCOMPARE(shows.shown, 1);
        QCOMPARE(remarks(*w),
                 (QStringList{QStringLiteral("n001.txt"), QStringLiteral("n002.txt"), QStringLiteral("n003.txt")}));
        QCOMPARE(w->fileList->row(0).name, std::string("b.txt"));
        QCOMPARE(w->fileList->row(0).folder, m_work->path());
        QCOMPARE(test::snapshotTree(m_work->path()), tree);
        QCOMPARE(w->statusText(), QStringLiteral("変名できないファイルはありません。"));
        QVERIFY(w->isEnabled());

        QHeaderView* header = w->lvFile->horizontalHeader();
        const QPoint nameHeader(header->sectionViewportPosition(0) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
        QCOMPARE(w->fileList->row(0).name, std::string("a.txt"));
        QTest::mouseClick(w->tbsSet->btnAns, Qt::LeftButton);
        QCOMPARE(shows.shown, 2);
        QCOMPARE(remarks(*w),
                 (QStringList{QStringLiteral("n001.txt"), QStringLiteral("n002.txt"), QStringLiteral("n003.txt")}));
        QCOMPARE(w->fileList->row(2).name, std::string("c.txt"));
        QVERIFY(prompts.asked.empty());
    }

    void failuresAreForetoldInWordsAndClearedByARunOrANewPreview() {
        test::ScriptedPrompts prompts;
        auto w = open({"a.txt", "gone.txt", "c.txt", "D.TXT", "e.txt", "E.txt", "f.txt"});
        QVERIFY(w);
        test::writeFile(*m_work / "C.TXT", "not listed");
        test::makeDirs(*m_work / "F.TXT");
        test::removeTree(*m_work / "gone.txt");
        RenameRuleSet upper = RenameRuleSet::defaults();
        upper.caseMode = 1;
        w->tbsSet->applyRuleSet(upper);
        const auto tree = test::snapshotTree(m_work->path());
        ctrlK(*w);
        QCOMPARE(test::snapshotTree(m_work->path()), tree);

        const QStringList built{QStringLiteral("A.TXT"), QStringLiteral("GONE.TXT"), QStringLiteral("C.TXT"),
                                QStringLiteral("D.TXT"), QStringLiteral("E.TXT"),    QStringLiteral("E.TXT"),
                                QStringLiteral("F.TXT")};
        QCOMPARE(remarks(*w), built);
        const char* foretold[] = {"", "x:存在しない", "x:既に存在", "x:同一名", "", "x:既に存在", "x:Err"};
        for (int i = 0; i < 7; ++i) {
            const QModelIndex cell = w->fileList->index(i, FileListModel::ColRemarks);
            QCOMPARE(cell.data(Qt::ToolTipRole).toString(), q(foretold[i]));
            QCOMPARE(cell.data(Qt::AccessibleDescriptionRole).toString(), q(foretold[i]));
            QCOMPARE(cell.data(Qt::DecorationRole).value<QIcon>().isNull(), *foretold[i] == 0);
        }
        QCOMPARE(w->statusText(), QStringLiteral("5 個のファイルは変名できません。"));

        RenameRuleSet prefixed = RenameRuleSet::defaults();
        prefixed.elements[0].checked = true;
        prefixed.fixF1 = "p_";
        w->tbsSet->applyRuleSet(prefixed);
        ctrlK(*w);
        QCOMPARE(w->fileList->markedRowCount(), 1); // only the vanished file fails now
        QCOMPARE(w->fileList->row(1).mark, std::string("x:存在しない"));
        QCOMPARE(w->statusText(), QStringLiteral("1 個のファイルは変名できません。"));

        prompts.dialogAnswer(test::startWith(0));
        QTest::mouseClick(w->tbsSet->btnCnvStart, Qt::LeftButton);
        QCOMPARE(w->fileList->row(1).remarks, std::string("x:存在しない"));
        QCOMPARE(w->fileList->markedRowCount(), 0);
        QVERIFY(w->fileList->index(1, FileListModel::ColRemarks).data(Qt::ToolTipRole).isNull());
    }

    // Once a preview has shown every row, typing into fixed text 1 refreshes the remarks by itself,
    // the failures foretold included, until a run changes the list.
    void theRemarksFollowTheRuleAfterAPreview() {
        test::ScriptedPrompts prompts;
        auto w = open({"a.txt", "b.txt", "c.txt"});
        QVERIFY(w);
        RenameTab& t = *w->tbsSet;
        t.applyRuleSet(rule({1, 2, 6}));
        const auto type = [&](QWidget* field, const QString& text) {
            w->activateWindow();
            field->setFocus();
            QApplication::processEvents();
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        // Before any preview, edits leave the remarks alone.
        const QStringList untouched = remarks(*w);
        type(t.edtKotei1, QStringLiteral("z"));
        QTest::qWait(2 * LivePreview::kPauseMs);
        QCOMPARE(remarks(*w), untouched);

        ctrlK(*w);
        QCOMPARE(remarks(*w),
                 (QStringList{QStringLiteral("za.txt"), QStringLiteral("zb.txt"), QStringLiteral("zc.txt")}));
        const auto tree = test::snapshotTree(m_work->path());
        type(t.edtKotei1, QStringLiteral("_1"));
        QTRY_COMPARE(remarks(*w),
                     (QStringList{QStringLiteral("z_1a.txt"), QStringLiteral("z_1b.txt"), QStringLiteral("z_1c.txt")}));

        // Without the old name every row gets one name: the rows after the first are foretold to clash.
        t.lvChg->setFocus();
        QTest::keyClick(t.lvChg, Qt::Key_Home);
        QTest::keyClick(t.lvChg, Qt::Key_Down);
        QTest::keyClick(t.lvChg, Qt::Key_Space);
        QCOMPARE(t.lvChg->item(1)->checkState(), Qt::Unchecked);
        QTRY_COMPARE(w->fileList->markedRowCount(), 2);
        QCOMPARE(remarks(*w),
                 (QStringList{QStringLiteral("z_1.txt"), QStringLiteral("z_1.txt"), QStringLiteral("z_1.txt")}));
        QCOMPARE(w->statusText(), QStringLiteral("2 個のファイルは変名できません。"));
        QCOMPARE(test::snapshotTree(m_work->path()), tree);

        // A run changes the list: edits no longer touch the remarks.
        QTest::keyClick(t.lvChg, Qt::Key_Space);
        QTRY_COMPARE(w->fileList->markedRowCount(), 0);
        prompts.dialogAnswer(test::startWith(0));
        QTest::mouseClick(t.btnCnvStart, Qt::LeftButton);
        QCOMPARE(w->fileList->row(0).remarks, std::string("OK (変名前：a.txt)"));
        const QStringList ran = remarks(*w);
        type(t.edtKotei1, QStringLiteral("x"));
        QTest::qWait(2 * LivePreview::kPauseMs);
        QCOMPARE(remarks(*w), ran);
        QVERIFY(prompts.asked.empty());
    }
};

QTEST_MAIN(PreviewTest)
#include "PreviewTest.moc"
