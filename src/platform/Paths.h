#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rinoza {

class FileSystem;

// Joins a folder and a name with one "/" between them; the root "/" is not doubled.
std::string joinPath(std::string_view folder, std::string_view name);
// The same into `out` (its room is reused: a loop over many paths makes no new string for each).
const std::string& joinPathInto(std::string& out, std::string_view folder, std::string_view name);

// The folder part of a path without its trailing separators ("/a/b.txt" -> "/a", "/b" -> "/").
std::string parentOf(std::string_view path);

// The last component of a path ("/a/b.txt" -> "b.txt"; "/" -> "").
std::string baseNameOf(std::string_view path);

// Whether one of the path's components is "..".
bool hasDotDot(std::string_view path);

// The absolute form of path: a relative path is taken from the folder base (the current folder, an
// absolute path); "." components and doubled or trailing separators are dropped ("/" stays "/").
// ".." is resolved against the file system as the kernel would (after a link it leaves the link's
// target); where that cannot be done (a part of the path does not exist yet) it stays in the path.
// An empty path, or a relative one with an empty base, comes back unchanged.
std::string absolutePath(std::string_view path, std::string_view base, FileSystem& fs);

// An absolute path with every "." and ".." taken away, each component looked up in order: links stay
// as named, except that ".." after a link goes up from where the link leads, as the kernel does.
// nullopt when a component does not exist, when ".." follows a file, and for the root itself.
std::optional<std::string> walkedPath(std::string_view absolute, FileSystem& fs);

// The path with every byte but letters, digits, "-._~" and "/" written as %XX (upper-case hex), as
// file URIs and the trash's Path= value carry it.
std::string percentEncodePath(std::string_view path);

// %XX back to its byte; a "%" not followed by two hexadecimal digits stays as it is.
std::string percentDecode(std::string_view text);

} // namespace rinoza
