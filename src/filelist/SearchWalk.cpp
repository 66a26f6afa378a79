#include "filelist/SearchWalk.h"

#include "filelist/WildcardMatcher.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/StatxInfo.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_set>

namespace rinoza {

namespace {

// The record layout of getdents64: inode (8 bytes), offset (8), record length (2), type (1), name.
constexpr std::size_t kDirentReclen = 16;
constexpr std::size_t kDirentType = 18;
constexpr std::size_t kDirentName = 19;

// Folder entries read between two looks at the stop flag and the clock.
constexpr unsigned kEntriesPerCheck = 256;

struct DevIno {
    dev_t dev;
    ino_t ino;
    bool operator==(const DevIno&) const = default;
};

struct DevInoHash {
    std::size_t operator()(const DevIno& k) const noexcept {
        return std::hash<uint64_t>()(static_cast<uint64_t>(k.ino) * 0x9E3779B97F4A7C15ull ^
                                     static_cast<uint64_t>(k.dev));
    }
};

// The names of one folder, read once: its subfolders and its files whose names matched.
struct Listing {
    std::string names; // NUL-separated
    std::vector<uint32_t> folders;
    std::vector<uint32_t> files;
    void clear() {
        names.clear();
        folders.clear();
        files.clear();
    }
    const char* at(uint32_t off) const { return names.c_str() + off; }
};

int64_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

std::string searchFolderOf(const std::string& folderText) {
    std::string s = folderText;
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

struct SearchWalk::Impl {
    SearchWalk& w;
    WildcardMatcher matcher;
    std::vector<FileListRow> batch;
    std::unordered_set<DevIno, DevInoHash> visited;
    std::vector<std::unique_ptr<Listing>> levels;
    std::vector<char> direntBuf = std::vector<char>(64 * 1024);
    std::string currentFolder;
    std::string reportedFolder;
    int64_t lastPump = 0;
    unsigned ticks = 0;

    Impl(SearchWalk& walk) : w(walk), matcher(walk.m_options.pattern) {}

    Listing& level(std::size_t depth) {
        while (levels.size() <= depth)
            levels.push_back(std::make_unique<Listing>());
        return *levels[depth];
    }

    // Reads every name of the open folder fd once. Entries whose kind the file system does not
    // report, and links, are looked at with a stat that follows links. A folder may hold a great many
    // entries, so the window gets its time slice in here too, and a stop ends the read (the caller
    // sees the stop flag and lists nothing more).
    void read(int fd, Listing& out) {
        out.clear();
        const bool wantFolders = w.m_options.subfolders;
        unsigned sinceCheck = 0;
        for (;;) {
            long n = syscall(SYS_getdents64, fd, direntBuf.data(), direntBuf.size());
            if (n <= 0)
                return;
            for (long pos = 0; pos < n;) {
                const char* rec = direntBuf.data() + pos;
                unsigned short reclen;
                std::memcpy(&reclen, rec + kDirentReclen, sizeof reclen);
                pos += reclen;
                if (++sinceCheck >= kEntriesPerCheck) {
                    sinceCheck = 0;
                    if (pumpIfDue())
                        return;
                }
                const char* name = rec + kDirentName;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                    continue;
                std::string_view nv(name);
                unsigned char type = static_cast<unsigned char>(rec[kDirentType]);
                if (type == DT_LNK || type == DT_UNKNOWN) {
                    struct stat st {};
                    const bool ok = fstatat(fd, name, &st, 0) == 0;
                    if (pumpIfDue()) // a stat may wait on a slow or hung file system
                        return;
                    if (!ok)
                        continue;
                    type = S_ISDIR(st.st_mode) ? DT_DIR : (S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN);
                }
                if (type == DT_DIR) {
                    if (wantFolders) {
                        out.folders.push_back(static_cast<uint32_t>(out.names.size()));
                        out.names.append(nv).push_back('\0');
                    }
                } else if (type == DT_REG && matcher.matches(nv)) {
                    out.files.push_back(static_cast<uint32_t>(out.names.size()));
                    out.names.append(nv).push_back('\0');
                }
            }
        }
    }

    void flush() {
        if (batch.empty())
            return;
        std::vector<FileListRow> out;
        out.swap(batch);
        if (w.m_callbacks.rows)
            w.m_callbacks.rows(std::move(out));
    }

    // Called after each listed file and each finished folder; hands over rows and lets the window
    // run once per time slice.
    void tick() {
        if ((++ticks & 15) != 0)
            return;
        pumpIfDue();
    }

    // Hands over rows and lets the window run when the time slice is over. True when the walk is to
    // stop.
    bool pumpIfDue() {
        if (w.m_stop)
            return true;
        const int64_t now = monotonicMs();
        if (now - lastPump < w.m_sliceMs)
            return false;
        flush();
        if (w.m_callbacks.folderChanged && currentFolder != reportedFolder) {
            reportedFolder = currentFolder;
            w.m_callbacks.folderChanged(reportedFolder);
        }
        if (w.m_callbacks.pumpEvents)
            w.m_callbacks.pumpEvents();
        lastPump = monotonicMs();
        return w.m_stop;
    }

    bool enter(int fd) {
        struct stat st {};
        if (fstat(fd, &st) != 0)
            return false;
        return visited.insert(DevIno{st.st_dev, st.st_ino}).second;
    }

    void listFiles(int fd, const std::string& folder, const Listing& listing) {
        const SearchOptions& o = w.m_options;
        for (uint32_t off : listing.files) {
            tick(); // for every file, also those the filters pass over
            if (w.m_stop)
                return;
            const char* name = listing.at(off);
            struct statx sx {};
            if (statx(fd, name, 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0 || !S_ISREG(sx.stx_mode))
                continue;
            FileInfo info;
            info.name = name;
            fillFileInfo(sx, info);
            overlayDosAttrib(joinPath(folder, info.name), info);
            if ((!o.showSystem && (info.attributes & AttrSystem)) ||
                (!o.showHidden && (info.attributes & AttrHidden)) ||
                (!o.showReadOnly && (info.attributes & AttrReadOnly)))
                continue;
            if (w.listedFileCount() + 1 > o.limit) {
                w.m_stop = true;
                w.m_limitHit = true;
                flush();
                if (w.m_callbacks.limitReached)
                    w.m_callbacks.limitReached();
                return;
            }
            batch.push_back(makeFileListRow(info, folder, o.withIcons));
            ++w.m_listed;
        }
    }

    // A folder below the search folder: the folders beneath it first, then its own files.
    void visit(int parentFd, const std::string& parent, const char* name, std::size_t depth) {
        if (w.m_stop)
            return;
        std::string path = joinPath(parent, name);
        int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return;
        if (!enter(fd)) {
            close(fd);
            return;
        }
        currentFolder = path;
        Listing& listing = level(depth);
        read(fd, listing);
        for (uint32_t off : listing.folders) {
            if (w.m_stop)
                break;
            visit(fd, path, listing.at(off), depth + 1);
            tick();
        }
        if (!w.m_stop) {
            currentFolder = path;
            listFiles(fd, path, listing);
        }
        close(fd);
    }
};

SearchWalk::SearchWalk(SearchOptions options, SearchCallbacks callbacks)
    : m_options(std::move(options)), m_callbacks(std::move(callbacks)) {}

SearchWalk::~SearchWalk() = default;

SearchResult SearchWalk::run(const std::string& folderText) {
    SearchResult result;
    const std::string root = searchFolderOf(folderText);
    Impl impl(*this);
    impl.lastPump = monotonicMs();
    if (!m_stop) {
        int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            impl.currentFolder = root;
            if (m_callbacks.folderChanged) {
                impl.reportedFolder = root;
                m_callbacks.folderChanged(root);
            }
            impl.enter(fd);
            Listing& listing = impl.level(0);
            impl.read(fd, listing);
            impl.listFiles(fd, root, listing);
            for (uint32_t off : listing.folders) {
                if (m_stop)
                    break;
                impl.visit(fd, root, listing.at(off), 1);
                impl.tick();
            }
            close(fd);
        }
    }
    impl.flush();
    result.listed = m_listed;
    result.limitReached = m_limitHit;
    result.stopped = m_stop && !m_limitHit;
    return result;
}

std::optional<FileListRow> addedPathRow(const std::string& path, bool withIcon) {
    FileInfo info;
    if (systemFileSystem().stat(path, info) != 0 || !info.isRegular)
        return std::nullopt;
    return makeFileListRow(info, parentOf(path), withIcon);
}

} // namespace rinoza
