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

AddedPath AddedPathLookup::find(const std::string& path) {
    AddedPath r;
    const std::string name = baseNameOf(path);
    // "/", "." and ".." name no entry of the folder before them.
    if (name.empty() || name == "." || name == "..") {
        r.error = m_fs.stat(path, r.info, true);
        return r;
    }
    const std::string_view parent = parentViewOf(path);
    if (!m_last || *m_lastKey != parent) {
        auto it = m_folders.find(parent);
        if (it == m_folders.end()) {
            it = m_folders.try_emplace(std::string(parent)).first;
            it->second.error = m_fs.openFolder(it->first, nullptr, it->second.folder);
        }
        m_lastKey = &it->first;
        m_last = &it->second;
    }
    if (m_last->error) {
        r.error = m_last->error;
        return r;
    }
    r.folder = m_last->folder->id();
    r.error = m_fs.statAt(*m_last->folder, name, r.info, true);
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
