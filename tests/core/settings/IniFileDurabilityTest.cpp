// Checks the order in which a settings write reaches the disk. This test program defines fsync and
// rename itself, so every call of the settings code lands here first and is recorded while a
// recorder is active, then handed on to the kernel unchanged.

#include "platform/posix/PosixFileSystem.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

std::vector<std::string>* g_calls = nullptr;

std::string pathOfFd(int fd) {
    char buf[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("?");
}

struct CallRecorder {
    std::vector<std::string> calls;
    CallRecorder() { g_calls = &calls; }
    ~CallRecorder() { g_calls = nullptr; }
};

} // namespace

extern "C" int fsync(int fd) {
    if (g_calls)
        g_calls->push_back("fsync " + pathOfFd(fd));
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

extern "C" int rename(const char* from, const char* to) {
    if (g_calls)
        g_calls->push_back(std::string("rename ") + from + " -> " + to);
    return ::renameat(AT_FDCWD, from, AT_FDCWD, to);
}

TEST(IniFileDurability, ContentIsSyncedBeforeTheRenameAndTheFolderAfterIt) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    test::writeFile(path, "[Window]\r\nTop=1\r\n");
    std::vector<std::string> calls;
    {
        CallRecorder recorder;
        IniFile(systemFileSystem(), path).WriteInteger("Window", "Top", 2);
        calls = recorder.calls;
    }
    ASSERT_EQ(calls.size(), 3u) << ::testing::PrintToString(calls);
    // The kernel names the folder by its real path.
    char* realDir = ::realpath(dir.path().c_str(), nullptr);
    ASSERT_NE(realDir, nullptr);
    const std::string folder = realDir;
    std::free(realDir);
    // The new content is written to a temporary file beside the settings file.
    const std::string tempPrefix = "fsync " + folder + "/";
    ASSERT_EQ(calls[0].compare(0, tempPrefix.size(), tempPrefix), 0) << calls[0];
    const std::string tempName = calls[0].substr(tempPrefix.size());
    EXPECT_NE(tempName, "rinoza.ini");
    EXPECT_EQ(calls[1], "rename " + dir.path() + "/" + tempName + " -> " + path);
    EXPECT_EQ(calls[2], "fsync " + folder);
    EXPECT_EQ(IniFile(systemFileSystem(), path).ReadInteger("Window", "Top", 0), 2);
}
