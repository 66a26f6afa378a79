// "フォルダを開く" (Ctrl+Enter on the list) asks the file manager on the session bus to show the file;
// when none answers, the folder opens. Runs on a private bus (dbus-run-session), where the test
// registers a stand-in file manager that records what it was sent.

#include "common/ui/FileManager.h"
#include "support/TestSupport.h"
#include "support/ui/ListWindow.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QUrl>
#include <QtTest>

#include <memory>

using namespace rinoza;
using namespace rinoza::test;

class StandInFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
    QString startupId = QStringLiteral("unset");

public slots:
    Q_SCRIPTABLE void ShowItems(const QStringList& uris, const QString& startup) {
        shown += uris;
        startupId = startup;
    }
};

class ShowInFolderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<ListWindow> m_w;
    std::vector<std::string> m_files;

    // Lists the files and presses Ctrl+Enter with the second one selected.
    void showSecondFile() {
        m_w->add(m_files);
        m_w->select({1});
        ListWindow::press(Qt::Key_Return, Qt::ControlModifier);
    }

private slots:
    void initTestCase() {
        // Never on the user's own bus: a real file manager would open.
        if (qEnvironmentVariable("RINOZA_PRIVATE_BUS") != QLatin1String("1"))
            QSKIP("needs the private session bus of the test run (dbus-run-session)");
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("no session bus");
    }
    void init() {
        m_dir = std::make_unique<TempDir>();
        m_files.clear();
        for (const char* n : {"a.txt", "b c#%.txt"}) {
            writeFile(*m_dir / n, "");
            m_files.push_back(*m_dir / n);
        }
        m_w = std::make_unique<ListWindow>();
        QVERIFY(m_w->open());
    }
    void cleanup() {
        m_w.reset();
        m_dir.reset();
    }

    void theFileManagerIsSentTheFilesUri() {
        // The stand-in answers on a connection of its own, as another program would.
        QDBusConnection own = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("standin"));
        QVERIFY(own.isConnected());
        StandInFileManager fm;
        QVERIFY(own.registerObject(QString::fromLatin1(kFileManagerPath), &fm, QDBusConnection::ExportScriptableSlots));
        QVERIFY(own.registerService(QString::fromLatin1(kFileManagerService)));

        ScriptedPrompts prompts;
        showSecondFile();
        QTRY_COMPARE(fm.shown.size(), 1);
        const QUrl url(fm.shown[0], QUrl::StrictMode);
        QCOMPARE(url.scheme(), QStringLiteral("file"));
        QCOMPARE(url.toLocalFile(), q(m_files[1]));
        QCOMPARE(fm.startupId, QString());
        QTest::qWait(100);
        QVERIFY(prompts.opened.isEmpty()); // the folder is not opened besides
        QVERIFY(prompts.asked.empty());

        own.unregisterService(QString::fromLatin1(kFileManagerService));
        own.unregisterObject(QString::fromLatin1(kFileManagerPath));
        QDBusConnection::disconnectFromBus(QStringLiteral("standin"));
    }

    void withoutAFileManagerTheFolderOpens() {
        QVERIFY(
            !QDBusConnection::sessionBus().interface()->isServiceRegistered(QString::fromLatin1(kFileManagerService)));
        ScriptedPrompts prompts;
        showSecondFile();
        QTRY_COMPARE(prompts.opened.size(), 1);
        QCOMPARE(QUrl(prompts.opened[0]).toLocalFile(), q(m_dir->path()));
        QVERIFY(prompts.asked.empty());
    }

    void aFileThatIsGoneOpensItsFolder() {
        ScriptedPrompts prompts;
        m_w->add(m_files);
        unlink(m_files[1].c_str());
        m_w->select({1});
        ListWindow::press(Qt::Key_Return, Qt::ControlModifier);
        QTRY_COMPARE(prompts.opened.size(), 1);
        QCOMPARE(QUrl(prompts.opened[0]).toLocalFile(), q(m_dir->path()));
    }
};

QTEST_MAIN(ShowInFolderTest)
#include "ShowInFolderTest.moc"
