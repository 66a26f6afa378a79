// Copies and moves made durable by batch: nothing a flush cannot make durable is reported done, and a
// moved source goes only once its copy is on the disk.

#include "platform/posix/PosixTransfers.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace rinoza;
using namespace rinoza::test;
using namespace std::chrono_literals;

namespace {

struct Batch {
    TempDir src;
    TempDir dst;
    PosixFileSystem real;
    FaultyFileSystem fs{real};
    std::unique_ptr<Folder> from, to;

    explicit Batch(bool across) : dst(across ? otherFileSystemBase(src.path()) : std::string()) {
        for (const char* n : {"a", "b", "c"})
            writeFile(src / n, std::string(n) + " bytes");
        EXPECT_EQ(fs.openFolder(src.path(), nullptr, from), 0);
        EXPECT_EQ(fs.openFolder(dst.path(), nullptr, to), 0);
    }
};

} // namespace

TEST(Transfers, AFlushDecidesWhatIsDoneAndTakesBackWhatItCannotMakeDurable) {
    enum class Op { Copy, Move };
    // Each row: what the three files undergo, the fault laid on the flush, what the caller's own
    // flush answers, and the outcomes the flush gives.
    const struct {
        const char* name;
        Op op;
        const char* fault; // a step of the flush ("" none)
        int before;        // what beforeRemoving returns
        std::vector<int> outcomes;
    } rows[] = {
        {"copies", Op::Copy, "", 0, {0, 0, 0}},
        {"moves", Op::Move, "", 0, {0, 0, 0}},
        // syncfs fails: each copy is flushed on its own, so none is lost.
        {"copies, sync refused", Op::Copy, "sync", 0, {0, 0, 0}},
        {"moves, sync refused", Op::Move, "sync", 0, {0, 0, 0}},
        // The records could not be flushed: moves are taken back, copies stay.
        {"copies, records refused", Op::Copy, "", EIO, {0, 0, 0}},
        {"moves, records refused", Op::Move, "", EIO, {EIO, EIO, EIO}},
        // The second source cannot be removed: that move alone is taken back.
        {"moves, a source kept", Op::Move, "unlink-source", 0, {0, EACCES, 0}},
    };
    if (otherFileSystemBase(TempDir().path()).empty())
        GTEST_SKIP() << "no second file system to move to";
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Batch b(true);
        if (*r.fault)
            b.fs.failAt(r.fault, std::string(r.fault) == "unlink-source" ? 2 : 1, EACCES);
        auto batch = b.fs.beginTransfers();
        for (const char* n : {"a", "b", "c"}) {
            bool pending = false;
            const int rc = r.op == Op::Copy ? batch->copy(*b.from, n, *b.to, std::string(n) + "2", pending)
                                            : batch->move(*b.from, n, *b.to, std::string(n) + "2", pending);
            ASSERT_EQ(rc, 0);
            EXPECT_TRUE(pending);
            EXPECT_TRUE(pathExists(b.src / n)); // a moved source waits for the flush
        }
        std::vector<int> outcomes;
        batch->flush([&] { return r.before; }, outcomes);
        EXPECT_EQ(outcomes, r.outcomes);
        for (std::size_t i = 0; i < 3; ++i) {
            const std::string n = std::string(1, static_cast<char>('a' + i));
            const bool done = outcomes[i] == 0;
            EXPECT_EQ(pathExists(b.dst / (n + "2")), done) << n;
            EXPECT_EQ(pathExists(b.src / n), r.op == Op::Copy || !done) << n;
            EXPECT_EQ(readFile(done ? b.dst / (n + "2") : b.src / n), n + " bytes");
        }
    }
}

TEST(Transfers, ASourceChangedBeforeTheFlushIsKept) {
    if (otherFileSystemBase(TempDir().path()).empty())
        GTEST_SKIP() << "no second file system to move to";
    // Each row: what happens to the source between the copy and the flush, the outcome, and what is
    // left in the two places. Nothing of either file is ever lost.
    const struct {
        const char* name;
        bool replace; // another file takes the name, else the file itself grows
        int outcome;
        const char* source;
        const char* copy;
    } rows[] = {
        {"replaced", true, 0, "someone else's", "a bytes"},
        {"written to", false, ESTALE, "a bytes and more", nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Batch b(true);
        auto batch = b.fs.beginTransfers();
        bool pending = false;
        ASSERT_EQ(batch->move(*b.from, "a", *b.to, "a2", pending), 0);
        if (r.replace) {
            ASSERT_EQ(::unlink((b.src / "a").c_str()), 0);
            writeFile(b.src / "a", "someone else's");
        } else {
            writeFile(b.src / "a", "a bytes and more");
        }
        std::vector<int> outcomes;
        batch->flush({}, outcomes);
        EXPECT_EQ(outcomes, std::vector<int>{r.outcome});
        EXPECT_EQ(readFile(b.src / "a"), r.source);
        EXPECT_EQ(pathExists(b.dst / "a2"), r.copy != nullptr);
        if (r.copy) {
            EXPECT_EQ(readFile(b.dst / "a2"), r.copy);
        }
    }
}

TEST(Transfers, ABatchNeverFlushedKeepsEverySource) {
    if (otherFileSystemBase(TempDir().path()).empty())
        GTEST_SKIP() << "no second file system to move to";
    Batch b(true);
    {
        auto batch = b.fs.beginTransfers();
        bool pending = false;
        ASSERT_EQ(batch->move(*b.from, "a", *b.to, "a2", pending), 0);
        ASSERT_EQ(batch->copy(*b.from, "b", *b.to, "b2", pending), 0);
    }
    EXPECT_TRUE(pathExists(b.src / "a"));
    EXPECT_FALSE(pathExists(b.dst / "a2"));
    EXPECT_EQ(readFile(b.dst / "b2"), "b bytes");
}

TEST(Transfers, AFlushIsDueAfterSoManyFilesAndTheIntervalOrSoManyBytes) {
    TempDir src, dst;
    writeFile(src / "small", "12345");
    writeFile(src / "big", std::string(3000, 'x'));
    PosixFileSystem fs;
    std::unique_ptr<Folder> from, to;
    ASSERT_EQ(fs.openFolder(src.path(), nullptr, from), 0);
    ASSERT_EQ(fs.openFolder(dst.path(), nullptr, to), 0);
    const struct {
        TransferLimits limits;
        std::vector<const char*> names;
        bool due;
    } rows[] = {
        {{2, 1 << 20, 0ms}, {"small"}, false},
        {{2, 1 << 20, 0ms}, {"small", "small"}, true},
        {{2, 1 << 20, 1h}, {"small", "small"}, false},   // too soon after the last flush
        {{1, 1 << 20, 1h, 2}, {"small", "small"}, true}, // as many files as a flush may wait for
        {{10, 2048, 1h}, {"small"}, false},
        {{10, 2048, 1h}, {"big"}, true},
    };
    int made = 0;
    for (const auto& r : rows) {
        PosixTransferBatch batch(nullptr, r.limits);
        for (const char* n : r.names) {
            bool pending = false;
            ASSERT_EQ(batch.copy(*from, n, *to, "copy" + std::to_string(++made), pending), 0);
        }
        EXPECT_EQ(batch.flushDue(), r.due);
        std::vector<int> outcomes;
        batch.flush({}, outcomes);
        EXPECT_FALSE(batch.flushDue());
    }
}

TEST(Transfers, ACopyKeepsTheModeAndAttributesOfAReadOnlySource) {
    Batch b(false);
    const bool xattrs = ::setxattr((b.src / "a").c_str(), "user.note", "kept", 4, 0) == 0;
    ASSERT_EQ(b.real.setTimes(b.src / "a", std::nullopt, FileTime{1500000000, 123}), 0);
    ASSERT_EQ(::chmod((b.src / "a").c_str(), 0444), 0);
    auto batch = b.fs.beginTransfers();
    bool pending = false;
    ASSERT_EQ(batch->copy(*b.from, "a", *b.to, "a2", pending), 0);
    std::vector<int> outcomes;
    batch->flush({}, outcomes);
    struct stat st {};
    ASSERT_EQ(::stat((b.dst / "a2").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 123);
    if (xattrs) {
        char value[16] = {};
        EXPECT_EQ(::getxattr((b.dst / "a2").c_str(), "user.note", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_EQ(readFile(b.dst / "a2"), "a bytes");
    ::chmod((b.dst / "a2").c_str(), 0644);
    ::chmod((b.src / "a").c_str(), 0644);
}
