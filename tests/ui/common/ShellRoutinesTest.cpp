#include "common/ui/ShellRoutines.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"
#include "support/ui/ScriptedPrompts.h"

#include <QTest>
#include <QUrl>
#include <cerrno>
#include <cstdlib>

using namespace rinoza;
using namespace rinoza::test;

namespace {

// Trashing fails for the files named here; everything else goes to the real file system.
class RefusingFileSystem : public PosixFileSystem {
public:
    std::vector<std::string> refused;
    TrashResult moveToTrash(const std::string& path) override {
        for (const auto& r : refused)
            if (r == path)
                return TrashResult{EXDEV, {}, {}};
        return PosixFileSystem::moveToTrash(path);
    }
};

} // namespace

class ShellRoutinesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_home = std::make_unique<TempDir>();
        setenv("XDG_DATA_HOME", m_home->path().c_str(), 1);
    }
    void cleanup() {
        unsetenv("XDG_DATA_HOME");
        m_home.reset();
    }

    void openExistingFileGoesToTheDesktopAsAUrl() {
        ScriptedPrompts prompts;
        TempDir dir;
        const std::string f = dir / "a b#日本.txt";
        writeFile(f, "");
        QVERIFY(ShellOpen(systemFileSystem(), f));
        QCOMPARE(prompts.opened.size(), 1);
        QCOMPARE(QUrl(prompts.opened.front()).toLocalFile(), QString::fromUtf8(f.c_str()));
        QVERIFY(prompts.asked.empty());
    }

    // A name that is not UTF-8 (here CP932 bytes) reaches the desktop byte for byte; "#", "%" and "?"
    // stay part of the name.
    void openHandsTheNamesOwnBytesToTheDesktop() {
        ScriptedPrompts prompts;
        TempDir dir;
        for (const std::string& name :
             {std::string("\x93\xfa\x96\x7b.txt"), std::string("bad\xff name.txt"), std::string("100%#?.txt")}) {
            const std::string f = dir / name;
            writeFile(f, "");
            prompts.opened.clear();
            QVERIFY(ShellOpen(systemFileSystem(), f));
            QCOMPARE(prompts.opened.size(), 1);
            const QUrl url(prompts.opened.front(), QUrl::StrictMode);
            QVERIFY(url.isValid());
            QCOMPARE(url.scheme(), QStringLiteral("file"));
            QVERIFY(url.query().isEmpty());
            QVERIFY(url.fragment().isEmpty());
            const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
            QCOMPARE(path.toStdString(), f);
        }
        QVERIFY(prompts.asked.empty());
    }

    void openMissingFileWarns() {
        ScriptedPrompts prompts;
        TempDir dir;
        QVERIFY(!ShellOpen(systemFileSystem(), dir / "none.txt"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text,
                 QString::fromUtf8((dir / "none.txt").c_str()) + QStringLiteral("\nが存在しません。"));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QVERIFY(prompts.opened.isEmpty());
    }

    void openWithoutApplicationWarns() {
        struct NoApp : ScriptedPrompts {
            bool openUrl(const QString&) override { return false; }
        } prompts;
        TempDir dir;
        writeFile(dir / "a.xyz", "");
        QVERIFY(!ShellOpen(systemFileSystem(), dir / "a.xyz"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].text, QStringLiteral("関連付けされたアプリケーションがありません。"));
    }

    void deleteAsksOnceThenTrashesAll() {
        ScriptedPrompts prompts;
        TempDir dir;
        writeFile(dir / "one.txt", "1");
        writeFile(dir / "two.txt", "2");
        ShellDeleteFiles(systemFileSystem(), {dir / "one.txt", dir / "two.txt"}, false, true);
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].type, MsgType::Confirmation);
        QCOMPARE(prompts.asked[0].buttons, MsgButtons::YesNo);
        QVERIFY(prompts.asked[0].text.startsWith(QStringLiteral("2 ")));
        QVERIFY(!pathExists(dir / "one.txt"));
        QVERIFY(!pathExists(dir / "two.txt"));
        QCOMPARE(readFile(m_home->path() + "/Trash/files/two.txt"), std::string("2"));
    }

    void deleteAnsweredNoChangesNothing() {
        ScriptedPrompts prompts;
        prompts.answer(mrNo);
        TempDir dir;
        writeFile(dir / "one.txt", "1");
        ShellDeleteFiles(systemFileSystem(), {dir / "one.txt"}, true, true);
        QVERIFY(pathExists(dir / "one.txt"));
        ShellDeleteFiles(systemFileSystem(), {dir / "one.txt"}, true, false); // no question: deleted for good
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QVERIFY(!pathExists(dir / "one.txt"));
        QVERIFY(!pathExists(m_home->path() + "/Trash/files/one.txt"));
    }

    void filesThatCannotBeTrashedStayAndAreNamedOnce() {
        ScriptedPrompts prompts;
        TempDir dir;
        RefusingFileSystem fs;
        fs.refused = {dir / "b.txt", dir / "c.txt"};
        for (const char* n : {"a.txt", "b.txt", "c.txt"})
            writeFile(dir / n, n);
        ShellDeleteFiles(fs, {dir / "a.txt", dir / "b.txt", dir / "c.txt"}, false, false);
        QVERIFY(!pathExists(dir / "a.txt"));
        QCOMPARE(readFile(dir / "b.txt"), std::string("b.txt"));
        QVERIFY(pathExists(dir / "c.txt"));
        QCOMPARE(prompts.asked.size(), std::size_t(1));
        QCOMPARE(prompts.asked[0].type, MsgType::Warning);
        QVERIFY(prompts.asked[0].text.contains(QString::fromUtf8((dir / "b.txt").c_str())));
        QVERIFY(prompts.asked[0].text.contains(QString::fromUtf8((dir / "c.txt").c_str())));
        QVERIFY(!prompts.asked[0].text.contains(QString::fromUtf8((dir / "a.txt").c_str())));
    }

private:
    std::unique_ptr<TempDir> m_home;
};

QTEST_MAIN(ShellRoutinesTest)
#include "ShellRoutinesTest.moc"
