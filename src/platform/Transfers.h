#pragma once

// Copies and moves of one run, made durable together. A copy costs a few system calls; flushing
// each copy to the disk on its own would cost several times as much again, so the copies of a batch
// (about a thousand files or some tens of MiB) share one flush. A move to another file system is a copy
// whose source is removed only once that copy is on the disk, at the flush of its batch.

#include "platform/Folder.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rinoza {

class TransferBatch {
public:
    virtual ~TransferBatch() = default;

    // Copies `name` of `from` to the new file `newName` of `to`: data, mode, user extended attributes
    // and the last write time; a link is read where it points. Never replaces anything (EEXIST) and
    // never leaves a partly written copy behind on failure. Returns 0 or an errno; with `pending` set
    // the copy is on the disk only after the next flush, which tells its final outcome.
    virtual int copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
                     bool& pending) = 0;

    // Moves `name` of `from` to `newName` of `to` without ever replacing anything. On one file system
    // it is a rename, done when this returns. Across file systems a regular file is copied (its
    // creation time kept) and, with `pending` set, its source removed by the next flush once the copy
    // is on the disk; a link is made anew there; folders and special files refuse with EXDEV.
    virtual int move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
                     bool& pending) = 0;

    // Whether enough waits for a flush (files or bytes) that the caller should flush now.
    virtual bool flushDue() const = 0;

    // Flushes every pending copy to the disk, then calls beforeRemoving (the caller makes its own
    // records durable there; a non-zero errno from it keeps every source, and the copies of those
    // moves are taken back), then removes the sources of the pending moves. `outcomes` receives one
    // errno per pending copy or move, in the order they were made: 0 when it is done and on the disk;
    // otherwise its copy is gone again and its source is where it was. The folders of pending
    // transfers must stay open until their flush.
    virtual void flush(const std::function<int()>& beforeRemoving, std::vector<int>& outcomes) = 0;
};

} // namespace rinoza
