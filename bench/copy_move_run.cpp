// The run engine's copies and moves against the system's own tools in the same run:
//  - rename with copy of every file of one folder into another folder of the same disk, against
//    `cp -p` of the same files into a third folder;
//  - rename with move of every file from a folder in /dev/shm to a folder on the disk (another file
//    system), against `mv` of the same files.
// The engine makes its copies durable by batch (one flush of the destination's file system every few
// hundred files); cp and mv never flush, so a `sync` after them is shown as well. Process start is
// included for neither: the time of the same tool over one file is taken off its time.
//   copy_move_run [files] [bytes per file] [folder on the disk] [folder on another file system] [rounds]
//   (default 30000 files of 4096 bytes, under $TMPDIR or /tmp and under /dev/shm, 3 rounds)

#include "BenchFolder.h"
#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "run/RunEngine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace rinoza;

namespace {

using bench::ms;
using bench::Steady;

void makeFiles(const std::string& dir, const std::vector<std::string>& names, std::size_t bytes) {
    std::filesystem::create_directories(dir);
    for (const auto& n : names) {
        std::string content = n;
        content.resize(bytes, '.');
        const int fd = ::open((dir + "/" + n).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
            std::perror(n.c_str());
            std::exit(1);
        }
        ::close(fd);
    }
}

// Runs `tool flags -t target -- names...` in folder `from`; returns ms, or -1 when it failed.
double runTool(const char* tool, const char* flags, const std::string& from, const std::string& target,
               const std::vector<std::string>& names) {
    std::vector<const char*> argv{tool, flags, "-t", target.c_str(), "--"};
    for (const auto& n : names)
        argv.push_back(n.c_str());
    argv.push_back(nullptr);
    const auto t0 = Steady::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(from.c_str()) == 0)
            ::execvp(tool, const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", tool);
        return -1;
    }
    return ms(Steady::now() - t0);
}

// The time of the tool over a single file: its process start and little else (median of 5).
double toolStartMs(const char* tool, const char* flags, const std::string& scratch) {
    std::vector<double> t;
    for (int i = 0; i < 5; ++i) {
        const std::string from = scratch + "/from" + std::to_string(i);
        const std::string to = scratch + "/to" + std::to_string(i);
        makeFiles(from, {"one"}, 4096);
        std::filesystem::create_directories(to);
        t.push_back(runTool(tool, flags, from, to, {"one"}));
    }
    std::sort(t.begin(), t.end());
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    return t[t.size() / 2];
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double syncMs() {
    const auto t0 = Steady::now();
    ::sync();
    return ms(Steady::now() - t0);
}

// The times of one operation by the engine and by the tool, round by round.
struct Series {
    std::vector<double> engine, tool, ratios, synced;

    // Times both sides, the engine first in even rounds and the tool first in odd ones, each after a
    // sync and with the sync it leaves owing.
    void add(int round, const std::function<double()>& byEngine, const std::function<double()>& byTool) {
        double e = 0, eSync = 0, t = 0, tSync = 0;
        const auto time = [](const std::function<double()>& side, double& ms, double& owed) {
            ::sync();
            ms = side();
            owed = syncMs();
        };
        if (round % 2 == 0) {
            time(byEngine, e, eSync);
            time(byTool, t, tSync);
        } else {
            time(byTool, t, tSync);
            time(byEngine, e, eSync);
        }
        engine.push_back(e);
        tool.push_back(t);
        ratios.push_back(e / t);
        synced.push_back((e + eSync) / (t + tSync));
    }

    void print(const char* what, const char* toolName, double toolStart) const {
        std::printf("  %s : engine %.1f ms (durable)  %s %.1f ms (start %.1f ms taken off)  ratio %.2fx "
                    "(goal: within 1.5x); with the sync after each: %.2fx\n",
                    what, median(engine), toolName, median(tool), toolStart, median(ratios), median(synced));
    }
};

struct EngineRun {
    double ms = 0;
    int done = 0;
};

EngineRun engineRun(RenameMethod method, const std::string& from, const std::vector<std::string>& names,
                    const std::string& to, const std::string& history) {
    FileSystem& fs = systemFileSystem();
    FixedClock clock(LocalDateTime{2026, 12, 6, 19, 42, 0, 0});
    NameBuilder builder(clock, [](const std::string&, FileDateKind) { return std::optional<LocalDateTime>(); });
    RunRequest req;
    req.method = method;
    req.destination = to;
    req.rules = RenameRuleSet::defaults();
    req.rules.elements[0].checked = true; // fixed text, then the old name and extension
    req.rules.fixF1 = "旅行_";
    req.serialStartText = "1";
    req.historyPath = history;
    RunCallbacks cb;
    cb.pumpEvents = [] {};
    cb.cancelRequested = [] { return false; };
    std::vector<FileListRow> rows(names.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].folder = from;
        rows[i].name = names[i];
    }
    const auto t0 = Steady::now();
    const RunResult r = RunEngine(fs, builder, clock).run(rows, req, cb);
    return {ms(Steady::now() - t0), r.renamed};
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 30000;
    const std::size_t bytes = argc > 2 ? static_cast<std::size_t>(std::atol(argv[2])) : 4096;
    const char* tmp = std::getenv("TMPDIR");
    const std::string disk = argc > 3 ? argv[3] : std::string(tmp && *tmp ? tmp : "/tmp");
    const std::string other = argc > 4 ? argv[4] : std::string("/dev/shm");
    const int rounds = argc > 5 ? std::max(1, std::atoi(argv[5])) : 3;
    const std::string tag = "/rinoza-bench-copy-move-" + std::to_string(::getpid());
    const std::string root = disk + tag;
    const std::string shm = other + tag;

    std::vector<std::string> names;
    for (int i = 0; i < files; ++i)
        names.push_back("写真 " + std::to_string(i) + ".jpg");
    std::filesystem::create_directories(root + "/home");
    const double cpStart = toolStartMs("cp", "-p", root + "/scratch");
    const double mvStart = toolStartMs("mv", "-n", shm + "/scratch");

    // Each round makes its folders afresh, and the engine and the tool take turns at going first, so
    // that neither always meets the disk the other left busy; each side is timed with what the disk
    // still owes for it (the sync after it) as well.
    Series copy, move;
    bool allDone = true;
    for (int r = 0; r < rounds; ++r) {
        const std::string round = root + "/r" + std::to_string(r);
        const std::string shmRound = shm + "/r" + std::to_string(r);
        const auto byEngine = [&](RenameMethod method, const std::string& from, const std::string& to,
                                  const std::string& history) {
            return [&, method, from, to, history] {
                const EngineRun e = engineRun(method, from, names, to, history);
                allDone = allDone && e.done == files;
                return e.ms;
            };
        };
        // Copy within the disk.
        makeFiles(round + "/src", names, bytes);
        std::filesystem::create_directories(round + "/engine-copy");
        std::filesystem::create_directories(round + "/cp");
        copy.add(r, byEngine(RenameMethod::RenameAndCopy, round + "/src", round + "/engine-copy", round + "/copy.txt"),
                 [&] { return runTool("cp", "-p", round + "/src", round + "/cp", names) - cpStart; });
        // Move from the other file system to the disk.
        makeFiles(shmRound + "/engine", names, bytes);
        makeFiles(shmRound + "/mv", names, bytes);
        std::filesystem::create_directories(round + "/engine-move");
        std::filesystem::create_directories(round + "/mv");
        move.add(
            r, byEngine(RenameMethod::RenameAndMove, shmRound + "/engine", round + "/engine-move", round + "/move.txt"),
            [&] { return runTool("mv", "-n", shmRound + "/mv", round + "/mv", names) - mvStart; });
        std::printf("  round %d: copy %.0f ms vs cp -p %.0f ms (%.2fx) | move %.0f ms vs mv %.0f ms (%.2fx)\n", r + 1,
                    copy.engine.back(), copy.tool.back(), copy.ratios.back(), move.engine.back(), move.tool.back(),
                    move.ratios.back());
        std::error_code ec;
        std::filesystem::remove_all(round, ec);
        std::filesystem::remove_all(shmRound, ec);
    }

    std::printf("copy_move_run: %d files of %zu bytes; disk %s, other file system %s; medians of %d rounds\n", files,
                bytes, disk.c_str(), other.c_str(), rounds);
    copy.print("copy", "cp -p", cpStart);
    move.print("move", "mv", mvStart);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    std::filesystem::remove_all(shm, ec);
    return allDone ? 0 : 1;
}
