// Start-up time: from starting the rinoza process to its main window's first show (offscreen),
// median of 15 runs, each with an empty settings folder of its own, compared in the same run with
// startup_baseline, a plain Qt Widgets program that shows a main window with a table view and the same
// Japanese captions in the same font (the two are started by turns, so both meet the same machine).
//   startup [PATH_TO_RINOZA] [RUNS] [PATH_TO_BASELINE]
//   (defaults: ../rinoza beside this benchmark's folder, 15, startup_baseline beside this benchmark)
// The program is run with RINOZA_EXIT_WHEN_SHOWN=1, which makes it print one line at its first show
// and quit; the time is taken here, when that line arrives, so it includes loading the program.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::string selfFolder() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    const std::string self(buf, static_cast<std::size_t>(n));
    return self.substr(0, self.rfind('/'));
}

std::string defaultBinary() {
    const std::string folder = selfFolder();
    return folder.substr(0, folder.rfind('/')) + "/rinoza";
}

struct Run {
    double wallMs = -1;   // spawn to the "shown" line
    double insideMs = -1; // main() to the show, as the program measured it
};

Run runOnce(const std::string& binary, const std::string& home) {
    Run r;
    int out[2];
    if (pipe(out) != 0)
        return r;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", 0x1 /* O_WRONLY */, 0);

    std::vector<std::string> env = {"RINOZA_EXIT_WHEN_SHOWN=1", "RINOZA_HOME=" + home};
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "RINOZA_", 7) != 0)
            env.emplace_back(*e);
    if (!std::getenv("QT_QPA_PLATFORM"))
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string bin = binary;
    char* argv[] = {bin.data(), nullptr};

    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, binary.c_str(), &fa, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&fa);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return r;
    }
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    const auto t1 = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    double inside = 0;
    if (std::sscanf(line.c_str(), "shown %lf", &inside) == 1) {
        r.wallMs = std::chrono::duration<double, std::milli>(t1 - t0).count();
        r.insideMs = inside;
    }
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Series {
    std::vector<double> wall, inside;
};

void print(const char* what, const Series& s) {
    std::printf("%s: process start to main window shown, median of %zu: %.1f ms (min %.1f, max %.1f; "
                "main() to shown %.1f ms)\n",
                what, s.wall.size(), median(s.wall), *std::min_element(s.wall.begin(), s.wall.end()),
                *std::max_element(s.wall.begin(), s.wall.end()), median(s.inside));
}

// One start with an empty settings folder of its own; false when the program did not report its window.
bool measure(const std::string& binary, Series& into) {
    char tmpl[] = "/tmp/rinoza-startup-XXXXXX";
    const char* home = mkdtemp(tmpl);
    if (!home)
        return false;
    const Run r = runOnce(binary, home);
    const std::string cleanup = std::string("rm -rf '") + home + "'";
    if (std::system(cleanup.c_str()) != 0)
        std::fprintf(stderr, "startup: could not remove %s\n", home);
    if (r.wallMs < 0)
        return false;
    into.wall.push_back(r.wallMs);
    into.inside.push_back(r.insideMs);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string binary = argc > 1 ? argv[1] : defaultBinary();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    const std::string baseline = argc > 3 ? argv[3] : selfFolder() + "/startup_baseline";
    for (const std::string& b : {binary, baseline}) {
        if (access(b.c_str(), X_OK) != 0) {
            std::fprintf(stderr, "startup: cannot run %s\n", b.c_str());
            return 2;
        }
    }
    Series program, plain;
    for (int i = 0; i < runs; ++i) {
        if (!measure(binary, program) || !measure(baseline, plain)) {
            std::fprintf(stderr, "startup: run %d did not report its window\n", i + 1);
            return 1;
        }
    }
    print("startup", program);
    print("baseline (QMainWindow with a QTableView, Japanese captions)", plain);
    std::printf("startup ratio rinoza/baseline: %.2f\n", median(program.wall) / median(plain.wall));
    return 0;
}
