#pragma once

// Showing a file in the desktop's file manager, with the file selected.

#include <string>

namespace rinoza {

class FileSystem;

// The session bus name, object path and interface that file managers register for this.
inline constexpr const char* kFileManagerService = "org.freedesktop.FileManager1";
inline constexpr const char* kFileManagerPath = "/org/freedesktop/FileManager1";

// Asks the file manager on the session bus (ShowItems) to open `folder` with the file `path`
// highlighted. The request does not wait: when no file manager answers (no session bus, no such
// service, an error or no reply in time), or the file is gone, the folder itself is opened with
// ShellOpen, whose messages tell of a folder that is gone too.
void ShowInFileManager(FileSystem& fs, const std::string& path, const std::string& folder);

} // namespace rinoza
