#pragma once

// Moving files into the freedesktop.org trash of their own file system: the home trash
// ($XDG_DATA_HOME/Trash) for files on its device, else $topdir/.Trash/$uid (when the administrator
// made a sticky .Trash folder) or $topdir/.Trash-$uid. Files never cross devices on the way.

#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <functional>
#include <string>
#include <string_view>

namespace rinoza {

// Renames without replacing; returns 0 or errno.
using NoReplaceRename = std::function<int(const std::string& from, const std::string& to)>;

// Trashes one file or folder (a link is trashed itself, not its target). On failure the file stays
// where it was and no .trashinfo is left behind.
TrashResult trashFile(const std::string& path, const NoReplaceRename& rename);

// The name a file keeps in the trash (files/<name> and info/<name>.trashinfo) on its n-th try (from 1):
// its own name, then "<name>.<n>". A name whose info file name would be too long for the file system
// is shortened: its start cut at a character boundary, a mark of the whole name ("~" and eight hex
// digits) and its extension kept, so different long names stay apart. Path= keeps the whole name.
std::string trashStoredName(std::string_view name, int n);

// The whole .trashinfo text for a path (absolute for the home trash, relative to the top folder
// otherwise) and the local deletion time.
std::string trashInfoText(std::string_view path, const LocalDateTime& deletedAt);

// The home trash folder: $XDG_DATA_HOME/Trash when that is set and absolute, else $HOME/.local/share/Trash.
std::string homeTrashDir();

} // namespace rinoza
