#pragma once

// Opening files with the desktop and deleting or trashing a batch of files, with the program's messages.

#include "platform/FileSystem.h"

#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace rinoza {

// Opens a file or folder with the desktop's application for it. A missing path gives the warning
// "<path>\nが存在しません。", an opener that cannot be started "関連付けされたアプリケーションがありません。";
// both return false. An opener that fails after it started gives the second warning once it has ended
// (DesktopOpener.h). `parameters` are not passed on: the desktop opens documents by URL alone.
bool ShellOpen(FileSystem& fs, const std::string& path, QWidget* owner = nullptr,
               const QString& parameters = QString());

// Moves the files to the trash, or deletes them for good when `permanent`, after one question when
// `confirm` (No changes nothing). A file that cannot be trashed stays where it is; the user is told
// once which files stayed. Callers look afterwards at which files still exist.
void ShellDeleteFiles(FileSystem& fs, const std::vector<std::string>& paths, bool permanent, bool confirm);

} // namespace rinoza
