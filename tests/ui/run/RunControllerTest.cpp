// The rename run and the undo as the main window starts them: a plain QWidget as the window, a list
// model filled with rows for temporary files, and scripted answers for every dialog and question.

#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/RenameRunController.h"
#include "run/ui/TFrmChg.h"
#include "run/ui/TFrmRenameOn.h"
#include "run/ui/UndoController.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"
#include "support/ui/ChangeDialogAnswers.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace rinoza;
using rinoza::test::cancelWith;
using rinoza::test::pathExists;
using rinoza::test::q;
using rinoza::test::readFile;
using rinoza::test::ScriptedPrompts;
using rinoza::test::snapshotTree;
using rinoza::test::startWith;
using rinoza::test::TempDir;
using rinoza::test::writeFile;

namespace {

// "n" + three-digit serial + "." + the old extension.
RenameRuleSet serialRules() {
    RenameRuleSet r = RenameRuleSet::defaults();
    for (auto& e : r.elements)
        e.checked = false;
    r.elements[0].checked = true; // 1) fixed text
    r.elements[3].checked = true; // 4) serial
    r.elements[5].checked = true; // 6) period
    r.fixF1 = "n";
    r.renKeta = "3";
    return r;
}

struct Fixture {
    TempDir home;
    TempDir work;
    QWidget window;
    ProgressHost progress{&window};
    FileListModel model;
    FixedClock clock{LocalDateTime{2026, 12, 6, 19, 42, 0, 0}};
    NameBuilder builder{clock, {}};
    QString startText = QStringLiteral("1");
    QString status;
    int undoUpdates = 0;
    bool enabledDuringRun = true;

    Fixture() {
        qputenv("RINOZA_HOME", QByteArray::fromStdString(home.path()));
        window.show();
    }

    void addFiles(std::initializer_list<const char*> names) {
        for (const char* n : names) {
            writeFile(work / n, std::string("data of ") + n);
            FileInfo info;
            QCOMPARE(systemFileSystem().stat(work / n, info), 0);
            model.appendRow(makeFileListRow(info, work.path(), false));
        }
    }

    RunHost host() {
        RunHost h;
        h.fileSystem = &systemFileSystem();
        h.window = &window;
        h.progress = &progress;
        h.model = &model;
        h.builder = &builder;
        h.rules = [this] {
            enabledDuringRun = window.isEnabled();
            return serialRules();
        };
        h.startText = [this] { return startText; };
        h.setStatus = [this](const QString& s) { status = s; };
        h.updateUndoCommands = [this] { ++undoUpdates; };
        h.clock = &clock;
        return h;
    }

    void run() { RenameRunController(host()).btnCnvStartClick(); }
    std::string remarks(int row) const { return model.row(row).remarks; }
};

} // namespace

class RunControllerTest : public QObject {
    Q_OBJECT

private slots:
    void emptyListOnlyWarns() {
        ScriptedPrompts prompts;
        Fixture f;
        f.run();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("変名処理に対するファイルが選ばれていません。"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QCOMPARE(prompts.dialogsShown, 0);
        QVERIFY(!pathExists(historyFilePath(systemFileSystem())));
    }

    void cancelledDialogTouchesNothing() {
        ScriptedPrompts prompts;
        prompts.dialogAnswer(cancelWith(2));
        Fixture f;
        f.addFiles({"a.txt", "b.txt"});
        writeFile(historyFilePath(systemFileSystem()), "previous history\r\n");
        const auto before = snapshotTree(f.work.path());
        f.run();
        QCOMPARE(prompts.dialogsShown, 1);
        QCOMPARE(snapshotTree(f.work.path()), before);
        QCOMPARE(readFile(historyFilePath(systemFileSystem())), std::string("previous history\r\n"));
        QCOMPARE(IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
                     .ReadString("ChangeDialog", "Type", "none"),
                 std::string("none"));
        QCOMPARE(f.remarks(0), std::string(" "));
        QVERIFY(f.progress.dialog() == nullptr);
        QCOMPARE(f.undoUpdates, 0);
    }

    void runOfThreeFilesThenUndo() {
        ScriptedPrompts prompts;
        prompts.dialogAnswer(startWith(0));
        Fixture f;
        f.addFiles({"a.txt", "b.dat", "c.txt"});
        const auto before = snapshotTree(f.work.path());
        f.run();

        QVERIFY(prompts.asked.empty());
        QVERIFY(!f.enabledDuringRun);
        QVERIFY(f.window.isEnabled());
        QVERIFY(f.progress.dialog() == nullptr);
        QCOMPARE(f.undoUpdates, 1);
        QCOMPARE(f.status, QStringLiteral("3個のファイルが正常に変名されました。"));
        const char* expected[][3] = {
            {"n001.txt", "a.txt", "TXT"}, {"n002.dat", "b.dat", "DAT"}, {"n003.txt", "c.txt", "TXT"}};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.model.row(i).name, std::string(expected[i][0]));
            QCOMPARE(f.model.row(i).folder, f.work.path());
            QCOMPARE(f.model.row(i).extensionText(), std::string(expected[i][2]));
            QCOMPARE(f.remarks(i), std::string("OK (変名前：") + expected[i][1] + ")");
            QCOMPARE(readFile(f.work / expected[i][0]), std::string("data of ") + expected[i][1]);
            QVERIFY(!pathExists(f.work / expected[i][1]));
        }
        QVERIFY(readFile(historyFilePath(systemFileSystem())).find("[A]" + (f.work / "n003.txt")) != std::string::npos);

        UndoController undo(f.host());
        undo.btnAndoClick(); // the question is answered OK
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("前回の変名を戻します。\rよろしいですか？"));
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::OkCancel);
        QCOMPARE(f.status, QStringLiteral("3/3個が変名を戻されました。"));
        QCOMPARE(snapshotTree(f.work.path()), before);
        QVERIFY(f.window.isEnabled());
        QVERIFY(f.progress.dialog() == nullptr);
        QCOMPARE(f.undoUpdates, 2);
    }

    void missingFolderQuestion() {
        ScriptedPrompts prompts;
        Fixture f;
        f.addFiles({"a.txt", "b.txt"});
        const std::string dest = f.work / "out/sub";
        prompts.dialogAnswer(startWith(1, q(dest)));
        prompts.answer(mrCancel);
        // Shown again: the start action of the first showing stored the method and the folder.
        int shownMethod = -1;
        QString shownFolder;
        prompts.dialogAnswer([&](QDialog& d) {
            auto& dlg = dynamic_cast<TFrmChg&>(d);
            shownMethod = dlg.selectedIndex();
            shownFolder = dlg.destinationText();
            dlg.acStart()->trigger();
            return dlg.result();
        });
        prompts.answer(mrOk);
        f.run();

        QCOMPARE(prompts.dialogsShown, 2);
        QCOMPARE(shownMethod, 1);
        QCOMPARE(shownFolder, q(dest));
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QCOMPARE(prompts.asked[0].text,
                 QStringLiteral("フォルダ[ ") + q(dest) + QStringLiteral(" ]が存在しません。\r\n作成しますか？"));
        QCOMPARE(prompts.asked[0].type, MsgType::Information);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::OkCancel);
        // Copies in the new folder; the sources stay.
        QCOMPARE(readFile(dest + "/n001.txt"), std::string("data of a.txt"));
        QCOMPARE(readFile(dest + "/n002.txt"), std::string("data of b.txt"));
        QVERIFY(pathExists(f.work / "a.txt"));
        QVERIFY(pathExists(f.work / "b.txt"));
        QCOMPARE(f.model.row(0).folder, dest);
        QCOMPARE(f.status, QStringLiteral("2個のファイルが正常に変名されました。"));
    }

    // A destination typed as "backup" is that folder in the current folder: the question, the dialog's
    // history, the rows and the history file name it absolute, so the undo finds the copy.
    void relativeDestinationTypedInTheDialog() {
        ScriptedPrompts prompts;
        Fixture f;
        f.addFiles({"a.txt"});
        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(q(f.work.path())));
        prompts.dialogAnswer([](QDialog& d) {
            auto& dlg = dynamic_cast<TFrmChg&>(d);
            if (!rinoza::test::showExposed(dlg))
                return int(QDialog::Rejected);
            dlg.activateWindow();
            if (!QTest::qWaitForWindowActive(&dlg))
                return int(QDialog::Rejected);
            // Rename + copy; a button's access key clicks it a moment later, as a pressed button shows.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
            if (!QTest::qWaitFor([&dlg] { return dlg.selectedIndex() == 1; }))
                return int(QDialog::Rejected);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier); // the folder field
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("backup"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_I, Qt::AltModifier); // start
            return dlg.result();
        });
        prompts.answer(mrOk); // make the folder
        f.run();
        QDir::setCurrent(oldCwd);

        const std::string dest = f.work / "backup";
        QCOMPARE(prompts.dialogsShown, 1);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text,
                 QStringLiteral("フォルダ[ ") + q(dest) + QStringLiteral(" ]が存在しません。\r\n作成しますか？"));
        QCOMPARE(IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).ReadString("ChangeDialog", "1", ""),
                 dest);
        QCOMPARE(TFrmChg(systemFileSystem()).folderHistory().value(0), q(dest));
        QCOMPARE(f.model.row(0).folder, dest);
        QVERIFY(readFile(historyFilePath(systemFileSystem())).find("[A]" + dest + "/n001.txt\r\n") !=
                std::string::npos);

        UndoController(f.host()).btnAndoClick();
        QCOMPARE(f.status, QStringLiteral("1/1個が変名を戻されました。"));
        QVERIFY(!pathExists(dest + "/n001.txt"));
        QCOMPARE(readFile(f.work / "a.txt"), std::string("data of a.txt"));
    }

    // The destination chosen from the history is used byte for byte, though its name is not UTF-8.
    void copyIntoAFolderWhoseNameIsNotUtf8() {
        ScriptedPrompts prompts;
        Fixture f;
        f.addFiles({"a.txt"});
        const std::string dest = f.work / "\x93\xfa \xff";
        QVERIFY(::mkdir(dest.c_str(), 0700) == 0);
        IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).WriteString("ChangeDialog", "1", dest);
        prompts.dialogAnswer(startWith(1));
        f.run();
        QVERIFY(prompts.asked.empty());
        QCOMPARE(readFile(dest + "/n001.txt"), std::string("data of a.txt"));
        QCOMPARE(f.model.row(0).folder, dest);
        // Nothing else appeared beside it.
        QCOMPARE(snapshotTree(f.work.path()).size(), std::size_t(3));
    }

    void missingFolderCancelledTwiceStartsNothing() {
        ScriptedPrompts prompts;
        Fixture f;
        f.addFiles({"a.txt"});
        prompts.dialogAnswer(startWith(2, q(f.work / "nowhere")));
        prompts.answer(mrCancel);
        prompts.dialogAnswer([](QDialog&) { return int(QDialog::Rejected); });
        const auto before = snapshotTree(f.work.path());
        f.run();
        QCOMPARE(prompts.dialogsShown, 2);
        QCOMPARE(snapshotTree(f.work.path()), before);
        QVERIFY(!pathExists(historyFilePath(systemFileSystem())));
    }

    void folderThatCannotBeMadeStopsBeforeTheRun_data() {
        QTest::addColumn<QString>("dest");
        QTest::newRow("empty") << QString();
        QTest::newRow("below a file") << QStringLiteral("a.txt/sub");
    }
    void folderThatCannotBeMadeStopsBeforeTheRun() {
        QFETCH(QString, dest);
        ScriptedPrompts prompts;
        Fixture f;
        f.addFiles({"a.txt"});
        const QString folder = dest.isEmpty() ? QStringLiteral("") : q(f.work.path()) + QStringLiteral("/") + dest;
        prompts.dialogAnswer(startWith(2, folder));
        prompts.answer(mrOk);
        writeFile(historyFilePath(systemFileSystem()), "previous history\r\n");
        f.run();
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QCOMPARE(prompts.asked[1].text, QStringLiteral("ディレクトリを作成することができません"));
        QCOMPARE(prompts.asked[1].type, MsgType::Error);
        QCOMPARE(readFile(historyFilePath(systemFileSystem())), std::string("previous history\r\n"));
        QVERIFY(pathExists(f.work / "a.txt"));
        QVERIFY(f.window.isEnabled());
    }

    void systemFileQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("renamed");
        QTest::newRow("no") << int(mrNo) << false;
        QTest::newRow("esc counts as no") << int(mrNo) << false;
        QTest::newRow("yes") << int(mrYes) << true;
        QTest::newRow("closed counts as yes") << int(mrCancel) << true;
    }
    void systemFileQuestion() {
        QFETCH(int, answer);
        QFETCH(bool, renamed);
        ScriptedPrompts prompts;
        prompts.dialogAnswer(startWith(0));
        prompts.answer(answer);
        Fixture f;
        f.addFiles({"a.txt", "b.txt", "c.txt"});
        if (systemFileSystem().setAttributes(f.work / "b.txt", AttrSystem, AttrSystem) != 0)
            QSKIP("no user extended attributes on this file system");
        f.run();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text,
                 q(f.work / "b.txt") + QStringLiteral(" はシステムファイルです。変名してよろしいですか？"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::YesNo);
        QCOMPARE(f.remarks(1), renamed ? std::string("OK (変名前：b.txt)") : std::string("x:ｼｽﾃﾑﾌｧｲﾙ"));
        QCOMPARE(pathExists(f.work / "b.txt"), !renamed);
        QCOMPARE(f.model.row(2).name, std::string("n003.txt")); // the refused row still used its number
        QCOMPARE(f.status, renamed ? QStringLiteral("3個のファイルが正常に変名されました。")
                                   : QStringLiteral("2個のファイルが正常に変名されました。"));
    }

    void badStartNumberStopsWithItsMessage() {
        ScriptedPrompts prompts;
        prompts.dialogAnswer(startWith(0));
        Fixture f;
        f.startText = QStringLiteral("abc");
        f.addFiles({"a.txt"});
        f.run();
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("変名処理が途中で終了しました。"));
        QCOMPARE(prompts.asked[1].text, QStringLiteral("'abc' は整数ではありません"));
        QCOMPARE(f.status, QStringLiteral("変名処理が途中で終了しました。0個のファイルが正常に変名されました。"));
        QVERIFY(pathExists(f.work / "a.txt"));
        QVERIFY(f.window.isEnabled());
        QVERIFY(f.progress.dialog() == nullptr);
        QCOMPARE(f.undoUpdates, 1);
    }

    void stopButtonCancelsWithoutAMessage() {
        ScriptedPrompts prompts;
        prompts.dialogAnswer(startWith(0));
        prompts.answer(mrYes); // the stop question
        Fixture f;
        f.addFiles({"a.txt", "b.txt", "c.txt"});
        f.progress.setSliceMs(0);
        // The click arrives with the first events the run lets through.
        QTimer::singleShot(0, &f.window, [&f] {
            if (f.progress.dialog())
                f.progress.dialog()->btnCancel()->click();
        });
        f.run();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("処理を中止しますか？"));
        QVERIFY(f.status.startsWith(QStringLiteral("変名処理が途中で終了しました。")));
        QVERIFY(f.status.endsWith(QStringLiteral("個のファイルが正常に変名されました。")));
        QVERIFY(pathExists(f.work / "c.txt"));
        QVERIFY(f.window.isEnabled());
    }

    void undoWithoutHistoryOrDeclined() {
        ScriptedPrompts prompts;
        Fixture f;
        f.addFiles({"a.txt"});
        UndoController undo(f.host());
        undo.btnAndoClick();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("前回の変名履歴ファイルが見つかりません。"));
        QCOMPARE(f.undoUpdates, 1);

        writeFile(historyFilePath(systemFileSystem()),
                  "[Changed]\r\n[B]" + (f.work / "a.txt") + "\r\n[A]" + (f.work / "z.txt") + "\r\n");
        writeFile(f.work / "z.txt", "z"); // would go back to a.txt, which exists: never replaced
        prompts.answer(mrCancel);
        undo.btnAndoClick();
        QCOMPARE(prompts.asked.size(), std::size_t(2));
        QVERIFY(f.status.isEmpty());
        QVERIFY(pathExists(f.work / "z.txt"));

        undo.btnAndoClick(); // OK this time
        QCOMPARE(f.status, QStringLiteral("0/1個が変名を戻されました。"));
        QCOMPARE(readFile(f.work / "a.txt"), std::string("data of a.txt"));
    }

    void viewHistory() {
        ScriptedPrompts prompts;
        Fixture f;
        UndoController undo(f.host());
        undo.N8Click();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("前回の変名履歴ファイルが見つかりません。"));
        QVERIFY(prompts.opened.isEmpty());

        writeFile(historyFilePath(systemFileSystem()), "{}\r\n");
        undo.N8Click();
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.opened.size(), 1);
        QCOMPARE(QUrl(prompts.opened[0]).toLocalFile(), q(historyFilePath(systemFileSystem())));
        QCOMPARE(f.undoUpdates, 2);
    }
};

QTEST_MAIN(RunControllerTest)
#include "RunControllerTest.moc"
