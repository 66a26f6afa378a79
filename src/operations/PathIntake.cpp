#include "operations/PathIntake.h"

#include "platform/Paths.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace rinoza {

TakenPath takePath(std::string_view given, const std::string& workingFolder, AddedPathLookup& lookup, bool withIcon) {
    TakenPath taken;
    taken.path = absolutePath(given, workingFolder, lookup.fileSystem());
    const AddedPath found = lookup.find(taken.path);
    if (found.error != 0) {
        taken.kind = PathKind::Missing;
    } else if (found.info.isDirectory) {
        taken.kind = PathKind::Folder;
    } else if (found.info.isRegular) {
        taken.kind = PathKind::File;
        taken.row = addedPathRow(found, taken.path, withIcon, &lookup.dates());
    } else {
        taken.kind = PathKind::Other;
    }
    return taken;
}

TakenPath takePath(std::string_view given, const std::string& workingFolder, FileSystem& fs, bool withIcon) {
    AddedPathLookup lookup(fs);
    return takePath(given, workingFolder, lookup, withIcon);
}

TakenPaths::TakenPaths(const std::vector<std::string>& paths, std::string workingFolder, FileSystem& fs, bool withIcon)
    : m_paths(paths), m_workingFolder(std::move(workingFolder)), m_withIcon(withIcon), m_folders(fs),
      m_lookup(m_folders) {
    if (paths.size() < kFewestAhead || !fs.callsFromThreads() || std::thread::hardware_concurrency() < 2)
        return;
    const std::size_t chunks = (paths.size() + kChunk - 1) / kChunk;
    m_chunks.resize(chunks);
    m_ready = std::make_unique<std::atomic<bool>[]>(chunks);
    try {
        m_helper = std::thread([this] { helperLoop(); });
    } catch (const std::system_error&) {
        m_chunks.clear(); // no thread to be had: each path is looked up as it is taken
    }
}

TakenPaths::~TakenPaths() {
    m_stop.store(true, std::memory_order_relaxed);
    if (m_helper.joinable())
        m_helper.join();
}

void TakenPaths::lookUpChunk(std::size_t chunk, AddedPathLookup& lookup) {
    std::vector<TakenPath>& taken = m_chunks[chunk];
    const std::size_t first = chunk * kChunk;
    const std::size_t end = std::min(first + kChunk, m_paths.size());
    taken.reserve(end - first);
    for (std::size_t i = first; i < end; ++i)
        taken.push_back(takePath(m_paths[i], m_workingFolder, lookup, m_withIcon));
    m_ready[chunk].store(true, std::memory_order_release);
    m_ready[chunk].notify_one();
}

void TakenPaths::helperLoop() {
    AddedPathLookup lookup(m_folders);
    while (!m_stop.load(std::memory_order_relaxed)) {
        const std::size_t chunk = m_unclaimed.fetch_add(1, std::memory_order_relaxed);
        if (chunk >= m_chunks.size())
            return;
        lookUpChunk(chunk, lookup);
    }
}

TakenPath TakenPaths::next() {
    const std::size_t i = m_next++;
    if (m_chunks.empty())
        return takePath(m_paths[i], m_workingFolder, m_lookup, m_withIcon);
    const std::size_t chunk = i / kChunk;
    while (!m_ready[chunk].load(std::memory_order_acquire)) {
        // Rather than wait for the helper, look up a chunk further on; once none is left, wait.
        const std::size_t further = m_unclaimed.fetch_add(1, std::memory_order_relaxed);
        if (further < m_chunks.size())
            lookUpChunk(further, m_lookup);
        else
            m_ready[chunk].wait(false, std::memory_order_acquire);
    }
    std::vector<TakenPath>& taken = m_chunks[chunk];
    TakenPath path = std::move(taken[i - chunk * kChunk]);
    // A chunk taken whole is let go at once.
    if (i + 1 == m_paths.size() || (i + 1) % kChunk == 0)
        std::vector<TakenPath>().swap(taken);
    return path;
}

} // namespace rinoza
