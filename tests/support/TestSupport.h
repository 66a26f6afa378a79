#pragma once

// Helpers shared by the tests: temporary folders, files, and snapshots of trees.

#include <cstdint>
#include <map>
#include <string>

namespace rinoza::test {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it on destruction.
// base lets a test pick another file system, such as "/dev/shm".
class TempDir {
public:
    explicit TempDir(const std::string& base = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Writes bytes to a file (creating parent folders); aborts the test program on failure.
void writeFile(const std::string& path, const std::string& content);
// Reads a whole file; returns false when it cannot be read.
bool readFile(const std::string& path, std::string& content);
std::string readFile(const std::string& path);
bool pathExists(const std::string& path);
void makeDirs(const std::string& path);

// Relative path -> content hash (FNV-1a 64 of the bytes) of every regular file below root,
// hidden files included; folders appear with the hash "dir".
std::map<std::string, std::string> snapshotTree(const std::string& root);

// Removes a tree (files, links and folders), making read-only folders writable first.
void removeTree(const std::string& path);

} // namespace rinoza::test
