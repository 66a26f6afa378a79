#include "platform/posix/WriteAll.h"

#include "support/TestSupport.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace rinoza;
using rinoza::test::TempDir;

TEST(WriteAll, WritesEveryByteAndReportsTheCount) {
    TempDir dir;
    const std::string path = dir / "out.bin";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    std::string data(3 << 20, '\0'); // larger than one write of a pipe or socket would take
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    std::size_t written = 1;
    EXPECT_EQ(writeAll(fd, data, &written), 0);
    EXPECT_EQ(written, data.size());
    EXPECT_EQ(writeAll(fd, std::string_view(), &written), 0);
    EXPECT_EQ(written, 0u);
    ::close(fd);
    EXPECT_EQ(rinoza::test::readFile(path), data);
}

TEST(WriteAll, FailuresGiveTheErrnoAndWhatGotThrough) {
    std::size_t written = 99;
    EXPECT_EQ(writeAll(-1, "x", &written), EBADF);
    EXPECT_EQ(written, 0u);

    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(writeAll(full, "abc"), ENOSPC);
    ::close(full);

    // A file size limit cuts the write part way: the bytes before it are counted.
    TempDir dir;
    const std::string path = dir / "limited.bin";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &lim);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        std::size_t n = 0;
        const int rc = writeAll(fd, std::string(10000, 'z'), &n);
        _exit(fd >= 0 && rc == EFBIG && n == 4096 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(rinoza::test::readFile(path), std::string(4096, 'z'));
}
