// The result preview as the user starts it from the window: the progress dialog, every row's name
// built and its outcome foretold by the run's own code, the remarks updated in the list model shown
// in a table view. Compared in the same process with a bare loop of the name builder and the checks
// the forecast makes of the file system (the source and the target looked up) over the same rows.
// Offscreen.
//   preview_window [files] [folder]      (default 30000 files under $TMPDIR or /tmp)

#include "BenchFolder.h"
#include "BenchPrompts.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/ui/PreviewController.h"
#include "run/ui/ProgressHost.h"

#include <QApplication>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>

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

// What the forecast asks of every row at least: the built name, the same-name test, the source and
// the target looked up.
double bareLoop(const std::vector<FileListRow>& rows, const NameBuilder& builder, const RenameRuleSet& rules,
                int& failing) {
    FileSystem& fs = systemFileSystem();
    failing = 0;
    const auto t0 = Steady::now();
    int32_t serial = 1;
    for (const FileListRow& row : rows) {
        const std::string name = builder.BuildNewName(rules, row.name, row.folder, false, serial);
        FileInfo info;
        if (name == row.name || fs.stat(joinPath(row.folder, row.name), info, false) != 0 ||
            fs.stat(joinPath(row.folder, name), info, false) == 0)
            ++failing;
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
    std::vector<FileListRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const std::string path = dir + "/file_" + std::to_string(i) + ".dat";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || ::write(fd, "x", 1) != 1) {
            std::perror("create");
            return 1;
        }
        ::close(fd);
        FileInfo info;
        systemFileSystem().stat(path, info);
        rows.push_back(makeFileListRow(info, dir, false));
    }

    BenchPrompts prompts;
    setPrompts(&prompts);
    QWidget window;
    auto* view = new QTableView(&window);
    FileListModel model;
    view->setModel(&model);
    (new QVBoxLayout(&window))->addWidget(view);
    window.resize(800, 600);
    window.show();
    ProgressHost progress(&window);
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
    model.appendRows(rows);
    QApplication::processEvents();

    std::printf("result preview from the window, %d rows in %s\n", n, dir.c_str());
    double bestPreview = 1e300, bestLoop = 1e300;
    for (int round = 0; round < 5; ++round) {
        int failing = 0;
        const double loop = bareLoop(rows, builder, rules, failing);
        const auto t0 = Steady::now();
        PreviewController(host).N20Click();
        const double preview = ms(Steady::now() - t0);
        std::printf("  round %d: preview %8.1f ms, bare loop %8.1f ms (%.2fx); %s / loop failing %d\n", round + 1,
                    preview, loop, preview / loop, status.toUtf8().constData(), failing);
        bestPreview = std::min(bestPreview, preview);
        bestLoop = std::min(bestLoop, loop);
        QApplication::processEvents();
    }
    std::printf("best: preview %.1f ms vs bare loop %.1f ms = %.2fx (goal <= 1.3x)\n", bestPreview, bestLoop,
                bestPreview / bestLoop);
    setPrompts(nullptr);
    std::filesystem::remove_all(root);
    return 0;
}
