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

} // namespace rinoza
