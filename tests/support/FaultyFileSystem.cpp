#include "support/FaultyFileSystem.h"

#include "platform/posix/PosixFileSystem.h"

#include <cerrno>

namespace rinoza::test {

namespace {

class FaultyAppendFile final : public AppendFile {
public:
    FaultyAppendFile(FaultyFileSystem& fs, std::unique_ptr<AppendFile> inner) : m_fs(fs), m_inner(std::move(inner)) {}

    bool isOpen() const override { return m_inner->isOpen(); }
    int append(std::string_view bytes, std::size_t* written) override {
        if (int e = m_fs.fault("append")) {
            std::size_t half = 0;
            if (m_fs.halfAppend())
                m_inner->append(bytes.substr(0, bytes.size() / 2), &half);
            if (written)
                *written = half;
            return e;
        }
        return m_inner->append(bytes, written);
    }
    int truncate(int64_t size) override {
        if (int e = m_fs.fault("truncate"))
            return e;
        return m_inner->truncate(size);
    }
    int sync() override {
        if (int e = m_fs.fault("flush"))
            return e;
        return m_inner->sync();
    }
    int close() override {
        const int e = m_fs.fault("close");
        const int rc = m_inner->close(); // closed all the same, as a failed close leaves it
        return e ? e : rc;
    }

private:
    FaultyFileSystem& m_fs;
    std::unique_ptr<AppendFile> m_inner;
};

class FaultyTransfers final : public TransferBatch {
public:
    FaultyTransfers(FaultyFileSystem& fs, std::unique_ptr<TransferBatch> inner) : m_fs(fs), m_inner(std::move(inner)) {}

    int copy(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override {
        pending = false;
        if (int e = m_fs.fault("copy"))
            return e;
        return m_inner->copy(from, name, to, newName, pending);
    }
    int move(const Folder& from, const std::string& name, const Folder& to, const std::string& newName,
             bool& pending) override {
        pending = false;
        if (int e = m_fs.fault("move"))
            return e;
        return m_inner->move(from, name, to, newName, pending);
    }
    bool flushDue() const override { return m_inner->flushDue(); }
    void flush(const std::function<int()>& beforeRemoving, std::vector<int>& outcomes) override {
        m_inner->flush(beforeRemoving, outcomes);
    }

private:
    FaultyFileSystem& m_fs;
    std::unique_ptr<TransferBatch> m_inner;
};

} // namespace

FaultyFileSystem::FaultyFileSystem(PosixFileSystem& inner) : m_inner(inner), m_posix(&inner) {
    inner.setFaultHook([this](std::string_view step) { return fault(std::string(step)); });
}

FaultyFileSystem::~FaultyFileSystem() {
    if (m_posix)
        m_posix->setFaultHook({});
}

void FaultyFileSystem::failAt(const std::string& operation, int k, int err, bool half) {
    m_faults[{operation, k}] = Fault{err, half};
}

int FaultyFileSystem::calls(const std::string& operation) const {
    const auto it = m_calls.find(operation);
    return it == m_calls.end() ? 0 : it->second;
}

void FaultyFileSystem::reset() {
    m_calls.clear();
    m_faults.clear();
    m_failed = false;
}

int FaultyFileSystem::fault(const std::string& operation) {
    const int n = ++m_calls[operation];
    const auto it = m_faults.find({operation, n});
    if (it == m_faults.end())
        return 0;
    m_failed = true;
    m_half = it->second.half;
    return it->second.err;
}

int FaultyFileSystem::listDirectory(const std::string& dir, const std::function<bool(const DirEntry&)>& onEntry) {
    if (int e = fault("readFolder"))
        return e;
    return m_inner.listDirectory(dir, onEntry);
}

int FaultyFileSystem::stat(const std::string& path, FileInfo& info, bool followLinks) {
    if (int e = fault("stat"))
        return e;
    return m_inner.stat(path, info, followLinks);
}

int FaultyFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    if (int e = fault("rename"))
        return e;
    return m_inner.renameNoReplace(from, to);
}

int FaultyFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    if (int e = fault("copy"))
        return e;
    return m_inner.copyNoReplace(from, to);
}

int FaultyFileSystem::moveNoReplace(const std::string& from, const std::string& to) {
    if (int e = fault("move"))
        return e;
    return m_inner.moveNoReplace(from, to);
}

int FaultyFileSystem::removeFile(const std::string& path) {
    if (int e = fault("remove"))
        return e;
    return m_inner.removeFile(path);
}

TrashResult FaultyFileSystem::moveToTrash(const std::string& path) {
    if (int e = fault("trash"))
        return TrashResult{e, {}, {}};
    return m_inner.moveToTrash(path);
}

int FaultyFileSystem::setTimes(const std::string& path, const std::optional<FileTime>& creation,
                               const std::optional<FileTime>& lastWrite) {
    if (int e = fault("setTimes"))
        return e;
    return m_inner.setTimes(path, creation, lastWrite);
}

int FaultyFileSystem::setAttributes(const std::string& path, uint32_t mask, uint32_t values) {
    if (int e = fault("setAttributes"))
        return e;
    return m_inner.setAttributes(path, mask, values);
}

int FaultyFileSystem::changeTimes(const std::string& path, const TimesDecision& decide,
                                  std::optional<FileInfo>* after) {
    if (int e = fault("changeTimes")) {
        if (after)
            after->reset();
        return e;
    }
    return m_inner.changeTimes(path, decide, after);
}

int FaultyFileSystem::changeAttributes(const std::string& path, uint32_t mask, uint32_t values,
                                       std::optional<FileInfo>* after) {
    if (int e = fault("changeAttributes")) {
        if (after)
            after->reset();
        return e;
    }
    return m_inner.changeAttributes(path, mask, values, after);
}

int FaultyFileSystem::makeDirectories(const std::string& path) {
    if (int e = fault("makeDirectories"))
        return e;
    return m_inner.makeDirectories(path);
}

int FaultyFileSystem::compareContents(const std::string& source, const std::string& copy, bool& equal) {
    equal = false;
    if (int e = fault("compare"))
        return e;
    return m_inner.compareContents(source, copy, equal);
}

int FaultyFileSystem::appendLine(const std::string& path, std::string_view line) {
    if (int e = fault("appendLine"))
        return e;
    return m_inner.appendLine(path, line);
}

int FaultyFileSystem::readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece) {
    if (int e = fault("readFile"))
        return e;
    return m_inner.readFilePieces(path, onPiece);
}

int FaultyFileSystem::readFileHead(const std::string& path, std::size_t maxBytes, std::string& content) {
    if (int e = fault("readHead")) {
        content.clear();
        return e;
    }
    return m_inner.readFileHead(path, maxBytes, content);
}

int FaultyFileSystem::replaceFile(const std::string& path, std::string_view content, const ReplaceOptions& options,
                                  std::unique_ptr<AppendFile>* keepOpen) {
    if (int e = fault("replace"))
        return e;
    std::unique_ptr<AppendFile> opened;
    const int rc = m_inner.replaceFile(path, content, options, keepOpen ? &opened : nullptr);
    if (rc == 0 && keepOpen)
        *keepOpen = std::make_unique<FaultyAppendFile>(*this, std::move(opened));
    return rc;
}

int FaultyFileSystem::makePrivateFolders(const std::string& path) {
    if (int e = fault("makePrivateFolders"))
        return e;
    return m_inner.makePrivateFolders(path);
}

int FaultyFileSystem::openFolder(const std::string& path, const FolderId* expected, std::unique_ptr<Folder>& out) {
    if (int e = fault("openFolder"))
        return e;
    return m_inner.openFolder(path, expected, out);
}

int FaultyFileSystem::openFolderAt(const Folder& parent, const std::string& name, std::unique_ptr<Folder>& out) {
    if (int e = fault("openFolder"))
        return e;
    return m_inner.openFolderAt(parent, name, out);
}

int FaultyFileSystem::readFolder(const Folder& folder, const std::function<bool(const FolderEntry&)>& visit) {
    if (int e = fault("readFolder"))
        return e;
    return m_inner.readFolder(folder, visit);
}

int FaultyFileSystem::statAt(const Folder& folder, const std::string& name, FileInfo& info, bool followLinks) {
    if (int e = fault("stat"))
        return e;
    return m_inner.statAt(folder, name, info, followLinks);
}

int FaultyFileSystem::renameAt(const Folder& from, const std::string& name, const Folder& to,
                               const std::string& newName) {
    if (int e = fault("rename"))
        return e;
    return m_inner.renameAt(from, name, to, newName);
}

int FaultyFileSystem::removeAt(const Folder& folder, const std::string& name) {
    if (int e = fault("remove"))
        return e;
    return m_inner.removeAt(folder, name);
}

int FaultyFileSystem::compareContentsAt(const Folder& sourceFolder, const std::string& source, const Folder& copyFolder,
                                        const std::string& copy, bool& equal) {
    equal = false;
    if (int e = fault("compare"))
        return e;
    return m_inner.compareContentsAt(sourceFolder, source, copyFolder, copy, equal);
}

int FaultyFileSystem::changeTimesAt(const Folder& folder, const std::string& name, const TimesDecision& decide,
                                    std::optional<FileInfo>* after) {
    if (int e = fault("changeTimes")) {
        if (after)
            after->reset();
        return e;
    }
    return m_inner.changeTimesAt(folder, name, decide, after);
}

int FaultyFileSystem::changeAttributesAt(const Folder& folder, const std::string& name, uint32_t mask, uint32_t values,
                                         std::optional<FileInfo>* after) {
    if (int e = fault("changeAttributes")) {
        if (after)
            after->reset();
        return e;
    }
    return m_inner.changeAttributesAt(folder, name, mask, values, after);
}

std::unique_ptr<TransferBatch> FaultyFileSystem::beginTransfers() {
    return std::make_unique<FaultyTransfers>(*this, m_inner.beginTransfers());
}

} // namespace rinoza::test
