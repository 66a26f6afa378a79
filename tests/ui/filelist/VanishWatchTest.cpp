// Watching dragged files after a drop: which of them are reported gone.

#include "filelist/ui/VanishWatch.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestSupport.h"

#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace rinoza;
using namespace rinoza::test;
using namespace std::chrono_literals;

class VanishWatchTest : public QObject {
    Q_OBJECT

private slots:
    void reportsTheFilesThatLeaveWhileWatched() {
        struct Case {
            const char* what;
            std::vector<std::string> watched;                  // relative to the folder
            std::function<void(const TempDir&)> before, after; // before the watch starts, and 50 ms into it
            std::vector<std::string> reported;
        };
        auto move = [](const TempDir& d, const char* from, const char* to) {
            std::rename((d / from).c_str(), (d / to).c_str());
        };
        const Case cases[] = {
            {"moved away", {"a", "b"}, nullptr, [&](const TempDir& d) { move(d, "a", "to/a"); }, {"a"}},
            {"two of one folder, one right after the other",
             {"a", "b", "c"},
             nullptr,
             [&](const TempDir& d) {
                 move(d, "a", "to/a");
                 move(d, "c", "to/c");
             },
             {"a", "c"}},
            {"gone before the watch began", {"a", "b"}, [&](const TempDir& d) { move(d, "a", "to/a"); }, nullptr, {}},
            {"the whole folder moved",
             {"sub/x", "sub/y", "b"},
             nullptr,
             [&](const TempDir& d) { move(d, "sub", "to/sub"); },
             {"sub/x", "sub/y"}},
            {"a file of another folder",
             {"a", "sub/x"},
             nullptr,
             [&](const TempDir& d) { move(d, "sub/x", "to/x"); },
             {"sub/x"}},
            {"renamed in place", {"a"}, nullptr, [&](const TempDir& d) { move(d, "a", "a2"); }, {"a"}},
            {"only touched", {"a"}, nullptr, [&](const TempDir& d) { writeFile(d / "a", "new"); }, {}},
        };
        PosixFileSystem fs;
        for (const Case& c : cases) {
            TempDir d;
            makeDirs(d / "to");
            std::vector<std::string> paths;
            for (const std::string& rel : c.watched) {
                writeFile(d / rel, rel);
                paths.push_back(d / rel);
            }
            if (c.before)
                c.before(d);
            std::vector<std::string> reported;
            VanishWatch watch(fs, [&](const std::vector<std::string>& gone) {
                for (const std::string& p : gone)
                    reported.push_back(p.substr(d.path().size() + 1));
            });
            watch.watch(paths, 400ms);
            if (c.after)
                QTimer::singleShot(50, [&] { c.after(d); });
            QTRY_VERIFY_WITH_TIMEOUT(!watch.active(), 10000);
            std::sort(reported.begin(), reported.end());
            QVERIFY2(reported == c.reported, c.what);
        }
    }
};

QTEST_GUILESS_MAIN(VanishWatchTest)
#include "VanishWatchTest.moc"
