// The live preview after one edit of the rule, over a list shown in a table view scrolled to its
// middle: how soon the rows in sight show their new names (painted), and how long the whole list
// takes to be foretold again once the edits pause, compared in the same process with the result
// preview of the same list (the progress dialog, every row foretold). The rule numbers the files per
// folder, so the rows above the ones in sight are counted too. Offscreen.
//   live_preview [files] [folder]      (default 30000 files in 30 folders under $TMPDIR or /tmp)

#include "BenchFolder.h"
#include "BenchPrompts.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/ui/LivePreview.h"
#include "run/ui/PreviewController.h"
#include "run/ui/ProgressHost.h"

#include <QApplication>
#include <QTableView>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

using namespace rinoza;
using bench::ms;
using bench::Steady;

namespace {

// The processor time of this process: on a machine shared with other work it varies less than the
// wall clock, and the pause of the live preview costs none of it.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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
    constexpr int kFolders = 30;
    std::vector<FileListRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int f = 0; f < kFolders; ++f) {
        const std::string dir = root + "/files/d" + std::to_string(f);
        std::vector<std::string> names;
        for (int i = f; i < n; i += kFolders)
            names.push_back("file_" + std::to_string(i) + ".dat");
        bench::makeFiles(dir, names);
        for (const std::string& name : names) {
            FileInfo info;
            systemFileSystem().stat(dir + "/" + name, info);
            rows.push_back(makeFileListRow(info, dir, false));
        }
    }

    bench::BenchPrompts prompts;
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
    rules.elements[0].checked = true; // fixed text 1, the one edited
    rules.elements[3].checked = true; // serial, four digits, per folder
    rules.elements[5].checked = true; // "." and the old extension
    rules.renKeta = "4";
    rules.renFolder = true;
    QString status;

    RunHost host;
    host.fileSystem = &systemFileSystem();
    host.window = &window;
    host.progress = &progress;
    host.model = &model;
    host.view = view;
    host.builder = &builder;
    host.rules = [&rules] { return rules; };
    host.startText = [] { return QStringLiteral("1"); };
    host.setStatus = [&status](const QString& s) { status = s; };
    model.appendRows(rows);
    QApplication::processEvents();
    view->scrollTo(model.index(n / 2, 0), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();

    PreviewController controller(host);
    LivePreview& live = controller.live();
    Steady::time_point visibleAt;
    Steady::time_point doneAt;
    double doneCpu = 0;
    bool visible = false;
    bool done = false;
    QObject::connect(&live, &LivePreview::visibleRefreshed, [&] {
        if (visible)
            return;
        view->viewport()->repaint(); // the rows in sight, painted
        visibleAt = Steady::now();
        visible = true;
    });
    QObject::connect(&live, &LivePreview::listRefreshed, [&] {
        doneAt = Steady::now();
        doneCpu = cpuMs();
        done = true;
    });

    std::printf("live preview after one edit, %d rows in %d folders, rows %d.. in sight\n", n, kFolders, n / 2);
    std::vector<double> previews, previewCpus, shownTimes, passes, passCpus;
    for (int round = 0; round < 7; ++round) {
        // Names never looked up before, in the preview as after the edit: the system keeps what it
        // found missing, and a name asked for again is answered sooner.
        rules.fixF1 = "p" + std::to_string(round);
        const auto p0 = Steady::now();
        const double c0 = cpuMs();
        controller.N20Click();
        const double preview = ms(Steady::now() - p0);
        const double previewCpu = cpuMs() - c0;
        QApplication::processEvents();
        if (!live.isArmed()) {
            std::fprintf(stderr, "the preview did not turn the live preview on\n");
            return 1;
        }

        visible = done = false;
        rules.fixF1 = "m" + std::to_string(round); // one edit
        const auto t0 = Steady::now();
        const double e0 = cpuMs();
        live.ruleChanged();
        while (!done)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double shown = ms(visibleAt - t0);
        const double whole = ms(doneAt - t0);
        // The pause is a precise timer: what is left after it is the refresh of the whole list.
        const double pass = whole - LivePreview::kPauseMs;
        const double passCpu = doneCpu - e0;
        const bool right = model.row(0).remarks == "m" + std::to_string(round) + "0001.dat";
        std::printf("  round %d: in sight %5.1f ms; whole list %6.1f ms after the %d ms pause (processor %6.1f ms) "
                    "vs preview %6.1f ms (processor %6.1f ms); %s%s\n",
                    round + 1, shown, pass, LivePreview::kPauseMs, passCpu, preview, previewCpu,
                    status.toUtf8().constData(), right ? "" : " WRONG NAMES");
        previews.push_back(preview);
        previewCpus.push_back(previewCpu);
        shownTimes.push_back(shown);
        passes.push_back(pass);
        passCpus.push_back(passCpu);
    }
    std::printf("median: rows in sight %.1f ms (goal <= 50); whole list %.1f ms vs preview %.1f ms = %.2fx, "
                "processor %.1f ms vs %.1f ms = %.2fx (goal <= 1)\n",
                median(shownTimes), median(passes), median(previews), median(passes) / median(previews),
                median(passCpus), median(previewCpus), median(passCpus) / median(previewCpus));
    setPrompts(nullptr);
    std::filesystem::remove_all(root);
    return 0;
}
