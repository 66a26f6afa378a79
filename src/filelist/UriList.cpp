#include "filelist/UriList.h"

#include "platform/Paths.h"

#include <algorithm>

namespace rinoza {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The local path of one URI line, or "" when it names no local file.
std::string localPathOf(std::string_view uri, std::string_view hostName) {
    if (uri.size() < 5 || !equalsNoCase(uri.substr(0, 5), "file:"))
        return {};
    std::string_view rest = uri.substr(5);
    // A query or fragment is no part of a file's path; a literal "?" or "#" in a name arrives encoded.
    // One pass: find_first_of would look each character up in the set with a call of its own.
    const auto cut = std::find_if(rest.begin(), rest.end(), [](char c) { return c == '?' || c == '#'; });
    rest = rest.substr(0, static_cast<std::size_t>(cut - rest.begin()));
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equalsNoCase(host, "localhost") && (hostName.empty() || !equalsNoCase(host, hostName)))
            return {};
        if (slash == std::string_view::npos)
            return {};
        rest = rest.substr(slash);
    }
    if (rest.empty() || rest.front() != '/')
        return {};
    std::string path = percentDecode(rest);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    // A NUL cannot be part of a path the system would take.
    if (path.find('\0') != std::string::npos)
        return {};
    return path;
}

} // namespace

std::vector<std::string> localPathsOfUriList(std::string_view uriList, std::string_view hostName) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start <= uriList.size()) {
        std::size_t end = uriList.find('\n', start);
        if (end == std::string_view::npos)
            end = uriList.size();
        const std::string_view line = trimmed(uriList.substr(start, end - start));
        if (!line.empty() && line.front() != '#') {
            std::string path = localPathOf(line, hostName);
            if (!path.empty())
                paths.push_back(std::move(path));
        }
        start = end + 1;
    }
    return paths;
}

std::string fileUriOf(std::string_view path) {
    return "file://" + percentEncodePath(path);
}

std::string uriListOf(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& p : paths) {
        list += fileUriOf(p);
        list += "\r\n";
    }
    return list;
}

std::string gnomeCopiedFilesOf(const std::vector<std::string>& paths, bool cut) {
    std::string text = cut ? "cut" : "copy";
    for (const std::string& p : paths) {
        text += '\n';
        text += fileUriOf(p);
    }
    return text;
}

} // namespace rinoza
