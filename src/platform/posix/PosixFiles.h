#pragma once

// The whole-file services of FileSystem on Linux (see FileSystem.h for the contracts).

#include "platform/Files.h"
#include "platform/posix/Descriptor.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace rinoza {

// AppendFile on an open descriptor.
class PosixAppendFile final : public AppendFile {
public:
    explicit PosixAppendFile(int fd) : m_fd(fd) {}

    bool isOpen() const override { return m_fd.valid(); }
    int append(std::string_view bytes, std::size_t* written = nullptr) override;
    int truncate(int64_t size) override;
    int sync() override;
    int close() override;

private:
    Descriptor m_fd;
};

int replaceFileDurably(const std::string& path, std::string_view content, const ReplaceOptions& options = {},
                       std::unique_ptr<AppendFile>* keepOpen = nullptr);
int readWholeFile(const std::string& path, std::string& content);
int readFilePieces(const std::string& path, const std::function<void(std::string_view)>& onPiece);
int readFileHead(const std::string& path, std::size_t maxBytes, std::string& content);
int makePrivateFolders(const std::string& path);

} // namespace rinoza
