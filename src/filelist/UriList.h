#pragma once

// The text/uri-list format that desktops use to hand files between programs: one URI a line, lines
// ending in CR LF, "#" lines being comments. A file's path goes in as its bytes percent-encoded, so a
// name that is not valid UTF-8 crosses unchanged in both directions.

#include <string>
#include <string_view>
#include <vector>

namespace rinoza {

// The local paths of a uri-list, in its order, each the exact bytes of its percent-decoded path.
// Only file: URIs count whose host is empty, "localhost" or `hostName`; every other URI, a comment and
// an empty line are passed over. A trailing "/" of a folder's URI is dropped ("/" stays).
std::vector<std::string> localPathsOfUriList(std::string_view uriList, std::string_view hostName = {});

// "file://" and the path with every byte but letters, digits, "-._~" and "/" percent-encoded.
std::string fileUriOf(std::string_view path);

// The uri-list of these paths: each path's file URI and CR LF.
std::string uriListOf(const std::vector<std::string>& paths);

// GNOME's x-special/gnome-copied-files: "copy" (or "cut") and the file URIs, one a line.
std::string gnomeCopiedFilesOf(const std::vector<std::string>& paths, bool cut = false);

} // namespace rinoza
