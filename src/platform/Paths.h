#pragma once

#include <string>
#include <string_view>

namespace rinoza {

// Joins a folder and a name with one "/" between them; the root "/" is not doubled.
std::string joinPath(std::string_view folder, std::string_view name);

// The folder part of a path without its trailing separators ("/a/b.txt" -> "/a", "/b" -> "/").
std::string parentOf(std::string_view path);

// The last component of a path ("/a/b.txt" -> "b.txt"; "/" -> "").
std::string baseNameOf(std::string_view path);

// The user's home folder: $HOME when set and not empty, else the home of the user's account entry,
// else "/". No trailing "/" except for the root.
std::string homeFolder();

// The process's working folder as the system gives its bytes; "" when it cannot be had (deleted or
// out of reach).
std::string currentFolder();

// The folder of the running program's file with every link resolved; "" when unknown.
std::string executableFolder();

// The absolute path with every link, "." and ".." resolved; "" when a component does not exist or
// cannot be read.
std::string resolvedPath(const std::string& path);

// Whether something (a file, a folder, a link that leads somewhere) is at the path.
bool fileOrFolderExists(const std::string& path);

// Makes a new private folder in the user's runtime folder ($XDG_RUNTIME_DIR, else $TMPDIR, else /tmp)
// holding one symbolic link called `name` that leads to `target`, and returns the link's path; "" when
// it cannot be made or `name` is no single name. Nothing removes the folder: the runtime folder is
// emptied when the user's session ends.
std::string makeLinkInPrivateFolder(const std::string& target, const std::string& name);

// Whether this user may create and replace files in the folder.
bool canWriteInto(const std::string& folder);

} // namespace rinoza
