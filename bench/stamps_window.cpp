// The timestamp change and the attribute change as the user starts them from the two tabs: the
// question answered by a script, the progress dialog, the change engine, every row refreshed in the
// list model. Each is compared in the same process with a plain loop of the same system calls over
// the same files: utimensat and the user.DOSATTRIB write for the times, chmod and the same write for
// the attributes. Offscreen, with a hidden top-level widget holding the tabs as the main window.
//   stamps_window [files] [folder]      (default 30000 files under $TMPDIR or /tmp)

#include "BenchFolder.h"
#include "BenchPrompts.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/posix/DosAttrib.h"
#include "platform/posix/PosixFileSystem.h"
#include "run/ui/ProgressHost.h"
#include "stamps/ui/AttrTab.h"
#include "stamps/ui/StampsController.h"
#include "stamps/ui/TimeTab.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using namespace rinoza;
using rinoza::bench::BenchPrompts;

namespace {

using bench::ms;
using bench::Steady;

std::string fileName(int i) {
    return "file_" + std::to_string(i) + ".dat";
}

// The value the window writes for a file with the archive bit, optionally read-only and hidden, and a
// creation time.
std::string dosValue(uint32_t attrib, int64_t created) {
    DosAttrib a;
    a.attrib = attrib;
    a.createTime = FileTime{created, 0};
    return encodeDosAttrib(a);
}

// utimensat (last write only) and the user.DOSATTRIB write for every file; ms, or -1 on failure.
double timesLoop(const std::vector<std::string>& paths, int64_t when) {
    const std::string value = dosValue(AttrArchive, when);
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(when), 0}};
    const auto t0 = Steady::now();
    for (const std::string& p : paths) {
        if (setxattr(p.c_str(), kDosAttribName, value.data(), value.size(), 0) != 0 ||
            utimensat(AT_FDCWD, p.c_str(), times, 0) != 0) {
            std::perror(p.c_str());
            return -1;
        }
    }
    return ms(Steady::now() - t0);
}

// chmod and the user.DOSATTRIB write for every file; ms, or -1 on failure.
double attrLoop(const std::vector<std::string>& paths, bool readOnlyHidden, int64_t created) {
    const std::string value =
        dosValue(readOnlyHidden ? (AttrArchive | AttrReadOnly | AttrHidden) : AttrArchive, created);
    const mode_t mode = readOnlyHidden ? 0444 : 0644;
    const auto t0 = Steady::now();
    for (const std::string& p : paths) {
        // Read-only last, as the window does it.
        if ((!readOnlyHidden && chmod(p.c_str(), mode) != 0) ||
            setxattr(p.c_str(), kDosAttribName, value.data(), value.size(), 0) != 0 ||
            (readOnlyHidden && chmod(p.c_str(), mode) != 0)) {
            std::perror(p.c_str());
            return -1;
        }
    }
    return ms(Steady::now() - t0);
}

// The least a change that keeps what it does not change and shows the file afterwards can do, bare:
// open, read the state and the stored value, write, read the state again, close. ms, or -1.
double floorLoop(const std::vector<std::string>& paths, bool times, bool readOnlyHidden, int64_t when) {
    const std::string value = dosValue(
        times ? AttrArchive : (readOnlyHidden ? (AttrArchive | AttrReadOnly | AttrHidden) : AttrArchive), when);
    const struct timespec stamp[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(when), 0}};
    const mode_t mode = readOnlyHidden ? 0444 : 0644;
    char buf[256];
    const auto t0 = Steady::now();
    for (const std::string& p : paths) {
        const int fd = ::open(p.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct statx sx;
        bool ok = fd >= 0 && statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0;
        ok = ok && fgetxattr(fd, kDosAttribName, buf, sizeof buf) >= 0;
        if (times)
            ok = ok && fsetxattr(fd, kDosAttribName, value.data(), value.size(), 0) == 0 && futimens(fd, stamp) == 0;
        else if (readOnlyHidden)
            ok = ok && fsetxattr(fd, kDosAttribName, value.data(), value.size(), 0) == 0 && fchmod(fd, mode) == 0;
        else
            ok = ok && fchmod(fd, mode) == 0 && fsetxattr(fd, kDosAttribName, value.data(), value.size(), 0) == 0;
        ok = ok && statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok) {
            std::perror(p.c_str());
            return -1;
        }
    }
    return ms(Steady::now() - t0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 30000;
    const std::string root = bench::makeBenchFolder(argc, argv);
    if (root.empty())
        return 1;
    const std::string dir = root + "/files";
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        paths.push_back(dir + "/" + fileName(i));
        const int fd = ::open(paths.back().c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || ::write(fd, "x", 1) != 1) {
            std::perror("create");
            return 1;
        }
        ::close(fd);
    }
    if (setxattr(paths[0].c_str(), "user.rinoza-bench", "1", 1, 0) != 0) {
        std::perror("user extended attributes");
        return 1;
    }
    removexattr(paths[0].c_str(), "user.rinoza-bench");

    BenchPrompts prompts;
    setPrompts(&prompts);
    QWidget window; // hidden main window
    auto* timeTab = new TimeTab(&window);
    auto* attrTab = new AttrTab(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(timeTab);
    layout->addWidget(attrTab);
    ProgressHost progress(&window);
    FileListModel model;
    QString status;
    StampsController controller({timeTab, attrTab, &progress, &model, [&status](const QString& s) { status = s; }});

    std::vector<FileListRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (const std::string& p : paths) {
        FileInfo info;
        systemFileSystem().stat(p, info);
        rows.push_back(makeFileListRow(info, dir, false));
    }
    model.appendRows(std::move(rows));

    // Both times of every file become 2025/1/2 3:04 (local time).
    const DateFieldTexts when{QStringLiteral("2025"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                              QStringLiteral("4")};
    timeTab->fillDateLists(when, when);
    timeTab->cbCrt->setChecked(true);
    timeTab->cbUpd->setChecked(true);
    const int64_t whenSec = fromLocal(LocalDateTime{2025, 1, 2, 3, 4, 0, 0})->sec;
    for (QCheckBox* c : {attrTab->cbAttrRS, attrTab->cbAttrHS})
        c->setChecked(true);

    std::printf("timestamp and attribute changes from the window, %d files in %s\n", n, dir.c_str());
    double bestTimes = 1e300, bestTimesLoop = 1e300, bestAttr = 1e300, bestAttrLoop = 1e300;
    double bestTimesFloor = 1e300, bestAttrFloor = 1e300;
    for (int round = 0; round < 3; ++round) {
        const double tLoop = timesLoop(paths, whenSec);
        auto t0 = Steady::now();
        timeTab->btnDateTimeChg->click();
        const double times = ms(Steady::now() - t0);
        const QString timesStatus = status;

        // Set read-only and hidden, then clear them again: a chmod and a write each way.
        attrTab->cbAttrR->setChecked(true);
        attrTab->cbAttrH->setChecked(true);
        t0 = Steady::now();
        attrTab->btnAttrChg->click();
        attrTab->cbAttrR->setChecked(false);
        attrTab->cbAttrH->setChecked(false);
        attrTab->btnAttrChg->click();
        const double attr = ms(Steady::now() - t0);
        const QString attrStatus = status;
        const double aLoop = attrLoop(paths, true, whenSec) + attrLoop(paths, false, whenSec);
        const double tFloor = floorLoop(paths, true, false, whenSec);
        const double aFloor = floorLoop(paths, false, true, whenSec) + floorLoop(paths, false, false, whenSec);
        if (tLoop < 0 || aLoop < 0 || tFloor < 0 || aFloor < 0)
            return 1;
        bestTimesFloor = std::min(bestTimesFloor, tFloor);
        bestAttrFloor = std::min(bestAttrFloor, aFloor);

        std::printf("  round %d: times %8.1f ms, loop %8.1f ms (%.2fx) | attributes %8.1f ms, loop %8.1f ms (%.2fx)\n",
                    round + 1, times, tLoop, times / tLoop, attr, aLoop, attr / aLoop);
        std::printf("           %s / %s\n", timesStatus.toUtf8().constData(), attrStatus.toUtf8().constData());
        bestTimes = std::min(bestTimes, times);
        bestTimesLoop = std::min(bestTimesLoop, tLoop);
        bestAttr = std::min(bestAttr, attr);
        bestAttrLoop = std::min(bestAttrLoop, aLoop);
    }
    std::printf("best: times %.1f ms vs utimensat+setxattr loop %.1f ms = %.2fx; attributes %.1f ms vs "
                "chmod+setxattr loop %.1f ms = %.2fx (target <= 1.5x)\n",
                bestTimes, bestTimesLoop, bestTimes / bestTimesLoop, bestAttr, bestAttrLoop, bestAttr / bestAttrLoop);
    std::printf(
        "      the least a keeping change can do (open, statx, getxattr, the writes, statx, close), bare: times "
        "%.1f ms = %.2fx the loop, attributes %.1f ms = %.2fx the loop\n",
        bestTimesFloor, bestTimesFloor / bestTimesLoop, bestAttrFloor, bestAttrFloor / bestAttrLoop);
    std::printf("      the window against that least keeping change: times %.2fx, attributes %.2fx (target <= 1.2x)\n",
                bestTimes / bestTimesFloor, bestAttr / bestAttrFloor);
    setPrompts(nullptr);
    std::filesystem::remove_all(root);
    return 0;
}
