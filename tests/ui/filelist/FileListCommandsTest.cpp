// The list's own commands, pressed as keys on the focused list: remove, clear, rename, delete and
// trash, open, and the context menu from the keyboard.

#include "common/Myfunction.h"
#include "support/TestSupport.h"
#include "support/ui/ListWindow.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

const QString kCount4 = q("4 個のファイルがリストアップされています。");
const QString kCount1 = q("1 個のファイルがリストアップされています。");
const QString kCount2 = q("2 個のファイルがリストアップされています。");

std::vector<std::string> made(const TempDir& dir, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const auto& n : names) {
        writeFile(dir / n, n);
        paths.push_back(dir / n);
    }
    return paths;
}

// trash-list's lines, listing the trash of XDG_DATA_HOME and those of the mounted file systems.
QString trashList(const std::string& dataHome) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), q(dataHome));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("trash-list"), {});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Chooses an item of the list's context menu opened by the menu key: the last item is reached by
// Up from the top.
void chooseFromMenu(QAction* item) {
    ListWindow::press(Qt::Key_Menu);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    for (int i = 0; i < 20 && menu->activeAction() != item; ++i)
        QTest::keyClick(menu, Qt::Key_Up);
    QCOMPARE(menu->activeAction(), item);
    QTest::keyClick(menu, Qt::Key_Return);
    QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
}

} // namespace

class FileListCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_dataHome;
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<ListWindow> m_w;
    std::vector<std::string> m_files;

private slots:
    void init() {
        m_dataHome = std::make_unique<TempDir>();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_dataHome->path()));
        m_dir = std::make_unique<TempDir>();
        m_files = made(*m_dir, {"a.txt", "b.txt", "c.txt", "d.txt"});
        m_w = std::make_unique<ListWindow>();
        QVERIFY(m_w->open());
    }
    void cleanup() {
        m_w.reset();
        m_dir.reset();
        m_dataHome.reset();
    }

    void delRemovesTheSelectedRowsAndKeepsTheFiles() {
        ScriptedPrompts prompts;
        m_w->add(m_files);
        m_w->select({0, 2, 3});
        ListWindow::press(Qt::Key_Delete);
        QCOMPARE(m_w->names(), std::vector<std::string>{"b.txt"});
        QCOMPARE(m_w->status, kCount1);
        QCOMPARE(m_w->list.ListedFileCount(), 4);
        for (const auto& f : m_files)
            QVERIFY(pathExists(f));
        QVERIFY(prompts.asked.empty());
    }

    void keysOnAnEmptyList_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("status");
        QTest::newRow("Del") << int(Qt::Key_Delete) << int(Qt::NoModifier) << QStringLiteral("before");
        QTest::newRow("Shift+Del") << int(Qt::Key_Delete) << int(Qt::ShiftModifier) << QStringLiteral("before");
        QTest::newRow("Ctrl+Del") << int(Qt::Key_Delete) << int(Qt::ControlModifier) << QString();
        QTest::newRow("F2") << int(Qt::Key_F2) << int(Qt::NoModifier) << QStringLiteral("before");
    }
    void keysOnAnEmptyList() {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(QString, status);
        ScriptedPrompts prompts;
        ListWindow::press(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(m_w->status, status);
        QVERIFY(prompts.asked.empty());
        QVERIFY(prompts.textPrompts.empty());
    }

    // Each case: the names typed into the prompt in turn (none left: Cancel), how often it was shown,
    // the messages, and the first row's name and extension column afterwards.
    void renameByF2_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("rowName");
        QTest::addColumn<QString>("rowExt");
        const QString exists = q("指定されたファイル名はすでに存在します。別の名前を指定して下さい。");
        const QString bad = q(std::string(kBadNameCharsMessage));
        const QStringList none;
        QTest::newRow("same name") << QStringList{q("a.txt")} << 1 << none << q("a.txt") << q("TXT");
        QTest::newRow("cancel") << none << 1 << none << q("a.txt") << q("TXT");
        QTest::newRow("emptied") << QStringList{QString()} << 1 << none << q("a.txt") << q("TXT");
        QTest::newRow("a.txt to b.doc") << QStringList{q("b.doc")} << 1 << none << q("b.doc") << q("DOC");
        QTest::newRow("semicolon") << QStringList{q("x;y.txt")} << 2 << QStringList{bad} << q("a.txt") << q("TXT");
        QTest::newRow("comma, then fixed")
            << QStringList{q("x,y.txt"), q("xy.txt")} << 2 << QStringList{bad} << q("xy.txt") << q("TXT");
        QTest::newRow("existing name") << QStringList{q("b.txt")} << 2 << QStringList{exists} << q("a.txt") << q("TXT");
        QTest::newRow("case differs") << QStringList{q("A.TXT")} << 1 << none << q("A.TXT") << q("TXT");
        QTest::newRow("existing before bad")
            << QStringList{q("b.txt"), q("c;.txt")} << 3 << QStringList{exists, bad} << q("a.txt") << q("TXT");
    }
    void renameByF2() {
        QFETCH(QStringList, typed);
        QFETCH(int, shown);
        QFETCH(QStringList, messages);
        QFETCH(QString, rowName);
        QFETCH(QString, rowExt);
        ScriptedPrompts prompts;
        for (const QString& t : typed)
            prompts.textAnswer(t);
        m_w->add(m_files);
        m_w->select({0, 1});
        ListWindow::press(Qt::Key_F2);

        QCOMPARE(prompts.textPrompts.size(), std::size_t(shown));
        QCOMPARE(prompts.textPrompts[0].caption, q("ファイル名の変更"));
        QCOMPARE(prompts.textPrompts[0].prompt, q("新しいファイル名を指定して下さい。"));
        QCOMPARE(prompts.textPrompts[0].proposed, q("a.txt"));
        // After a refusal the prompt comes back with the typed name.
        for (std::size_t i = 1; i < prompts.textPrompts.size(); ++i)
            QCOMPARE(prompts.textPrompts[i].proposed, typed[qsizetype(i - 1)]);
        QStringList told;
        for (const auto& a : prompts.asked)
            told << a.text;
        QCOMPARE(told, messages);
        QCOMPARE(q(m_w->model.row(0).name), rowName);
        QCOMPARE(q(m_w->model.row(0).extensionText()), rowExt);
        QVERIFY(pathExists(*m_dir / rowName.toStdString()));
        QVERIFY(pathExists(m_files[1])); // never replaced
        QCOMPARE(readFile(m_files[1]), std::string("b.txt"));
    }

    // The menu item or key, the answer to the one question, and whether the files are gone.
    void deleteOrTrashTwoFiles_data() {
        QTest::addColumn<bool>("permanent");
        QTest::addColumn<int>("answer");
        QTest::newRow("trash, confirmed") << false << int(mrYes);
        QTest::newRow("trash, declined") << false << int(mrNo);
        QTest::newRow("Shift+Del, confirmed") << true << int(mrYes);
        QTest::newRow("Shift+Del, declined") << true << int(mrNo);
    }
    void deleteOrTrashTwoFiles() {
        QFETCH(bool, permanent);
        QFETCH(int, answer);
        ScriptedPrompts prompts;
        prompts.answer(answer);
        m_w->add(m_files);
        m_w->select({1, 3});
        if (permanent)
            ListWindow::press(Qt::Key_Delete, Qt::ShiftModifier);
        else
            chooseFromMenu(m_w->list.N17);

        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::YesNo);
        QCOMPARE(prompts.asked[0].text,
                 permanent ? q("2 個のファイルを完全に削除しますか？") : q("2 個のファイルをごみ箱へ移動しますか？"));
        const bool gone = answer == mrYes;
        const std::vector<std::string> left = gone ? std::vector<std::string>{"a.txt", "c.txt"}
                                                   : std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"};
        QCOMPARE(m_w->names(), left);
        QCOMPARE(m_w->status, gone ? kCount2 : kCount4);
        QCOMPARE(pathExists(m_files[1]), !gone);
        QCOMPARE(pathExists(m_files[3]), !gone);
        QCOMPARE(pathExists(m_dataHome->path() + "/Trash/files/b.txt"), gone && !permanent);
        QCOMPARE(m_w->list.ListedFileCount(), 4);
    }

    // An outside trash client finds the trashed files under their original paths.
    void trashedFilesAreListedByTrashCli() {
        if (QStandardPaths::findExecutable(QStringLiteral("trash-list")).isEmpty())
            QSKIP("trash-list (Debian package trash-cli) is not installed");
        ScriptedPrompts prompts;
        const std::vector<std::string> odd = made(*m_dir, {"space name.txt", "日本語.txt"});
        m_w->add(odd);
        m_w->select({0, 1});
        chooseFromMenu(m_w->list.N17);
        QCOMPARE(m_w->model.rowCount(), 0);
        const QString listed = trashList(m_dataHome->path());
        for (const auto& f : odd)
            QVERIFY2(listed.contains(QLatin1Char(' ') + q(f) + QLatin1Char('\n')), qPrintable(listed));
    }

    // A file on another file system goes to the trash of that file system's top folder; where no
    // trash can be made there, it stays listed and the user is told.
    void fileOnAnotherFileSystemUsesItsOwnTrashOrStays() {
        const std::string top = "/dev/shm";
        const std::string userTrash = top + "/.Trash-" + std::to_string(getuid());
        struct stat a {
        }, b{};
        if (stat(m_dataHome->path().c_str(), &a) != 0 || stat(top.c_str(), &b) != 0 || a.st_dev == b.st_dev ||
            access(top.c_str(), W_OK) != 0)
            QSKIP("/dev/shm is missing, read-only or on the file system of the home trash");
        if (pathExists(userTrash) || pathExists(top + "/.Trash"))
            QSKIP("a trash already exists in /dev/shm; not touching it");
        struct RemovedAtEnd {
            std::string path;
            ~RemovedAtEnd() { removeTree(path); }
        } trashGoes{userTrash};
        TempDir shm(top);
        const std::vector<std::string> f = made(shm, {"other fs.txt"});
        m_w->add(f);

        // A plain file where the per-user trash folder would be: no trash on that file system.
        writeFile(userTrash, "");
        {
            ScriptedPrompts refused;
            m_w->select({0});
            chooseFromMenu(m_w->list.N17);
            unlink(userTrash.c_str());
            QCOMPARE(refused.asked.size(), std::size_t(2));
            QCOMPARE(refused.asked[1].text, q("次のファイルをごみ箱へ移動できませんでした。\n") + q(f[0]));
            QCOMPARE(m_w->model.rowCount(), 1);
            QVERIFY(pathExists(f[0]));
        }

        ScriptedPrompts prompts;
        m_w->select({0});
        chooseFromMenu(m_w->list.N17);
        const bool trashed = pathExists(userTrash + "/files/other fs.txt");
        const bool haveClient = !QStandardPaths::findExecutable(QStringLiteral("trash-list")).isEmpty();
        const QString listed = haveClient ? trashList(m_dataHome->path()) : QString();
        removeTree(userTrash);
        QVERIFY(trashed);
        QCOMPARE(prompts.asked.size(), std::size_t(1)); // the question only
        QCOMPARE(m_w->model.rowCount(), 0);
        QVERIFY(!pathExists(m_dataHome->path() + "/Trash/files/other fs.txt"));
        if (haveClient)
            QVERIFY2(listed.contains(QLatin1Char(' ') + q(f[0]) + QLatin1Char('\n')), qPrintable(listed));
    }

    void openAndShowInFolderAskForARow_data() {
        QTest::addColumn<int>("mods");
        QTest::newRow("Shift+Enter") << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Enter") << int(Qt::ControlModifier);
    }
    void openAndShowInFolderAskForARow() {
        QFETCH(int, mods);
        ScriptedPrompts prompts;
        m_w->add(m_files);
        m_w->lvFile->clearSelection();
        ListWindow::press(Qt::Key_Return, Qt::KeyboardModifiers(mods));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, q("開くファイルを選択して下さい"));
        QCOMPARE(prompts.asked[0].type, MsgType::Information);
        QVERIFY(prompts.opened.isEmpty());
    }

    void shiftEnterOpensTheFirstSelectedRow() {
        ScriptedPrompts prompts;
        m_w->add(m_files);
        m_w->select({2, 1});
        ListWindow::press(Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(prompts.opened.size(), 1);
        QCOMPARE(QUrl(prompts.opened[0]).toLocalFile(), q(m_files[1]));
    }

    void menuKeysOpenTheMenuOnlyAfterFilesWereListed_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }
    void menuKeysOpenTheMenuOnlyAfterFilesWereListed() {
        QFETCH(int, key);
        QFETCH(int, mods);
        ListWindow::press(key, Qt::KeyboardModifiers(mods));
        QApplication::processEvents();
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        m_w->add(m_files);
        ListWindow::press(key, Qt::KeyboardModifiers(mods));
        QTRY_VERIFY(QApplication::activePopupWidget() == m_w->list.menu());
        QTest::keyClick(m_w->list.menu(), Qt::Key_Escape);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    }
};

QTEST_MAIN(FileListCommandsTest)
#include "FileListCommandsTest.moc"
