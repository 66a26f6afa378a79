// Opening a listed file as a user does (Shift+Enter on its row) through the desktop's real opener
// path: a stand-in xdg-open that ends with a chosen status, and the real xdg-open, in its generic mode
// and handing over to gio, with a name that is not UTF-8.

#include "common/ui/DesktopOpener.h"
#include "support/ui/ListWindow.h"
#include "support/ui/QtTestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QStandardPaths>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;

namespace {

constexpr int kWaitMs = 30000;

struct Handed {
    std::string path; // what the opener or the application received, as a path
    bool sameFile = false;
};

// The path an opener was handed (a file URL or a path) and whether it leads to `file`.
Handed handedOf(std::string received, const std::string& file) {
    while (!received.empty() && received.back() == '\n')
        received.pop_back();
    if (received.rfind("file://", 0) == 0)
        received = QByteArray::fromPercentEncoding(QByteArray::fromStdString(received.substr(7))).toStdString();
    struct stat a {
    }, b{};
    const bool same = ::stat(received.c_str(), &a) == 0 && ::stat(file.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
                      a.st_ino == b.st_ino;
    return {received, same};
}

} // namespace

class OpenWithDesktopTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> m_dir;
    QHash<QByteArray, QByteArray> m_savedEnv;

    void setEnv(const char* name, const QByteArray& value) {
        if (!m_savedEnv.contains(name))
            m_savedEnv.insert(name, qgetenv(name));
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray at(const std::string& rel) const { return QByteArray::fromStdString(*m_dir / rel); }

    // A stand-in opener first on PATH: it writes what it was handed to `handed` and ends with `status`.
    void standIn(int status) {
        writeFile(*m_dir / "bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + *m_dir / "handed" + "'\nexit " +
                                               std::to_string(status) + "\n");
        ::chmod((*m_dir / "bin/xdg-open").c_str(), 0755);
    }

    // Lists the file, selects it and presses Shift+Enter, then waits until the opener has ended.
    void openFromTheList(const std::string& file, ScriptedPrompts& prompts) {
        ListWindow w;
        QVERIFY(w.open());
        w.add({file});
        w.select({0});
        prompts.throughDesktop = true;
        ListWindow::press(Qt::Key_Return, Qt::ShiftModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!desktopOpenersRunning(), kWaitMs);
    }

    // A desktop of the test's own: one application (a recorder that writes its argument to `handed`)
    // associated with text files, no browser, no mail-cap entries, and the system's MIME database.
    void ownDesktop() {
        writeFile(*m_dir / "share/applications/recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\nExec=" + m_dir->path() +
                      "/recorder %f\nMimeType=text/plain;\n");
        writeFile(*m_dir / "recorder", "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + m_dir->path() + "/handed'\n");
        ::chmod((*m_dir / "recorder").c_str(), 0755);
        writeFile(*m_dir / "config/mimeapps.list", "[Default Applications]\ntext/plain=recorder.desktop\n");
        writeFile(*m_dir / "mailcap", "");
        ::symlink("/usr/share/mime", (*m_dir / "share/mime").c_str());
        setEnv("HOME", at("home"));
        setEnv("XDG_CONFIG_HOME", at("config"));
        setEnv("XDG_DATA_HOME", at("data"));
        setEnv("XDG_DATA_DIRS", at("share"));
        setEnv("MAILCAPS", at("mailcap"));
        setEnv("BROWSER", "false");
        // The generic opener asks for a display before it looks for an application; none is opened.
        if (qgetenv("DISPLAY").isEmpty())
            setEnv("DISPLAY", ":4094");
        // A session bus nobody serves: no desktop is detected on it, and nothing starts one.
        setEnv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + at("no-bus"));
        for (const char* var : {"KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID",
                                "DESKTOP_SESSION", "XDG_SESSION_DESKTOP"})
            setEnv(var, QByteArray());
    }

private slots:
    void init() {
        m_dir = std::make_unique<TempDir>();
        makeDirs(*m_dir / "bin");
        setEnv("XDG_RUNTIME_DIR", at("runtime"));
        makeDirs(*m_dir / "runtime");
    }
    void cleanup() {
        for (auto it = m_savedEnv.begin(); it != m_savedEnv.end(); ++it)
            it.value().isNull() ? qunsetenv(it.key().constData()) : qputenv(it.key().constData(), it.value());
        m_savedEnv.clear();
        m_dir.reset();
    }

    void anOpenerThatFailsShowsTheWarning_data() {
        QTest::addColumn<int>("status"); // -1: no opener on PATH
        QTest::addColumn<bool>("warned");
        QTest::newRow("opened") << 0 << false;
        QTest::newRow("no application associated") << 3 << true;
        QTest::newRow("the application failed") << 4 << true;
        QTest::newRow("no opener at all") << -1 << true;
    }
    void anOpenerThatFailsShowsTheWarning() {
        QFETCH(int, status);
        QFETCH(bool, warned);
        if (status >= 0)
            standIn(status);
        setEnv("PATH", at("bin") + (status >= 0 ? ":" + qgetenv("PATH") : QByteArray()));
        const std::string file = *m_dir / "a b#1.txt";
        writeFile(file, "text");
        ScriptedPrompts prompts;
        openFromTheList(file, prompts);
        QCOMPARE(prompts.asked.size(), std::size_t(warned ? 1 : 0));
        if (warned) {
            QCOMPARE(prompts.asked[0].text, noApplicationText());
            QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        }
        if (status >= 0)
            QVERIFY(handedOf(readFile(*m_dir / "handed"), file).sameFile);
    }

    void realOpenersTakeTheNameOrSayNoApplication_data() {
        QTest::addColumn<QString>("desktop"); // XDG_CURRENT_DESKTOP: empty for the generic opener
        QTest::addColumn<bool>("known");      // a text file (the recorder takes it) or a file of no known kind
        for (const QString& d : {QString(), QStringLiteral("GNOME")}) {
            const QString mode = d.isEmpty() ? QStringLiteral("generic") : QStringLiteral("gio");
            QTest::newRow(qPrintable(mode + QStringLiteral(", CP932 text file"))) << d << true;
            QTest::newRow(qPrintable(mode + QStringLiteral(", no application"))) << d << false;
        }
    }
    void realOpenersTakeTheNameOrSayNoApplication() {
        QFETCH(QString, desktop);
        QFETCH(bool, known);
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
            QSKIP("xdg-open is not installed (xdg-utils)");
        if (!desktop.isEmpty() && QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
            QSKIP("gio is not installed (libglib2.0-bin)");
        ownDesktop();
        setEnv("XDG_CURRENT_DESKTOP", desktop.isEmpty() ? QByteArray() : desktop.toUtf8());
        const std::string file = *m_dir / (known ? "\x82\xa0x.txt" : "\x82\xa0x.zzq");
        writeFile(file, known ? "text\n" : std::string("\x00\x01\x02\xfe", 4));
        ScriptedPrompts prompts;
        openFromTheList(file, prompts);
        QCOMPARE(prompts.asked.size(), std::size_t(known ? 0 : 1));
        if (known) {
            // gio starts the application and ends without waiting for it.
            QTRY_VERIFY_WITH_TIMEOUT(pathExists(*m_dir / "handed"), kWaitMs);
            // A name that is not UTF-8 arrives as a UTF-8 path to the file, under its display name.
            const Handed h = handedOf(readFile(*m_dir / "handed"), file);
            QVERIFY2(h.sameFile, h.path.c_str());
            QVERIFY(q(h.path).endsWith(QStringLiteral("/あx.txt")));
            QVERIFY(h.path.rfind(m_dir->path() + "/runtime/", 0) == 0);
        } else {
            QCOMPARE(prompts.asked[0].text, noApplicationText());
        }
    }
};

QTEST_MAIN(OpenWithDesktopTest)
#include "OpenWithDesktopTest.moc"
