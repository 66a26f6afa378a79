#include "filelist/ui/VanishWatch.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cerrno>

namespace rinoza {

namespace {

constexpr std::chrono::milliseconds kTick{100};

bool gone(int error) {
    // Only a file known to be gone counts; one that cannot be looked at stays.
    return error == ENOENT || error == ENOTDIR;
}

bool sameFolder(const std::optional<FileInfo>& a, const std::optional<FileInfo>& b) {
    if (!a || !b)
        return !a && !b;
    return a->dev == b->dev && a->ino == b->ino && a->lastWrite == b->lastWrite;
}

} // namespace

VanishWatch::VanishWatch(FileSystem& fs, std::function<void(const std::vector<std::string>&)> onGone, QObject* parent)
    : QObject(parent), m_fs(fs), m_onGone(std::move(onGone)) {
    m_timer.setInterval(kTick);
    connect(&m_timer, &QTimer::timeout, this, &VanishWatch::check);
}

VanishWatch::~VanishWatch() = default;

void VanishWatch::watch(const std::vector<std::string>& paths, std::chrono::milliseconds duration) {
    for (const std::string& path : paths) {
        FileInfo info;
        if (gone(m_fs.stat(path, info, false)))
            continue;
        Folder& folder = m_folders[parentOf(path)];
        if (folder.files.empty()) {
            FileInfo f;
            folder.seen = m_fs.stat(parentOf(path), f) == 0 ? std::optional<FileInfo>(f) : std::nullopt;
        }
        folder.files.push_back(path);
    }
    if (m_folders.empty())
        return;
    m_quietFor = std::max(m_quietFor, duration);
    m_until = std::chrono::steady_clock::now() + m_quietFor;
    m_timer.start();
}

void VanishWatch::checkFiles(Folder& folder, std::vector<std::string>& goneFiles) {
    std::vector<std::string> kept;
    for (std::string& path : folder.files) {
        FileInfo info;
        if (gone(m_fs.stat(path, info, false)))
            goneFiles.push_back(std::move(path));
        else
            kept.push_back(std::move(path));
    }
    folder.files = std::move(kept);
}

void VanishWatch::check() {
    std::vector<std::string> goneFiles;
    bool changed = false;
    for (auto& [dir, folder] : m_folders) {
        FileInfo f;
        std::optional<FileInfo> now = m_fs.stat(dir, f) == 0 ? std::optional<FileInfo>(f) : std::nullopt;
        const bool changedNow = !sameFolder(now, folder.seen);
        if (changedNow || folder.recheck)
            checkFiles(folder, goneFiles);
        folder.recheck = changedNow;
        folder.seen = std::move(now);
        changed = changed || changedNow;
    }
    const auto now = std::chrono::steady_clock::now();
    if (changed) {
        m_until = now + m_quietFor;
    } else if (now >= m_until) {
        for (auto& entry : m_folders)
            checkFiles(entry.second, goneFiles);
        m_folders.clear();
    }
    std::erase_if(m_folders, [](const auto& entry) { return entry.second.files.empty(); });
    if (m_folders.empty()) {
        m_timer.stop();
        m_quietFor = std::chrono::milliseconds{0};
    }
    if (!goneFiles.empty() && m_onGone)
        m_onGone(goneFiles);
}

} // namespace rinoza
