// The rename run engine (history file included) over one folder of files, compared in the same
// process with a plain loop of renameat2(RENAME_NOREPLACE) over the same names; then the undo of
// that run against the same loop backwards.
//   rename_run [files] [folder]      (default 30000 files under $TMPDIR or /tmp)

#include "BenchFolder.h"
#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/RunEngine.h"
#include "run/UndoEngine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace rinoza;

using rinoza::bench::makeFiles;
using rinoza::bench::plainRenameLoop;

namespace {

using Timer = std::chrono::steady_clock;

double secondsSince(Timer::time_point t0) {
    return std::chrono::duration<double>(Timer::now() - t0).count();
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 30000;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = argc > 2 ? argv[2] : std::string(tmp && *tmp ? tmp : "/tmp");
    const std::string root = base + "/rinoza-bench-rename-run-" + std::to_string(::getpid());
    const std::string engineDir = root + "/engine";
    const std::string plainDir = root + "/plain";

    std::vector<std::string> oldNames;
    for (int i = 0; i < files; ++i)
        oldNames.push_back("写真 " + std::to_string(i) + ".jpg");
    makeFiles(engineDir, oldNames);
    makeFiles(plainDir, oldNames);
    // Both folders start from the same state: nothing of their creation is left to write back.
    ::sync();

    std::vector<FileListRow> rows(oldNames.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].folder = engineDir;
        rows[i].name = oldNames[i];
    }
    FileSystem& fs = systemFileSystem();
    FixedClock clock(LocalDateTime{2026, 12, 6, 19, 42, 0, 0});
    NameBuilder builder(clock, [](const std::string&, FileDateKind) { return std::optional<LocalDateTime>(); });
    RunRequest req;
    req.rules = RenameRuleSet::defaults();
    req.rules.elements[0].checked = true; // fixed text
    req.rules.fixF1 = "旅行_";
    req.rules.elements[3].checked = true; // serial number
    req.rules.renKeta = "5";
    req.serialStartText = "1";
    req.historyPath = root + "/rinoza.txt";
    RunCallbacks cb;
    int pumps = 0;
    cb.pumpEvents = [&] { ++pumps; };
    cb.cancelRequested = [] { return false; };

    auto t0 = Timer::now();
    RunResult run = RunEngine(fs, builder, clock).run(rows, req, cb);
    const double engineRun = secondsSince(t0);

    std::vector<std::string> newNames;
    for (const auto& r : rows)
        newNames.push_back(r.name);
    t0 = Timer::now();
    int plainFailed = plainRenameLoop(plainDir, oldNames, newNames);
    const double plainRun = secondsSince(t0);

    ::sync();
    t0 = Timer::now();
    UndoResult undo = UndoEngine(fs).run(req.historyPath, cb);
    const double engineUndo = secondsSince(t0);

    t0 = Timer::now();
    int plainUndoFailed = plainRenameLoop(plainDir, newNames, oldNames);
    const double plainUndo = secondsSince(t0);

    std::printf("rename_run: %d files in %s\n", files, base.c_str());
    std::printf(
        "  run  : engine %.3f s (%d renamed, %d event pumps)  plain renameat2 %.3f s (%d failed)  ratio %.2fx\n",
        engineRun, run.renamed, pumps, plainRun, plainFailed, engineRun / plainRun);
    std::printf("  undo : engine %.3f s (%s)  plain renameat2 %.3f s (%d failed)  ratio %.2fx\n", engineUndo,
                undo.statusText().c_str(), plainUndo, plainUndoFailed, engineUndo / plainUndo);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return run.renamed == files && undo.restored == files ? 0 : 1;
}
