#pragma once

// Helpers of the run and undo tests: the real file system with faults and system bits laid on top,
// and quick ways to write history files by hand.

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/posix/PosixFileSystem.h"
#include "run/HistoryFile.h"
#include "run/RunProgress.h"

#include <set>
#include <string>
#include <vector>

namespace rinoza::test {

// The real file system, except that paths in systemFiles carry the system bit and operations whose
// target is in failTargets fail with EIO (by path or relative to a folder alike).
class ScriptedFileSystem : public PosixFileSystem {
public:
    std::set<std::string> systemFiles;
    std::set<std::string> failTargets;
    int operations = 0;

    int stat(const std::string& path, FileInfo& info, bool followLinks = true) override {
        int err = PosixFileSystem::stat(path, info, followLinks);
        if (err == 0 && systemFiles.count(path))
            info.attributes |= AttrSystem;
        return err;
    }
    int statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks = true) override {
        int err = PosixFileSystem::statAt(folder, name, info, followLinks);
        if (err == 0 && systemFiles.count(joinPath(folder.path(), name)))
            info.attributes |= AttrSystem;
        return err;
    }
    int renameAt(const Folder& from, const std::string& name, const Folder& to, const std::string& newName) override {
        ++operations;
        return failTargets.count(joinPath(to.path(), newName)) ? EIO
                                                               : PosixFileSystem::renameAt(from, name, to, newName);
    }
    std::unique_ptr<TransferBatch> beginTransfers() override {
        return std::make_unique<Transfers>(*this, PosixFileSystem::beginTransfers());
    }
    int renameNoReplace(const std::string& from, const std::string& to) override {
        ++operations;
        return failTargets.count(to) ? EIO : PosixFileSystem::renameNoReplace(from, to);
    }
    int copyNoReplace(const std::string& from, const std::string& to) override {
        ++operations;
        return failTargets.count(to) ? EIO : PosixFileSystem::copyNoReplace(from, to);
    }
    int moveNoReplace(const std::string& from, const std::string& to) override {
        ++operations;
        return failTargets.count(to) ? EIO : PosixFileSystem::moveNoReplace(from, to);
    }

private:
    class Transfers final : public TransferBatch {
    public:
        Transfers(ScriptedFileSystem& fs, std::unique_ptr<TransferBatch> inner) : m_fs(fs), m_inner(std::move(inner)) {}
        int copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
                 bool& pending) override {
            pending = false;
            ++m_fs.operations;
            return m_fs.failTargets.count(joinPath(to.path(), newName))
                       ? EIO
                       : m_inner->copy(from, name, to, newName, pending);
        }
        int move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
                 bool& pending) override {
            pending = false;
            ++m_fs.operations;
            return m_fs.failTargets.count(joinPath(to.path(), newName))
                       ? EIO
                       : m_inner->move(from, name, to, newName, pending);
        }
        bool flushDue() const override { return m_inner->flushDue(); }
        void flush(const std::function<int()>& beforeRemoving, std::vector<int>& outcomes) override {
            m_inner->flush(beforeRemoving, outcomes);
        }

    private:
        ScriptedFileSystem& m_fs;
        std::unique_ptr<TransferBatch> m_inner;
    };
};

// A history file's bytes: the given lines, each ended by CR LF.
inline std::string crlfLines(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

// Lines 1..9 of a history as a run writes them (the date line of a fixed moment).
inline std::vector<std::string> headerComments() {
    auto h = history::headerLines(LocalDateTime{2026, 12, 6, 19, 42, 0, 0}, RenameMethod::RenameOnly);
    return std::vector<std::string>(h.begin(), h.begin() + 9);
}

// Progress callbacks that pump after every item and record what they were told.
struct RecordingProgress {
    int maximum = -1;
    int lastPosition = -1;
    int pumps = 0;
    bool cancel = false;
    ProgressCallbacks callbacks() {
        ProgressCallbacks cb;
        cb.setMaximum = [this](int m) { maximum = m; };
        cb.setPosition = [this](int p) { lastPosition = p; };
        cb.pumpEvents = [this] { ++pumps; };
        cb.cancelRequested = [this] { return cancel; };
        cb.pumpInterval = std::chrono::milliseconds(0);
        return cb;
    }
};

} // namespace rinoza::test
