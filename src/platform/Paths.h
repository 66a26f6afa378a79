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

// Makes a new private folder in the user's runtime folder ($XDG_RUNTIME_DIR, else $TMPDIR, else /tmp)
// holding one symbolic link called `name` that leads to `target`, and returns the link's path; "" when
// it cannot be made or `name` is no single name. Nothing removes the folder: the runtime folder is
// emptied when the user's session ends. (Widget code only: its body is in the Linux backend.)
std::string makeLinkInPrivateFolder(const std::string& target, const std::string& name);

} // namespace rinoza
