// Names 3,000 photos by the date they were taken ("撮影日時"), compared in the same run with the
// exiv2 command printing Exif.Photo.DateTimeOriginal of the same files (one process for them all).
// Each repetition starts from fresh rows, so every photo is read again.
//   photo_dates [photos] [folder]      (default 3000 photos under $TMPDIR or /tmp)

#include "filelist/FileListRow.h"
#include "rename/NameBuilder.h"
#include "rename/PhotoDate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using namespace rinoza;

namespace {

using Timer = std::chrono::steady_clock;

double secondsSince(Timer::time_point t0) {
    return std::chrono::duration<double>(Timer::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
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

    FixedClock clock(LocalDateTime{2026, 12, 6, 13, 45, 9, 0});
    NameBuilder builder(
        clock, [](const std::string& p, FileDateKind k) { return std::optional(GetFileDate(p, k)); }, photoDateTaken);
    RenameRuleSet rules = RenameRuleSet::defaults();
    rules.elements[7].checked = true;
    rules.dateTime = kDateTakenDateTime;
    const std::string baseline = "cd '" + dir + "' && exiv2 -g Exif.Photo.DateTimeOriginal IMG_*.jpg >/dev/null 2>&1";

    // Both sides read warm files: the first pass of each is not counted.
    std::vector<double> ours, theirs;
    int fellBack = 0;
    std::string sample;
    for (int rep = 0; rep < 6; ++rep) {
        std::vector<FileListRow> rows(names.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].folder = dir;
            rows[i].name = names[i];
        }
        auto t0 = Timer::now();
        int32_t serial = 1;
        fellBack = 0;
        for (FileListRow& row : rows) {
            row.remarks = builder.BuildNewName(rules, row.name, row.folder, false, serial, &row.photoDate);
            fellBack += row.photoDate.usedUpdateTime;
        }
        const double t = secondsSince(t0);
        sample = rows.back().remarks;
        if (rep > 0)
            ours.push_back(t);
        if (haveExiv2) {
            t0 = Timer::now();
            sh(baseline);
            if (rep > 0)
                theirs.push_back(secondsSince(t0));
        }
    }

    std::printf("photo_dates: %d photos in %s, entry 撮影日時, name building over the rows through the core\n", photos,
                base.c_str());
    std::printf("  names : %.3f s median of 5 (%d took the update time; last: %s)\n", median(ours), fellBack,
                sample.c_str());
    if (haveExiv2)
        std::printf("  exiv2 -g Exif.Photo.DateTimeOriginal (one process): %.3f s  ratio %.2fx (goal <= 1.20x)\n",
                    median(theirs), median(ours) / median(theirs));
    else
        std::printf("  exiv2 command missing: no baseline\n");
    std::filesystem::remove_all(dir);
    return fellBack == 0 ? 0 : 1;
}
