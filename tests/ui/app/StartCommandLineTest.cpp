// The window program's command line, tried on the built program: the help and the version come
// without a display, and without one the program says in one line what it needs.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

class StartCommandLineTest : public QObject {
    Q_OBJECT

    struct Run {
        int status = -1;
        QString out;
        QString err;
    };

    // Runs the program with no display of any kind: neither X11, Wayland nor Qt's own offscreen screen.
    static Run run(const QStringList& args, const QString& display = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(var));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(RINOZA_PROGRAM_PATH), args);
        if (!p.waitForFinished(60000))
            return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void helpAndVersionNeedNoWindow_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("starts");
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << QStringLiteral("使い方: rinoza ");
        QTest::newRow("-h after a path") << QStringList{QStringLiteral("a.txt"), QStringLiteral("-h")}
                                         << QStringLiteral("使い方: rinoza ");
        QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << QStringLiteral("rinoza 1.");
        QTest::newRow("the first one wins")
            << QStringList{QStringLiteral("--version"), QStringLiteral("--help")} << QStringLiteral("rinoza 1.");
    }
    void helpAndVersionNeedNoWindow() {
        QFETCH(QStringList, args);
        QFETCH(QString, starts);
        const Run r = run(args);
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.startsWith(starts), qPrintable(r.out));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    }

    void withoutADisplayOneLineSaysWhy_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("display");
        QTest::newRow("no display set") << QStringList{} << QString();
        QTest::newRow("a display nobody serves") << QStringList{} << QStringLiteral(":4093");
        QTest::newRow("--help after -- is a path")
            << QStringList{QStringLiteral("--"), QStringLiteral("--help")} << QString();
    }
    void withoutADisplayOneLineSaysWhy() {
        QFETCH(QStringList, args);
        QFETCH(QString, display);
        const Run r = run(args, display);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.contains(QStringLiteral("グラフィカルセッション")), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(StartCommandLineTest)
#include "StartCommandLineTest.moc"
