// The result preview of 3,000 photos named by the date they were taken ("撮影日時"), started with
// the results button of the main window (offscreen), compared in the same run with the exiv2 command
// printing Exif.Photo.DateTimeOriginal of the same files (one process for them all). Each timed
// preview starts from rows that have read nothing, so every photo is read again; a preview right
// after one, which reads no photo, is shown besides.
//   photo_dates [photos] [folder]      (default 3000 photos under $TMPDIR or /tmp)

#include "BenchPrompts.h"
#include "app/TFrmMain.h"
#include "common/ui/UserPrompts.h"
#include "filelist/ui/FileListModel.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/NameBuilder.h"
#include "rename/ui/RenameTab.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <vector>

using namespace rinoza;
using rinoza::bench::BenchPrompts;

namespace {

using Timer = std::chrono::steady_clock;

double secondsSince(Timer::time_point t0) {
    return std::chrono::duration<double>(Timer::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double childrenCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    const auto sec = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return sec(u.ru_utime) + sec(u.ru_stime);
}

bool sh(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One photo made by ImageMagick and dated by ExifTool, copied with the date taken moved on by a
// minute per copy (same length, so the EXIF block stays valid).
bool makePhotos(const std::string& dir, int count, std::vector<std::string>& names) {
    const std::string model = dir + "/model.jpg";
    if (!sh("convert -size 320x240 gradient:red-blue -quality 90 '" + model +
            "' && exiftool -q -overwrite_original "
            "-DateTimeOriginal='2021:05:04 10:11:13' -CreateDate='2021:05:04 10:11:13' '" +
            model + "'"))
        return false;
    const std::string bytes = slurp(model);
    std::filesystem::remove(model);
    const std::string stamp = "2021:05:04 10:11:13";
    for (int i = 0; i < count; ++i) {
        std::string copy = bytes;
        char date[32];
        std::snprintf(date, sizeof date, "2021:05:%02d %02d:%02d:13", 4 + i / 1440 % 20, i / 60 % 24, i % 60);
        for (auto at = copy.find(stamp); at != std::string::npos; at = copy.find(stamp, at + 1))
            copy.replace(at, stamp.size(), date);
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        std::ofstream(dir + "/" + name, std::ios::binary) << copy;
        names.push_back(name);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int photos = argc > 1 ? std::atoi(argv[1]) : 3000;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = argc > 2 ? argv[2] : std::string(tmp && *tmp ? tmp : "/tmp");
    const std::string dir = base + "/rinoza-bench-photo-dates-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    std::vector<std::string> names;
    if (!makePhotos(dir, photos, names)) {
        std::printf("photo_dates: skipped (ImageMagick's convert and ExifTool are needed)\n");
        std::filesystem::remove_all(dir);
        return 0;
    }
    const bool haveExiv2 = sh("command -v exiv2 >/dev/null 2>&1");

    const std::string home = dir + "/home";
    std::filesystem::create_directories(home);
    setenv("RINOZA_HOME", home.c_str(), 1);
    BenchPrompts prompts;
    setPrompts(&prompts);
    std::vector<std::string> paths;
    for (const std::string& n : names)
        paths.push_back(dir + "/" + n);
    FixedClock clock(LocalDateTime{2026, 12, 6, 13, 45, 9, 0});
    auto window = std::make_unique<TFrmMain>(systemFileSystem(), paths, &clock);
    window->show();
    QApplication::processEvents();
    RenameTab& tab = *window->tbsSet;
    FileListModel& model = *window->fileList;
    RenameRuleSet rules = RenameRuleSet::defaults();
    rules.elements[7].checked = true;
    tab.applyRuleSet(rules);
    tab.cbDateTime->setCurrentIndex(kDateTakenDateTime);
    const std::string baseline = "cd '" + dir + "' && exiv2 -g Exif.Photo.DateTimeOriginal IMG_*.jpg >/dev/null 2>&1";

    // Both sides read warm files: the first pass of each is not counted. The machine may be shared, so
    // the best pass is shown beside the median.
    constexpr int kTimed = 10;
    std::vector<double> ours, again, theirs, oursCpu, theirsCpu;
    for (int rep = 0; rep <= kTimed; ++rep) {
        window->photoDates().clear();
        auto t0 = Timer::now();
        const double cpu0 = processCpuSeconds();
        tab.btnAns->click();
        const double t = secondsSince(t0);
        const double cpu = processCpuSeconds() - cpu0;
        t0 = Timer::now();
        tab.btnAns->click();
        const double t2 = secondsSince(t0);
        if (rep > 0) {
            ours.push_back(t);
            oursCpu.push_back(cpu);
            again.push_back(t2);
        }
        if (haveExiv2) {
            t0 = Timer::now();
            const double child0 = childrenCpuSeconds();
            sh(baseline);
            if (rep > 0) {
                theirs.push_back(secondsSince(t0));
                theirsCpu.push_back(childrenCpuSeconds() - child0);
            }
        }
    }
    int fellBack = 0, dated = 0;
    for (const FileListRow& row : model.rows()) {
        fellBack += !row.note.empty();
        dated += row.remarks.find("2021_05_") != std::string::npos;
    }
    const std::string sample = model.rows().back().remarks;
    window.reset();
    setPrompts(nullptr);

    std::printf("photo_dates: %d photos in %s, entry 撮影日時, result preview of the main window\n", photos,
                base.c_str());
    const auto best = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    std::printf("  preview : median %.3f s, best %.3f s of %d (%d named by the date taken, %d by the update time, "
                "%d messages; last: %s)\n",
                median(ours), best(ours), kTimed, dated, fellBack, prompts.messages, sample.c_str());
    std::printf("  again   : median %.3f s (the dates kept with the rows, no photo read)\n", median(again));
    if (haveExiv2)
        std::printf("  exiv2 -g Exif.Photo.DateTimeOriginal (one process): median %.3f s, best %.3f s\n"
                    "  ratio   : %.2fx of medians, %.2fx of bests (goal <= 1.20x)\n",
                    median(theirs), best(theirs), median(ours) / median(theirs), best(ours) / best(theirs));
    if (haveExiv2)
        std::printf("  cpu     : preview %.3f s, exiv2 and its shell %.3f s (medians), ratio %.2fx\n", median(oursCpu),
                    median(theirsCpu), median(oursCpu) / median(theirsCpu));
    else
        std::printf("  exiv2 command missing: no baseline\n");
    std::filesystem::remove_all(dir);
    return fellBack == 0 && dated == photos ? 0 : 1;
}
