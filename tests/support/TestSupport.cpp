#include "support/TestSupport.h"

#include "platform/posix/WriteAll.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace rinoza::test {

namespace {

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "test support: %s: %s\n", what.c_str(), std::strerror(errno));
    std::abort();
}

std::string fnv(const std::string& data) {
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : data) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

void walk(const std::string& root, const std::string& rel, std::map<std::string, std::string>& out) {
    const std::string dir = rel.empty() ? root : root + "/" + rel;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..")
            continue;
        std::string r = rel.empty() ? n : rel + "/" + n;
        struct stat st {};
        if (lstat((root + "/" + r).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            out[r] = "dir";
            walk(root, r, out);
        } else if (S_ISREG(st.st_mode)) {
            out[r] = fnv(readFile(root + "/" + r));
        } else if (S_ISLNK(st.st_mode)) {
            out[r] = "link";
        }
    }
    closedir(d);
}

} // namespace

TempDir::TempDir(const std::string& base) {
    std::string b = base;
    if (b.empty()) {
        const char* t = std::getenv("TMPDIR");
        b = (t && *t) ? t : "/tmp";
    }
    std::string tmpl = b + "/rinoza-test-XXXXXX";
    if (!mkdtemp(tmpl.data()))
        fail("mkdtemp " + tmpl);
    m_path = tmpl;
}

TempDir::~TempDir() { removeTree(m_path); }

void makeDirs(const std::string& path) {
    std::string cur;
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        cur = path.substr(0, j);
        if (!cur.empty() && mkdir(cur.c_str(), 0777) != 0 && errno != EEXIST)
            fail("mkdir " + cur);
        i = j + 1;
    }
}

void writeFile(const std::string& path, const std::string& content) {
    auto slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        makeDirs(path.substr(0, slash));
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        fail("open " + path);
    if (const int e = writeAll(fd, content)) {
        errno = e;
        fail("write " + path);
    }
    ::close(fd);
}

bool readFile(const std::string& path, std::string& content) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    content.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

std::string readFile(const std::string& path) {
    std::string c;
    readFile(path, c);
    return c;
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

std::map<std::string, std::string> snapshotTree(const std::string& root) {
    std::map<std::string, std::string> out;
    walk(root, "", out);
    return out;
}

void removeTree(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISDIR(st.st_mode)) {
        chmod(path.c_str(), 0700);
        if (DIR* d = opendir(path.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..")
                    removeTree(path + "/" + n);
            }
            closedir(d);
        }
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::vector<std::string> subfoldersInListingOrder(const std::string& dir) {
    std::vector<std::string> out;
    DIR* d = opendir(dir.c_str());
    if (!d)
        fail("opendir " + dir);
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != ".." && e->d_type == DT_DIR)
            out.push_back(n);
    }
    closedir(d);
    return out;
}

std::vector<std::string> writeSearchTree(const TempDir& t) {
    writeFile(t / "f1.txt", "");
    writeFile(t / "A/a1.txt", "");
    writeFile(t / "A/A1/x.txt", "");
    writeFile(t / "B/b1.txt", "");
    writeFile(t / "B/skip.dat", "");
    return {t / "f1.txt", t / "A/A1/x.txt", t / "A/a1.txt", t / "B/b1.txt"};
}

void writeBigTree(const TempDir& t, int folders, int files) {
    for (int d = 0; d < folders; ++d)
        for (int f = 0; f < files; ++f)
            writeFile(t / ("d" + std::to_string(d) + "/f" + std::to_string(f) + ".txt"), "");
}

std::string otherFileSystemBase(const std::string& path) {
    struct stat here {};
    if (::stat(path.c_str(), &here) != 0)
        return "";
    for (const char* base : {"/dev/shm", "/tmp", "/var/tmp"}) {
        struct stat st {};
        if (::stat(base, &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev != here.st_dev && ::access(base, W_OK) == 0)
            return base;
    }
    return "";
}

} // namespace rinoza::test
