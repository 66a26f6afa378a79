// rinoza-cli --yes renaming one folder of files, process start, search, history and all, compared in
// the same run with a plain loop of renameat2(RENAME_NOREPLACE) over as many files. Each round makes
// both folders afresh; the medians of the rounds are reported.
//   cli_rename RINOZA_CLI [files] [folder] [rounds]   (default 30000 files under $TMPDIR or /tmp, 5 rounds)

#include "BenchFolder.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/RuleSetStore.h"
#include "settings/IniFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace rinoza;

using rinoza::bench::makeFiles;
using rinoza::bench::plainRenameLoop;

namespace {

using Timer = std::chrono::steady_clock;

double secondsSince(Timer::time_point t0) {
    return std::chrono::duration<double>(Timer::now() - t0).count();
}

// User plus system time used so far by this process or by its waited-for children, in seconds; on a
// shared machine it varies less than the wall time.
double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    auto sec = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return sec(u.ru_utime) + sec(u.ru_stime);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the program with its output thrown away; returns its exit status.
int runCli(const std::string& cli, const std::string& home, const std::string& dir) {
    std::vector<std::string> env{"RINOZA_HOME=" + home};
    for (char** e = environ; *e; ++e)
        if (std::string_view(*e).find("RINOZA_HOME=") != 0)
            env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string a0 = cli, a1 = "--yes", a2 = dir;
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv, envp.data()) != 0) {
        std::perror(argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&fa);
    int ws = 0;
    waitpid(pid, &ws, 0);
    return WIFEXITED(ws) ? WEXITSTATUS(ws) : -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: cli_rename RINOZA_CLI [files] [folder] [rounds]\n");
        return 2;
    }
    const std::string cli = argv[1];
    const int files = argc > 2 ? std::atoi(argv[2]) : 30000;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = argc > 3 ? argv[3] : std::string(tmp && *tmp ? tmp : "/tmp");
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
    const std::string root = base + "/rinoza-bench-cli-rename-" + std::to_string(::getpid());
    const std::string home = root + "/home";
    std::filesystem::create_directories(home);

    {
        // The rule of the rename_run benchmark, and a search limit that admits every file.
        IniFile ini(systemFileSystem(), home + "/rinoza.ini");
        StoredRuleSet rule;
        rule.rules.elements[0].checked = true;
        rule.rules.fixF1 = "旅行_";
        rule.rules.elements[3].checked = true;
        rule.rules.renKeta = "5";
        ini.beginUpdate();
        RuleSetStore::writeCurrent(ini, rule);
        ini.WriteInteger("Window", "LVIconMax", files);
        ini.endUpdate();
    }

    std::vector<std::string> oldNames, newNames;
    for (int i = 0; i < files; ++i) {
        oldNames.push_back("写真 " + std::to_string(i) + ".jpg");
        char serial[16];
        std::snprintf(serial, sizeof serial, "%05d", i + 1);
        newNames.push_back("旅行_写真 " + std::to_string(i) + serial + ".jpg");
    }

    std::vector<double> cliTimes, plainTimes, cliCpu, plainCpu;
    int status = 0, plainFailed = 0;
    for (int r = 0; r < rounds; ++r) {
        const std::string cliDir = root + "/cli" + std::to_string(r);
        const std::string plainDir = root + "/plain" + std::to_string(r);
        makeFiles(cliDir, oldNames);
        makeFiles(plainDir, oldNames);
        // Each side starts with nothing left to write back, and they take turns at going first, so
        // neither pays for the other's journal.
        auto timePlain = [&] {
            ::sync();
            const auto t0 = Timer::now();
            const double c0 = cpuSeconds(RUSAGE_SELF);
            plainFailed += plainRenameLoop(plainDir, oldNames, newNames);
            plainTimes.push_back(secondsSince(t0));
            plainCpu.push_back(cpuSeconds(RUSAGE_SELF) - c0);
        };
        auto timeCli = [&] {
            ::sync();
            const auto t0 = Timer::now();
            const double c0 = cpuSeconds(RUSAGE_CHILDREN);
            status |= runCli(cli, home, cliDir);
            cliTimes.push_back(secondsSince(t0));
            cliCpu.push_back(cpuSeconds(RUSAGE_CHILDREN) - c0);
        };
        if (r % 2 == 0) {
            timePlain();
            timeCli();
        } else {
            timeCli();
            timePlain();
        }
        std::error_code ec;
        std::filesystem::remove_all(cliDir, ec);
        std::filesystem::remove_all(plainDir, ec);
    }

    const double c = median(cliTimes), p = median(plainTimes);
    std::printf("cli_rename: %d files in %s, median of %d rounds\n", files, base.c_str(), rounds);
    std::printf("  rinoza-cli --yes %.3f s (exit %d)  plain renameat2 %.3f s (%d failed)  ratio %.2fx (goal 1.15x)\n",
                c, status, p, plainFailed, c / p);
    // Each round's two sides ran one after the other, so the ratio of a round varies less with the
    // load of the machine than the times do.
    std::vector<double> ratios;
    std::printf("  rounds (rinoza-cli/plain):");
    for (std::size_t i = 0; i < cliTimes.size(); ++i) {
        ratios.push_back(cliTimes[i] / plainTimes[i]);
        std::printf(" %.2f", ratios.back());
    }
    std::printf("  median %.2fx\n", median(ratios));
    const double cc = median(cliCpu), pc = median(plainCpu);
    std::printf("  cpu time: rinoza-cli %.3f s  plain renameat2 %.3f s  ratio %.2fx\n", cc, pc, cc / pc);
    std::error_code ec;
    if (std::getenv("RINOZA_BENCH_KEEP_HOME"))
        std::filesystem::rename(home, std::getenv("RINOZA_BENCH_KEEP_HOME"), ec);
    std::filesystem::remove_all(root, ec);
    return status == 0 && plainFailed == 0 ? 0 : 1;
}
