#pragma once

// Copies and moves on Linux, made durable by batch.
//
// A copy streams the source's data (a reflink where the file system shares blocks, else
// copy_file_range, else read and write) into the target's final name, created exclusively so that
// nothing is ever replaced; then it takes the user.* extended attributes, the mode and the times
// (the times last). A failed copy removes what it made. Copies are not flushed one by one: the batch
// flushes each destination file system once (syncfs) for many files (at least a thousand and a
// second's work apart, at most some ten thousand) or some tens of MiB, and at the end.
//
// Why this loses nothing, with the history written ahead of each operation (see RunEngine):
// - The source of a copy is only ever read, so a crash at any point leaves it whole; at worst an
//   unfinished copy stands under the new name. The undo deletes a copy only when it holds the very
//   bytes, size and last write time of its source, so it never takes an unfinished copy for a whole
//   one, nor a file written later under that name.
// - The source of a move to another file system is removed only at the flush of its batch, after
//   the destination file system has been flushed (the copy's data and name are on the disk) and the
//   caller has flushed its records (beforeRemoving: the history names the copy). A crash or power
//   cut before that leaves the source where it was, with or without its copy; one after it leaves
//   a durable copy that a durable record names, so the undo finds every file, as its source or as
//   its copy. Where both are left, the undo sees the same bytes on both sides and removes the copy.
// - A move on one file system is a rename, which the file system makes atomic.
// - When a flush cannot make a copy durable, or cannot remove a source, that transfer is taken back
//   (its copy removed, its source kept) and reported, so the caller can take its record back too.

#include "platform/Transfers.h"
#include "platform/posix/PosixFolder.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace rinoza {

// For tests: called at each named step of a copy or move ("open", "data", "attributes", "publish",
// "sync", "unlink-source"); a non-zero return is taken as that step's errno.
using FaultHook = std::function<int(std::string_view step)>;

// How much a batch gathers before its flush is due. Each flush waits for the file system's journal
// to commit and the disk to write: small files share it by the thousand, and no more often than the
// interval, so that the waits stay a small part of the run; big ones flush every 64 MiB.
struct TransferLimits {
    std::size_t files = 1024;
    uint64_t bytes = uint64_t{64} << 20;
    std::chrono::milliseconds interval{1000};
    std::size_t maxFiles = 16384; // due whatever the time
};

class PosixTransferBatch final : public TransferBatch {
public:
    explicit PosixTransferBatch(const FaultHook* fault = nullptr, TransferLimits limits = TransferLimits());
    // Pending transfers that were never flushed: every source stays, the copies of moves are removed.
    ~PosixTransferBatch() override;

    int copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override;
    int move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override;
    bool flushDue() const override;
    void flush(const std::function<int()>& beforeRemoving, std::vector<int>& outcomes) override;

    // One copy or move on the disk before it returns: the copy and its folder are flushed on their
    // own (the path operations of PosixFileSystem).
    int copyNow(const NameAt& from, const NameAt& to);
    int moveNow(const NameAt& from, const NameAt& to);

    struct Scratch; // buffers and what the kernel refused, kept from one copy to the next

private:
    // What a copy made, and the source as it was when it was read.
    struct Made {
        dev_t dev = 0;
        ino_t ino = 0;
        dev_t sourceDev = 0;
        ino_t sourceIno = 0;
        int64_t sourceChange = 0; // change time, nanoseconds
        int64_t sourceBirth = -1; // birth time, nanoseconds; -1 when the file system keeps none
        uint64_t bytes = 0;
    };

    struct Pending {
        const Folder* from;
        std::string name;
        const Folder* to;
        std::string newName;
        Made made;
        bool move;
    };
    // Removes the source of a pending move once it is sure to be the file copied. 0 when it is gone,
    // or when another file stands in its place (the copy then is all that is left of it); ESTALE when
    // it was changed since it was copied (the copy is out of date); else the errno that keeps it.
    int removeSource(const Pending& p);

    int fault(std::string_view step) const { return m_fault && *m_fault ? (*m_fault)(step) : 0; }
    int copyFile(const NameAt& from, const NameAt& to, bool keepCreation, bool durableNow, Made& made);
    // A move that a rename cannot make: 0 with `copied` set when the file was copied and its source
    // still waits to be removed.
    int moveAcross(const NameAt& from, const NameAt& to, bool durableNow, Made& made, bool& copied);
    int syncCopies(std::vector<int>& outcomes);

    const FaultHook* m_fault;
    TransferLimits m_limits;
    std::chrono::steady_clock::time_point m_lastFlush = std::chrono::steady_clock::now();
    std::vector<Pending> m_pending;
    uint64_t m_pendingBytes = 0;
    std::unique_ptr<Scratch> m_scratch;
};

} // namespace rinoza
