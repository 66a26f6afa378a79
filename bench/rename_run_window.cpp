// The rename run as the user starts it from the window: confirmation answered by a script, the
// progress dialog, the run engine, every row updated in the list model, the history file; and the
// undo of that run. Each is compared in the same process with a plain loop of renameat2 over the
// same names. Offscreen, with a hidden top-level widget as the main window.
//   rename_run_window [files] [folder] [rounds]   (default 30000 files under $TMPDIR or /tmp, 5 rounds)
// The rounds take turns at timing the plain loops first; each round's ratios and their medians are
// printed, since the machine's load moves both sides of a round together.

#include "BenchFolder.h"
#include "BenchPrompts.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/ui/ProgressHost.h"
#include "run/ui/RenameRunController.h"
#include "run/ui/TFrmChg.h"
#include "run/ui/UndoController.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace rinoza;
using rinoza::bench::BenchPrompts;

namespace {

using bench::ms;
using bench::Steady;

std::string oldName(int i) {
    return "file_" + std::to_string(i) + ".dat";
}
std::string newName(int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "n%04d.dat", i + 1);
    return buf;
}

// Renames every file of `from` to `to` in dir with renameat2(RENAME_NOREPLACE); returns ms or -1.
double plainLoop(const std::string& dir, int n, std::string (*from)(int), std::string (*to)(int)) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    const auto t0 = Steady::now();
    for (int i = 0; i < n; ++i)
        if (::renameat2(fd, from(i).c_str(), fd, to(i).c_str(), RENAME_NOREPLACE) != 0) {
            std::perror("renameat2");
            ::close(fd);
            return -1;
        }
    const double t = ms(Steady::now() - t0);
    ::close(fd);
    return t;
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
    for (int i = 0; i < n; ++i) {
        const int fd = ::open((dir + "/" + oldName(i)).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || ::write(fd, "x", 1) != 1) {
            std::perror("create");
            return 1;
        }
        ::close(fd);
    }

    BenchPrompts prompts;
    // The confirmation dialog starts a rename in place.
    prompts.dialog = [](QDialog& d) {
        auto& dlg = dynamic_cast<TFrmChg&>(d);
        dlg.setSelectedIndex(0);
        dlg.acStart()->trigger();
        return dlg.result();
    };
    setPrompts(&prompts);
    QWidget window; // hidden main window
    ProgressHost progress(&window);
    FileListModel model;
    SystemClock clock;
    NameBuilder builder(clock, {});
    RenameRuleSet rules = RenameRuleSet::defaults();
    for (auto& e : rules.elements)
        e.checked = false;
    rules.elements[0].checked = true; // "n"
    rules.elements[3].checked = true; // serial, four digits
    rules.elements[5].checked = true; // "." and the old extension
    rules.fixF1 = "n";
    rules.renKeta = "4";
    QString status;

    RunHost host;
    host.fileSystem = &systemFileSystem();
    host.window = &window;
    host.progress = &progress;
    host.model = &model;
    host.builder = &builder;
    host.rules = [&rules] { return rules; };
    host.startText = [] { return QStringLiteral("1"); };
    host.setStatus = [&status](const QString& s) { status = s; };
    host.updateUndoCommands = [] {};

    auto fillModel = [&] {
        std::vector<FileListRow> rows;
        rows.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            FileInfo info;
            systemFileSystem().stat(dir + "/" + oldName(i), info);
            rows.push_back(makeFileListRow(info, dir, false));
        }
        model.clear();
        model.appendRows(std::move(rows));
    };

    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::printf("rename run from the window, %d files in %s, %d rounds\n", n, dir.c_str(), rounds);
    std::vector<double> runRatios, undoRatios;
    for (int round = 0; round < rounds; ++round) {
        double loop = 0, back = 0;
        auto plainLoops = [&] {
            loop = plainLoop(dir, n, oldName, newName);
            back = plainLoop(dir, n, newName, oldName);
            return loop >= 0 && back >= 0;
        };
        if (round % 2 == 0 && !plainLoops())
            return 1;

        fillModel();
        auto t0 = Steady::now();
        RenameRunController(host).btnCnvStartClick();
        const double run = ms(Steady::now() - t0);
        const QString runStatus = status;

        t0 = Steady::now();
        UndoController(host).btnAndoClick();
        const double undo = ms(Steady::now() - t0);
        if (round % 2 == 1 && !plainLoops())
            return 1;

        runRatios.push_back(run / loop);
        undoRatios.push_back(undo / back);
        std::printf("  round %d: run %8.1f ms, loop %8.1f ms (%.2fx) | undo %8.1f ms, loop %8.1f ms (%.2fx)\n",
                    round + 1, run, loop, run / loop, undo, back, undo / back);
        std::printf("           %s / %s\n", runStatus.toUtf8().constData(), status.toUtf8().constData());
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("median of the rounds' ratios: run %.2fx, undo %.2fx (goal: each within 1.3x)\n", median(runRatios),
                median(undoRatios));
    setPrompts(nullptr);
    std::filesystem::remove_all(root);
    return 0;
}
