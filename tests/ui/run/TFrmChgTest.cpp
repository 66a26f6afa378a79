// The rename confirmation dialog: first use, enable states, the folder history and what the start
// action stores, the folder picker and the help command.

#include "run/ui/TFrmChg.h"
#include "platform/posix/PosixFileSystem.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using rinoza::test::q;
using rinoza::test::ScriptedPrompts;
using rinoza::test::TempDir;

namespace {

std::string readKey(const std::string& key) {
    return IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).ReadString("ChangeDialog", key, "<none>");
}

// Stores entries of the dialog's folder history, each under its key ("1" is the top).
void storeFolders(std::initializer_list<std::pair<const char*, std::string>> entries) {
    IniFile ini(systemFileSystem(), settingsFilePath(systemFileSystem()));
    for (const auto& [key, folder] : entries)
        ini.WriteString("ChangeDialog", key, folder);
}

// One showing of the dialog as the user confirms it: method, folder text, start.
void confirm(int method, const QString& folder) {
    TFrmChg dlg(systemFileSystem());
    dlg.setSelectedIndex(method);
    dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->setEditText(folder);
    dlg.acStart()->trigger();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

} // namespace

class TFrmChgTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TempDir> m_home;
    QString m_oldCwd;

private slots:
    void init() {
        m_home = std::make_unique<TempDir>();
        qputenv("RINOZA_HOME", QByteArray::fromStdString(m_home->path()));
        m_oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(q(m_home->path())));
    }
    void cleanup() {
        QDir::setCurrent(m_oldCwd);
        m_home.reset();
    }

    void firstUseShowsRenameOnlyAndTheWorkingFolder() {
        TFrmChg dlg(systemFileSystem());
        QCOMPARE(dlg.objectName(), QStringLiteral("FrmChg"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Rinoza [ 変名確認 ]"));
        QCOMPARE(dlg.selectedIndex(), 0);
        QVERIFY(dlg.findChild<QRadioButton*>(QStringLiteral("rgChg0"))->isChecked());
        QVERIFY(!dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->isEnabled());
        QVERIFY(!dlg.findChild<QPushButton*>(QStringLiteral("btnPass"))->isEnabled());
        QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("lblPass"))->isEnabled());
        QCOMPARE(dlg.destinationText(), q(m_home->path()));
        QCOMPARE(dlg.folderHistory(), QStringList{q(m_home->path())});
        QCOMPARE(dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->maxVisibleItems(), 10);
    }

    void choosingAMethodEnablesTheFolder() {
        TFrmChg dlg(systemFileSystem());
        auto* cmb = dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"));
        auto* btn = dlg.findChild<QPushButton*>(QStringLiteral("btnPass"));
        const struct {
            int method;
            bool enabled;
        } steps[] = {{1, true}, {0, false}, {2, true}, {1, true}, {0, false}};
        for (const auto& s : steps) {
            dlg.findChild<QRadioButton*>(QStringLiteral("rgChg%1").arg(s.method))->click();
            QCOMPARE(dlg.selectedIndex(), s.method);
            QCOMPARE(cmb->isEnabled(), s.enabled);
            QCOMPARE(btn->isEnabled(), s.enabled);
        }
    }

    void storedMethodIsLoaded_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("method");
        QTest::newRow("copy") << QStringLiteral("1") << 1;
        QTest::newRow("move") << QStringLiteral("2") << 2;
        QTest::newRow("above the range") << QStringLiteral("7") << 0;
        QTest::newRow("below the range") << QStringLiteral("-1") << 0;
        QTest::newRow("not a number") << QStringLiteral("x") << 0;
    }
    void storedMethodIsLoaded() {
        QFETCH(QString, stored);
        QFETCH(int, method);
        IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
            .WriteString("ChangeDialog", "Type", stored.toStdString());
        TFrmChg dlg(systemFileSystem());
        QCOMPARE(dlg.selectedIndex(), method);
        QCOMPARE(dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->isEnabled(), method != 0);
    }

    void historyLoadsWithKeyOneOnTop() {
        storeFolders({{"1", "/a"}, {"2", ""}, {"3", "/c"}, {"10", "/j"}});
        TFrmChg dlg(systemFileSystem());
        QCOMPARE(dlg.folderHistory(), (QStringList{QStringLiteral("/a"), QStringLiteral("/c"), QStringLiteral("/j")}));
        QCOMPARE(dlg.destinationText(), QStringLiteral("/a"));
    }

    void pushMovesAnExistingEntryToTheTop() {
        storeFolders({{"1", "/a"}, {"2", "/b"}, {"3", "/c"}});
        TFrmChg dlg(systemFileSystem());
        dlg.PushFolderHistory(QStringLiteral("/c"));
        QCOMPARE(dlg.folderHistory(), (QStringList{QStringLiteral("/c"), QStringLiteral("/a"), QStringLiteral("/b")}));
        QCOMPARE(dlg.destinationText(), QStringLiteral("/c"));
        dlg.PushFolderHistory(QString());
        QCOMPARE(dlg.folderHistory().size(), 3);
    }

    void foldersDifferingInCaseAreTwoEntries() {
        confirm(1, QStringLiteral("/tmp/A"));
        confirm(1, QStringLiteral("/tmp/a"));
        TFrmChg dlg(systemFileSystem());
        QCOMPARE(dlg.folderHistory().mid(0, 2), (QStringList{QStringLiteral("/tmp/a"), QStringLiteral("/tmp/A")}));
        QCOMPARE(dlg.destinationText(), QStringLiteral("/tmp/a"));
    }

    void elevenConfirmedFoldersKeepTheLastTen() {
        for (int i = 1; i <= 11; ++i)
            confirm(2, QStringLiteral("/f%1").arg(i));
        for (int key = 1; key <= 10; ++key)
            QCOMPARE(readKey(std::to_string(key)), "/f" + std::to_string(12 - key));
        TFrmChg dlg(systemFileSystem());
        QCOMPARE(dlg.folderHistory().size(), 10);
        QVERIFY(!dlg.folderHistory().contains(QStringLiteral("/f1")));
        QVERIFY(!dlg.folderHistory().contains(q(m_home->path()))); // the first showing's working folder went too
        QCOMPARE(dlg.selectedIndex(), 2);
    }

    void startStoresAndCancelDoesNot() {
        confirm(2, QStringLiteral("/dest"));
        QCOMPARE(readKey("Type"), "2");
        QCOMPARE(readKey("1"), "/dest");
        QCOMPARE(readKey("2"), q(m_home->path()).toStdString());
        QCOMPARE(readKey("3"), ""); // keys beyond the history are written empty
        {
            TFrmChg dlg(systemFileSystem());
            dlg.setSelectedIndex(1);
            dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->setEditText(QStringLiteral("/other"));
            dlg.acCancel()->trigger();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        {
            TFrmChg dlg(systemFileSystem());
            dlg.setSelectedIndex(1);
            dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"))->setEditText(QStringLiteral("/closed"));
            dlg.show();
            dlg.close(); // title bar
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        TFrmChg again(systemFileSystem());
        QCOMPARE(again.selectedIndex(), 2);
        QCOMPARE(again.destinationText(), QStringLiteral("/dest"));
        QVERIFY(!again.folderHistory().contains(QStringLiteral("/other")));
    }

    void renameOnlyStoresTheFolderToo() {
        confirm(0, QStringLiteral("/kept"));
        QCOMPARE(readKey("Type"), "0");
        QCOMPARE(readKey("1"), "/kept");
    }

    void unwritableSettingsKeepTheDialogOpen() {
        ScriptedPrompts prompts;
        test::writeFile(m_home->path() + "/plain", "x");
        qputenv("RINOZA_HOME", QByteArray::fromStdString(m_home->path() + "/plain/sub"));
        TFrmChg dlg(systemFileSystem());
        dlg.acStart()->trigger();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].type, MsgType::Error);
    }

    void browseTakesTheChosenFolder() {
        ScriptedPrompts prompts;
        prompts.pickAnswer(QStringLiteral("/picked"));
        prompts.pickAnswer(QString()); // cancelled
        TFrmChg dlg(systemFileSystem());
        dlg.setSelectedIndex(1);
        auto* btn = dlg.findChild<QPushButton*>(QStringLiteral("btnPass"));
        btn->click();
        QCOMPARE(dlg.destinationText(), QStringLiteral("/picked"));
        btn->click();
        QCOMPARE(dlg.destinationText(), QStringLiteral("/picked"));
        QCOMPARE(prompts.pickTitles.size(), 2);
        QCOMPARE(prompts.pickTitles[0], QStringLiteral("コピーまたは移動するフォルダを選択して下さい"));
        QCOMPARE(prompts.pickStarts[0], q(m_home->path()));
        QCOMPARE(prompts.pickStarts[1], QStringLiteral("/picked"));
    }

    void helpOpensContextEleven() {
        ScriptedPrompts prompts;
        TFrmChg dlg(systemFileSystem());
        dlg.acHelp()->trigger();
        QCOMPARE(prompts.opened.size(), 1);
        QVERIFY2(prompts.opened[0].endsWith(QStringLiteral("#context-11")), qPrintable(prompts.opened[0]));
        QCOMPARE(dlg.acHelp()->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(dlg.acCancel()->shortcut(), QKeySequence(Qt::Key_Escape));
    }

    // A working folder whose name is not UTF-8 is offered, chosen and stored with its own bytes.
    void workingFolderThatIsNotUtf8KeepsItsBytes() {
        const std::string odd = m_home->path() + "/\x93\xfa\x96\x7b \xff";
        QVERIFY(::mkdir(odd.c_str(), 0700) == 0);
        QVERIFY(::chdir(odd.c_str()) == 0);
        TFrmChg dlg(systemFileSystem());
        dlg.setSelectedIndex(1);
        QCOMPARE(dlg.destinationBytes(), odd);
        QCOMPARE(dlg.folderHistoryBytes(), std::vector<std::string>{odd});
        dlg.acStart()->trigger();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(readKey("1"), odd);
        QCOMPARE(TFrmChg(systemFileSystem()).destinationBytes(), odd);
    }

    // Entries that differ only in bytes that do not show (both "/x/\uFFFD" on screen) stay apart; the
    // chosen one is what the run gets, typed text is taken as typed.
    void theChosenEntrysBytesAreTheDestination() {
        storeFolders({{"1", "/x/\xff"}, {"2", "/x/\xfe"}, {"3", "/x/\x93\xfa"}});
        TFrmChg dlg(systemFileSystem());
        dlg.setSelectedIndex(2);
        auto* cmb = dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"));
        QCOMPARE(dlg.folderHistoryBytes(), (std::vector<std::string>{"/x/\xff", "/x/\xfe", "/x/\x93\xfa"}));
        QCOMPARE(cmb->itemText(0), cmb->itemText(1));
        QCOMPARE(cmb->itemText(2), q("/x/日"));
        QCOMPARE(dlg.destinationBytes(), std::string("/x/\xff"));
        cmb->setCurrentIndex(1);
        QCOMPARE(dlg.destinationBytes(), std::string("/x/\xfe"));
        cmb->setCurrentIndex(2);
        QCOMPARE(dlg.destinationBytes(), std::string("/x/\x93\xfa"));
        cmb->setEditText(q("/typed/日本"));
        QCOMPARE(dlg.destinationBytes(), std::string("/typed/日本"));
        // Typing what a remembered CP932 folder looks like names the UTF-8 folder of that spelling.
        cmb->setCurrentIndex(-1);
        cmb->setEditText(q("/x/日"));
        QCOMPARE(dlg.destinationBytes(), std::string("/x/日"));

        cmb->setCurrentIndex(1);
        dlg.acStart()->trigger();
        QCOMPARE(readKey("1"), "/x/\xfe");
        QCOMPARE(readKey("2"), "/x/\xff");
        QCOMPARE(readKey("3"), "/x/\x93\xfa");
        TFrmChg again(systemFileSystem());
        QCOMPARE(again.destinationBytes(), std::string("/x/\xfe"));
    }

    // The preview reads the choice without building the dialog: it must be the one a showing offers.
    void theStoredChoiceIsWhatAShowingOffers() {
        const struct {
            const char* type;
            std::vector<std::pair<const char*, std::string>> folders;
        } cases[] = {
            {nullptr, {}},
            {"2", {{"1", "/a"}, {"2", "/b"}}},
            {"1", {{"2", "/b"}, {"3", "/c"}}}, // key 1 empty: the next one is on top
            {"7", {{"1", "/x/\x93\xfa"}}},     // a value only an edited file holds; bytes that are no UTF-8
            {"0", {{"1", "/a"}, {"4", "/a"}}},
        };
        for (const auto& c : cases) {
            IniFile(systemFileSystem(), settingsFilePath(systemFileSystem())).EraseSection("ChangeDialog");
            if (c.type)
                IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
                    .WriteString("ChangeDialog", "Type", c.type);
            for (const auto& [key, folder] : c.folders)
                IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
                    .WriteString("ChangeDialog", key, folder);
            int method = -1;
            std::string destination;
            TFrmChg::storedChoice(systemFileSystem(), method, destination);
            TFrmChg dlg(systemFileSystem());
            QCOMPARE(method, dlg.selectedIndex());
            QCOMPARE(destination, dlg.destinationBytes());
        }
    }

    void dropDownIsWideEnoughForTheWidestEntry() {
        const QString wide = QStringLiteral("/") + QString(80, QLatin1Char('w'));
        IniFile(systemFileSystem(), settingsFilePath(systemFileSystem()))
            .WriteString("ChangeDialog", "1", wide.toStdString());
        TFrmChg dlg(systemFileSystem());
        auto* cmb = dlg.findChild<QComboBox*>(QStringLiteral("cmbPass"));
        dlg.cmbPassDropDown();
        QVERIFY(cmb->view()->minimumWidth() >= QFontMetrics(cmb->font()).horizontalAdvance(wide) + 6);
    }
};

QTEST_MAIN(TFrmChgTest)
#include "TFrmChgTest.moc"
