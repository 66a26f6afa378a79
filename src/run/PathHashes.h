#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace rinoza {

// The paths that a batch of at most 256 renames names, kept as an open table of their hashes. A path
// of another with the same hash is taken for one of them: it only makes its row wait for the batch.
class PathHashes {
public:
    void add(std::string_view path) {
        if (m_table.empty())
            m_table.assign(1024, 0); // two paths per rename: half full at most
        const uint64_t h = hash(path);
        const std::size_t mask = m_table.size() - 1;
        std::size_t slot = h & mask;
        while (m_table[slot] != 0 && m_table[slot] != h)
            slot = (slot + 1) & mask;
        m_table[slot] = h;
    }

    bool holds(std::string_view path) const {
        if (m_table.empty())
            return false;
        const uint64_t h = hash(path);
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t slot = h & mask; m_table[slot] != 0; slot = (slot + 1) & mask)
            if (m_table[slot] == h)
                return true;
        return false;
    }

    // Hands the paths over, leaving this empty.
    PathHashes take() { return std::exchange(*this, PathHashes()); }

private:
    static uint64_t hash(std::string_view path) { return std::hash<std::string_view>()(path) | 1; }

    std::vector<uint64_t> m_table;
};

} // namespace rinoza
