#include "filelist/AddedPaths.h"

#include "platform/Paths.h"

namespace rinoza {

namespace {

// parentOf(path) without a string of its own: most paths are in the folder of the path before them.
std::string_view parentViewOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t pos = path.rfind('/');
    if (pos == std::string_view::npos)
        return ".";
    return pos == 0 ? std::string_view("/") : path.substr(0, pos);
}

} // namespace

const std::pair<const std::string, AddedFolders::Opened>& AddedFolders::folder(std::string_view path) {
    const std::lock_guard<std::mutex> hold(m_mutex);
    auto it = m_folders.find(path);
    if (it == m_folders.end()) {
        it = m_folders.try_emplace(std::string(path)).first;
        it->second.error = m_fs.openFolder(it->first, nullptr, it->second.folder);
    }
    return *it;
}

AddedPathLookup::AddedPathLookup(FileSystem& fs) : m_own(std::make_unique<AddedFolders>(fs)), m_folders(*m_own) {}

AddedPath AddedPathLookup::find(const std::string& path) {
    AddedPath r;
    const std::string name = baseNameOf(path);
    // "/", "." and ".." name no entry of the folder before them.
    if (name.empty() || name == "." || name == "..") {
        r.error = fileSystem().stat(path, r.info, true);
        return r;
    }
    const std::string_view parent = parentViewOf(path);
    if (!m_last || m_last->first != parent) {
        auto it = m_met.find(parent);
        if (it == m_met.end()) {
            // Keyed by the table's own string, which lives as long as the table.
            const Entry& opened = m_folders.folder(parent);
            it = m_met.emplace(std::string_view(opened.first), &opened).first;
        }
        m_last = it->second;
    }
    const AddedFolders::Opened& opened = m_last->second;
    if (opened.error) {
        r.error = opened.error;
        return r;
    }
    r.folder = opened.folder->id();
    r.error = fileSystem().statAt(*opened.folder, name, r.info, true);
    return r;
}

std::optional<FileListRow> addedPathRow(const AddedPath& found, const std::string& path, bool withIcon,
                                        DateColumnMemo* memo) {
    if (found.error != 0 || !found.info.isRegular)
        return std::nullopt;
    FileListRow row = makeFileListRow(found.info, parentOf(path), withIcon, memo);
    row.folderId = found.folder;
    return row;
}

std::optional<FileListRow> addedPathRow(FileSystem& fs, const std::string& path, bool withIcon) {
    return addedPathRow(AddedPathLookup(fs).find(path), path, withIcon);
}

} // namespace rinoza
