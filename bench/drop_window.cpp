// Dropping 30,000 files onto the main window (offscreen) as a file manager does: a text/uri-list
// drop whose list comes as bytes, one row per file (a drop this short shows no progress dialog), from
// the drop event to the row-count status text and the list painted again. Compared in the same run with a bare loop of
// statx plus one getxattr of the DOS attributes per path, which is what each row needs (warm cache,
// median of 5 each).
//   drop_window [files] [folder]      (default 30000 files in a new folder under /tmp)

#include "BenchFolder.h"
#include "BenchPrompts.h"
#include "app/TFrmMain.h"
#include "common/ui/UserPrompts.h"
#include "filelist/FileListRow.h"
#include "filelist/UriList.h"
#include "filelist/ui/FileListModel.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace rinoza;
using rinoza::bench::BenchPrompts;

namespace {

using bench::ms;
using bench::Steady;
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The data of a drag from another program (a file manager), as Qt hands it over: the list's bytes
// as they came. A plain QMimeData would keep the list as URLs and write all of them out again
// whenever the list is asked for, which no drop from another program costs.
class OtherProgramsData : public QMimeData {
public:
    explicit OtherProgramsData(QByteArray uriList) : m_uriList(std::move(uriList)) {}
    QStringList formats() const override { return {kUriList}; }
    bool hasFormat(const QString& format) const override { return format == kUriList; }

protected:
    QVariant retrieveData(const QString& format, QMetaType) const override {
        return format == kUriList ? QVariant(m_uriList) : QVariant();
    }

private:
    static inline const QString kUriList = QStringLiteral("text/uri-list");
    QByteArray m_uriList;
};

double dropMs(TFrmMain& w, const QByteArray& uriList) {
    w.ClearFileList();
    QApplication::processEvents();
    OtherProgramsData data(uriList);
    const QPoint at = w.rect().center();
    const auto t0 = Steady::now();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &drop);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    QApplication::processEvents(); // the list is painted again
    return ms(Steady::now() - t0);
}

// The baseline: what each row needs of the system, by full path (statx, then the DOS attributes).
double statxMs(const std::vector<std::string>& paths) {
    const auto t0 = Steady::now();
    long regular = 0;
    char attr[256];
    for (const std::string& p : paths) {
        struct statx sx {};
        if (statx(AT_FDCWD, p.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0 && S_ISREG(sx.stx_mode)) {
            ++regular;
            (void)::getxattr(p.c_str(), "user.DOSATTRIB", attr, sizeof attr);
        }
    }
    const double t = ms(Steady::now() - t0);
    if (regular != static_cast<long>(paths.size()))
        std::printf("only %ld of %zu paths are files\n", regular, paths.size());
    return t;
}

// What the drop cannot do without: each file's information with its DOS attributes (statx and
// getxattr), and with its row texts made as well.
double fileInfoMs(const std::vector<std::string>& paths, bool rows) {
    const auto t0 = Steady::now();
    std::size_t n = 0;
    for (const std::string& p : paths) {
        FileInfo info;
        if (systemFileSystem().stat(p, info) == 0) {
            if (rows)
                n += makeFileListRow(info, parentOf(p), true).name.size();
            else
                n += info.name.size();
        }
    }
    const double t = ms(Steady::now() - t0);
    if (n == 0)
        std::printf("no file information\n");
    return t;
}

} // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 30000;
    std::string dir = argc > 2 ? argv[2] : "";
    bool made = false;
    if (dir.empty()) {
        char tmpl[] = "/tmp/rinoza-drop-XXXXXX";
        if (!mkdtemp(tmpl))
            return 1;
        dir = tmpl;
        made = true;
    }
    // 30 folders of files, named as a camera or a download folder would name them.
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const std::string folder = dir + "/d" + std::to_string(i % 30);
        mkdir(folder.c_str(), 0755);
        paths.push_back(folder + "/IMG_" + std::to_string(i) + ".jpg");
        int fd = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0)
            close(fd);
    }
    const std::string home = dir + "/home";
    mkdir(home.c_str(), 0755);
    setenv("RINOZA_HOME", home.c_str(), 1);

    QApplication app(argc, argv);
    BenchPrompts prompts;
    setPrompts(&prompts);
    TFrmMain w(systemFileSystem());
    w.resize(800, 600);
    w.show();
    QApplication::processEvents();
    const std::string list = uriListOf(paths);
    const QByteArray uriList(list.data(), static_cast<qsizetype>(list.size()));

    statxMs(paths); // warm the cache for both
    std::vector<double> dropRuns, statxRuns, infoRuns, rowRuns;
    for (int r = 0; r < 5; ++r) {
        dropRuns.push_back(dropMs(w, uriList));
        statxRuns.push_back(statxMs(paths));
        infoRuns.push_back(fileInfoMs(paths, false));
        rowRuns.push_back(fileInfoMs(paths, true));
    }
    const int rows = w.fileList->rowCount();
    const double d = median(dropRuns), s = median(statxRuns);
    std::printf("drop of %d files onto the window: %d rows, %.1f ms (median of 5)\n", count, rows, d);
    std::printf("bare loop of statx + getxattr over the same paths: %.1f ms; ratio %.2f (goal: within 1.3x)\n", s,
                d / s);
    std::printf("for comparison: the file information of the FileSystem by full path %.1f ms, and with the "
                "row texts %.1f ms\n",
                median(infoRuns), median(rowRuns));
    if (rows != count)
        std::printf("expected %d rows\n", count);

    w.ClearFileList();
    if (made) {
        const std::string rm = "rm -rf '" + dir + "'";
        if (std::system(rm.c_str()) != 0)
            std::printf("could not remove %s\n", dir.c_str());
    }
    return 0;
}
