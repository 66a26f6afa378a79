#pragma once

// Helpers shared by the tests: temporary folders, files, and snapshots of trees.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

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

// A folder for temporary folders on another file system than path: /dev/shm where that is a file system
// of its own, else /tmp or /var/tmp; empty when this machine offers none (say $TMPDIR is /dev/shm and
// /tmp lies on it too, or /dev/shm is a plain folder).
std::string otherFileSystemBase(const std::string& path);

// Relative path -> content hash (FNV-1a 64 of the bytes) of every regular file below root,
// hidden files included; folders appear with the hash "dir".
std::map<std::string, std::string> snapshotTree(const std::string& root);

// Removes a tree (files, links and folders), making read-only folders writable first.
void removeTree(const std::string& path);

// The subfolder names of a folder in the order the file system lists them.
std::vector<std::string> subfoldersInListingOrder(const std::string& dir);

// Writes the small tree the search tests walk: f1.txt, A/a1.txt, A/A1/x.txt, B/b1.txt and B/skip.dat.
// Returns the paths of its *.txt files in the order a search lists them: the folder's own files first,
// then each subfolder in name order, its subfolders' files before its own.
std::vector<std::string> writeSearchTree(const TempDir& t);

// Many folders with many files (d<n>/f<m>.txt), so that a search takes many time slices.
void writeBigTree(const TempDir& t, int folders, int files);

} // namespace rinoza::test
