#pragma once

// Watches files for a while and reports those that leave their place, as a file manager that took a
// drop moves them: the drag returns first, and the files go a moment later (or once the user has
// chosen the action in the target's menu).
//
// Every tick it looks at the folders that hold the files, and at the files themselves only in a
// folder whose last write changed, so that watching thousands of files costs a few looks per tick.
// A folder's time may stay the same across two changes close together, so a changed folder's files
// are looked at on the next tick as well, and once more when the watch ends.

#include "platform/FileSystem.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace rinoza {

class VanishWatch : public QObject {
    Q_OBJECT
public:
    // onGone gets the paths of the files found gone at one look; each path is reported once.
    VanishWatch(FileSystem& fs, std::function<void(const std::vector<std::string>&)> onGone, QObject* parent = nullptr);
    ~VanishWatch() override;

    // Adds the files that exist now to the watch (a path already gone is never reported) and keeps
    // watching until `duration` has passed without a change in their folders.
    void watch(const std::vector<std::string>& paths, std::chrono::milliseconds duration);
    bool active() const { return m_timer.isActive(); }
    // One look, as the timer takes it.
    void check();

private:
    struct Folder {
        std::optional<FileInfo> seen; // the folder as the last look found it (none: could not be read)
        bool recheck = false;         // changed at the last look: its files are looked at once more
        std::vector<std::string> files;
    };
    // Looks at the files of a folder; the gone ones leave it and are appended to `gone`.
    void checkFiles(Folder& folder, std::vector<std::string>& gone);

    FileSystem& m_fs;
    std::function<void(const std::vector<std::string>&)> m_onGone;
    std::map<std::string, Folder> m_folders;
    QTimer m_timer;
    std::chrono::milliseconds m_quietFor{0};
    std::chrono::steady_clock::time_point m_until;
};

} // namespace rinoza
