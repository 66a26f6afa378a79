// The manual names every command the window offers (main menu, the list's menu, the tabs) as the
// window shows it, has the anchors the help commands open, and is found where an install puts it.

#include "app/TFrmMain.h"
#include "common/ui/Manual.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/ui/RenameTab.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace rinoza;

namespace {

QString manualSource() {
    return QString::fromUtf8(qgetenv("RINOZA_TEST_SOURCE_DIR")) + QStringLiteral("/../docs/manual.html");
}

// The manual's text as a reader sees it: no tags, entities decoded, runs of blanks as one.
QString readableText(QString html) {
    html.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html.simplified();
}

// A caption as the window shows it: the access key marker gone, "名前(&N)" reads "名前(N)".
QString shown(QString caption) {
    return caption.remove(QLatin1Char('&')).trimmed();
}

void collect(const QList<QAction*>& actions, QStringList& out) {
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        out << shown(a->text());
        if (a->menu())
            collect(a->menu()->actions(), out);
    }
}

} // namespace

class ManualContentTest : public QObject {
    Q_OBJECT

    QString m_html;

private slots:
    void initTestCase() {
        QFile f(manualSource());
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        m_html = QString::fromUtf8(f.readAll());
    }

    void namesEveryMenuItemAndTab() {
        test::TempDir home;
        qputenv("RINOZA_HOME", QByteArray::fromStdString(home.path()));
        qputenv("HOME", QByteArray::fromStdString(home.path()));
        TFrmMain w(systemFileSystem());
        QStringList captions;
        collect(w.mm1->actions(), captions);
        const int mainMenu = static_cast<int>(captions.size());
        collect(w.pmList->actions(), captions);
        for (int i = 0; i < w.pgcMain->count(); ++i)
            captions << w.pgcMain->tabText(i);
        // The rule's options on the rename tab, with the entries of their lists.
        for (QCheckBox* b : {w.tbsSet->cbChgRegex, w.tbsSet->cbRenFolder, w.tbsSet->cbNfc})
            captions << shown(b->text());
        for (QLabel* l : {w.tbsSet->lblWidth, w.tbsSet->lblKana})
            captions << shown(l->text());
        for (QComboBox* c : {w.tbsSet->cbWidth, w.tbsSet->cbKana})
            for (int i = 0; i < c->count(); ++i)
                captions << c->itemText(i);
        QVERIFY(mainMenu >= 20);
        QVERIFY(captions.size() >= mainMenu + 7 + 4 + 5 + 8);

        const QString text = readableText(m_html);
        QStringList missing;
        for (const QString& c : captions)
            if (!text.contains(c))
                missing << c;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral(" | "))));
    }

    void hasTheAnchorsTheHelpCommandsOpen() {
        for (const QString& anchor : {manualContext(1), manualContext(11), manualContext(13), QStringLiteral("topics")})
            QVERIFY2(m_html.contains(QStringLiteral("id=\"%1\"").arg(anchor)), qPrintable(anchor));
    }

    void theInstalledProgramFindsItsManual() {
        test::TempDir prefix;
        const QString root = QString::fromStdString(prefix.path());
        QVERIFY(QDir().mkpath(root + QStringLiteral("/bin")));
        QVERIFY(QDir().mkpath(root + QStringLiteral("/share/doc/rinoza")));
        QFile manual(root + QStringLiteral("/share/doc/rinoza/manual.html"));
        QVERIFY(manual.open(QIODevice::WriteOnly));
        manual.close();
        QCOMPARE(manualFileFor(root + QStringLiteral("/bin")), QFileInfo(manual).canonicalFilePath());
    }
};

QTEST_MAIN(ManualContentTest)
#include "ManualContentTest.moc"
