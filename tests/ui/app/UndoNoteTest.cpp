// An undo whose note of what it restored cannot be written (the history file may not grow): the
// window says so in its status text, and the records stay for the next undo.

#include "app/TFrmMain.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "run/HistoryFile.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"
#include "support/ui/ChangeDialogAnswers.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QApplication>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace rinoza;
using test::q;

namespace {

// While it lives, no file of the process may grow past `bytes` (root included): a write beyond
// fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(off_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_before);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_before;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_before{};
    void (*m_handler)(int) = SIG_DFL;
};

off_t sizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_size : 0;
}

} // namespace

class UndoNoteTest : public QObject {
    Q_OBJECT
    FixedClock m_clock{LocalDateTime{2026, 12, 6, 13, 45, 9, 0}};

private slots:
    void anUnwrittenNoteIsToldInTheStatusText() {
        const auto home = test::freshHome();
        test::TempDir work;
        test::writeFile(work / "a.txt", "ay");
        test::writeFile(work / "b.txt", "bee");
        const auto before = test::snapshotTree(work.path());

        test::ScriptedPrompts prompts;
        TFrmMain w(systemFileSystem(), {work / "a.txt", work / "b.txt"}, &m_clock);
        QVERIFY(test::showExposed(w));
        RenameRuleSet rule = RenameRuleSet::defaults();
        rule.elements[0].checked = true;
        rule.fixF1 = "new_";
        w.tbsSet->applyRuleSet(rule);
        prompts.dialogAnswer(test::startWith(0));
        QTest::mouseClick(w.tbsSet->btnCnvStart, Qt::LeftButton);
        QCOMPARE(w.statusText(), q("2個のファイルが正常に変名されました。"));
        QVERIFY(test::pathExists(work / "new_a.txt"));

        // Ctrl+Z from the list, the question answered OK, while the history may not grow.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.lvFile->setFocus();
        const std::string history = historyFilePath(systemFileSystem());
        {
            FileSizeLimit limit(sizeOf(history));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        }
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(w.statusText(), q("2/2個が変名を戻されました。戻した記録を変更履歴ファイルに書き込めません。"
                                   "次の「前回の変名を戻す」でも、これらの記録が戻す対象になります。"));
        QCOMPARE(test::snapshotTree(work.path()), before);
        std::vector<std::string> lines;
        QCOMPARE(HistoryFile::read(systemFileSystem(), history, lines), 0);
        // No note: the history still ends with the run's last record, its file's identity and the end line.
        QVERIFY(lines.size() >= 3);
        QVERIFY(history::readIdentityLine(lines[lines.size() - 2]));
        QCOMPARE(lines.back(), std::string(history::kRecordsEndLine));
        QCOMPARE(lines[lines.size() - 3], "[A]" + work / "new_b.txt");

        // The next undo tries the records again; their files are back already, so none is restored.
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.lvFile->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.statusText(), q("0/2個が変名を戻されました。"));
        QCOMPARE(test::snapshotTree(work.path()), before);
        QVERIFY(w.close());
    }
};

QTEST_MAIN(UndoNoteTest)
#include "UndoNoteTest.moc"
