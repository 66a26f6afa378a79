// The undo of a copy run: the run engine copies every file of one folder into another, then the undo
// engine deletes the copies (each only after comparing its bytes with its source). Compared in the
// same process with a bare unlink() loop over as many copies, and with a loop of the content
// comparisons alone, so the cost of making sure is visible.
//   undo_copy [files] [bytes per file] [folder]   (default 30000 files of 4096 bytes under $TMPDIR or /tmp)

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

namespace {

using Timer = std::chrono::steady_clock;

double secondsSince(Timer::time_point t0) {
    return std::chrono::duration<double>(Timer::now() - t0).count();
}

void makeFiles(const std::string& dir, const std::vector<std::string>& names, std::size_t bytes) {
    std::filesystem::create_directories(dir);
    for (const auto& n : names) {
        std::string content = n;
        content.resize(bytes, '.');
        int fd = ::open((dir + "/" + n).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, content.data(), content.size()) < 0) {
            std::perror(n.c_str());
            std::exit(1);
        }
        ::close(fd);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 30000;
    const std::size_t bytes = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 4096;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = argc > 3 ? argv[3] : std::string(tmp && *tmp ? tmp : "/tmp");
    const std::string root = base + "/rinoza-bench-undo-copy-" + std::to_string(::getpid());
    const std::string src = root + "/src";
    const std::string engineDst = root + "/engine";
    const std::string plainDst = root + "/plain";

    std::vector<std::string> names;
    for (int i = 0; i < files; ++i)
        names.push_back("写真 " + std::to_string(i) + ".jpg");
    makeFiles(src, names, bytes);
    std::filesystem::create_directories(engineDst);
    std::filesystem::create_directories(plainDst);

    FileSystem& fs = systemFileSystem();
    FixedClock clock(LocalDateTime{2026, 12, 6, 19, 42, 0, 0});
    NameBuilder builder(clock, [](const std::string&, FileDateKind) { return std::optional<LocalDateTime>(); });
    RunRequest req;
    req.method = RenameMethod::RenameAndCopy;
    req.destination = engineDst;
    req.rules = RenameRuleSet::defaults(); // the old name and extension: copies keep their names
    req.serialStartText = "1";
    req.historyPath = root + "/rinoza.txt";
    RunCallbacks cb;
    cb.pumpEvents = [] {};
    cb.cancelRequested = [] { return false; };

    std::vector<FileListRow> rows(names.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].folder = src;
        rows[i].name = names[i];
    }
    auto t0 = Timer::now();
    const RunResult run = RunEngine(fs, builder, clock).run(rows, req, cb);
    const double copyRun = secondsSince(t0);
    // The baseline's copies, made the same way.
    int plainCopied = 0;
    for (const auto& n : names)
        plainCopied += fs.copyNoReplace(src + "/" + n, plainDst + "/" + n) == 0;
    ::sync();

    // The comparisons alone, over the baseline's copies (they are deleted only afterwards).
    t0 = Timer::now();
    int same = 0;
    for (const auto& n : names) {
        bool equal = false;
        if (fs.compareContents(src + "/" + n, plainDst + "/" + n, equal) == 0 && equal)
            ++same;
    }
    const double compareOnly = secondsSince(t0);

    t0 = Timer::now();
    const UndoResult undo = UndoEngine(fs).run(req.historyPath, cb);
    const double engineUndo = secondsSince(t0);

    t0 = Timer::now();
    int unlinkFailed = 0;
    for (const auto& n : names)
        unlinkFailed += ::unlink((plainDst + "/" + n).c_str()) != 0;
    const double plainUnlink = secondsSince(t0);

    std::printf("undo_copy: %d files of %zu bytes in %s (copy run %.3f s, %d copied; %d baseline copies)\n", files,
                bytes, base.c_str(), copyRun, run.renamed, plainCopied);
    std::printf("  undo    : engine %.3f s (%s)  bare unlink %.3f s (%d failed)  ratio %.2fx\n", engineUndo,
                undo.statusText().c_str(), plainUnlink, unlinkFailed, engineUndo / plainUnlink);
    std::printf("  compare : content comparisons alone %.3f s (%d equal), %.1f us per file\n", compareOnly, same,
                compareOnly * 1e6 / files);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return run.renamed == files && undo.restored == files ? 0 : 1;
}
