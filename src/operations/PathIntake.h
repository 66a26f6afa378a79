#pragma once

// Paths given to the program (dropped on the window, or on either program's command line): what
// each one is, and the row of each file.

#include "filelist/AddedPaths.h"
#include "filelist/FileListRow.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace rinoza {

enum class PathKind {
    File,    // a regular file, or a link to one
    Folder,  // a folder, or a link to one
    Missing, // nothing there, or nothing this user may look at
    Other,   // a pipe, a device, ...
};

struct TakenPath {
    std::string path; // absolute: a relative path is taken from the working folder
    PathKind kind = PathKind::Missing;
    std::optional<FileListRow> row; // with File
};

// One look at the path serves both the kind and the row, so taking thousands of dropped files costs
// little more than looking at each once. No filter and no limit apply to a path given by name. The
// file is looked up relative to its folder, which the lookup keeps open for the next path in it, and
// its row remembers which folder that was.
TakenPath takePath(std::string_view given, const std::string& workingFolder, AddedPathLookup& lookup, bool withIcon);

// The same for one path alone.
TakenPath takePath(std::string_view given, const std::string& workingFolder, FileSystem& fs, bool withIcon);

// Many paths taken in their given order, as takePath takes each, for a caller that adds them one by
// one and may stop part way. Where the file system may be asked from two threads, a helper thread
// looks the paths up ahead in chunks, and the caller looks up chunks further on itself whenever the
// next one is not ready yet, so the lookups run on both of a machine's cores while the caller adds
// the ones before. Otherwise each path is looked up as it is taken, in order. Both threads share the
// folders: each is opened once.
class TakenPaths {
public:
    // paths and fs must outlive this.
    TakenPaths(const std::vector<std::string>& paths, std::string workingFolder, FileSystem& fs, bool withIcon);
    // Ends the looking ahead and waits for the helper's chunk in hand.
    ~TakenPaths();
    TakenPaths(const TakenPaths&) = delete;
    TakenPaths& operator=(const TakenPaths&) = delete;

    // Whether paths are left to take.
    bool more() const { return m_next < m_paths.size(); }
    // The next path taken; only while more().
    TakenPath next();
    // Whether a helper thread looks ahead.
    bool aheadOnTwoThreads() const { return m_helper.joinable(); }

    // Paths per chunk looked up in one go, and the fewest paths worth a helper thread.
    static constexpr std::size_t kChunk = 64;
    static constexpr std::size_t kFewestAhead = 4 * kChunk;

private:
    void lookUpChunk(std::size_t chunk, AddedPathLookup& lookup);
    void helperLoop();

    const std::vector<std::string>& m_paths;
    const std::string m_workingFolder;
    const bool m_withIcon;
    AddedFolders m_folders;
    AddedPathLookup m_lookup; // the caller's
    std::size_t m_next = 0;
    // With a helper: each chunk's paths, ready once its flag is set, and the next chunk nobody claimed.
    std::vector<std::vector<TakenPath>> m_chunks;
    std::unique_ptr<std::atomic<bool>[]> m_ready;
    std::atomic<std::size_t> m_unclaimed{0};
    std::atomic<bool> m_stop{false};
    std::thread m_helper;
};

} // namespace rinoza
