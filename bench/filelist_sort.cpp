// Sorting 30,000 rows of the file list by name and by size through the header click, compared in
// the same run with sorting the same rows in a plain std::vector with the same comparison.
//   filelist_sort [rows]

#include "filelist/ui/FileListModel.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

using namespace rinoza;

namespace {

std::vector<FileListRow> makeRows(int n) {
    std::mt19937 rng(12345);
    const char* stems[] = {"photo", "Report", "写真", "memo", "データ", "IMG_", "readme", "Zeta", "ｶﾅ", "été"};
    const char* exts[] = {".jpg", ".JPG", ".txt", ".pdf", ".tar.gz", ""};
    std::vector<FileListRow> rows;
    rows.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        FileInfo info;
        info.name = std::string(stems[rng() % 10]) + std::to_string(rng() % 100000) + exts[rng() % 6];
        info.size = static_cast<int64_t>(rng() % (50u << 20));
        info.lastWrite = FileTime{1600000000 + static_cast<int64_t>(rng() % 100000000), 0};
        info.attributes = AttrArchive;
        rows.push_back(makeFileListRow(info, "/home/user/pictures/" + std::to_string(i % 300), false));
    }
    return rows;
}

double ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void compare(FileListModel& model, const std::vector<FileListRow>& original, int column, const char* label) {
    using clock = std::chrono::steady_clock;
    model.clear();
    model.appendRows(original);
    model.setSortKey(0);
    auto t0 = clock::now();
    model.lvFileColumnClick(column);
    const double modelMs = ms(clock::now() - t0);

    std::vector<FileListRow> plain = original;
    t0 = clock::now();
    std::stable_sort(plain.begin(), plain.end(),
                     [&](const FileListRow& a, const FileListRow& b) { return model.lvFileCompare(a, b) < 0; });
    const double vectorMs = ms(clock::now() - t0);

    bool same = true;
    for (std::size_t i = 0; i < plain.size() && same; ++i)
        same = plain[i].name == model.row(static_cast<int>(i)).name && plain[i].size == model.row(static_cast<int>(i)).size;
    std::printf("sort by %-5s: model %8.1f ms, std::vector %8.1f ms, ratio %.2f%s\n", label, modelMs, vectorMs,
                modelMs / vectorMs, same ? "" : "  (ORDER DIFFERS)");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 30000;
    const std::vector<FileListRow> rows = makeRows(n);
    FileListModel model;
    std::printf("%d rows\n", n);
    compare(model, rows, FileListModel::ColName, "name");
    compare(model, rows, FileListModel::ColSize, "size");
    return 0;
}
