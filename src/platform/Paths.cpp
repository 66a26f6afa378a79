#include "platform/Paths.h"

#include "platform/FileSystem.h"
#include "platform/TextNumbers.h"

namespace rinoza {

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string r;
    r.reserve(folder.size() + name.size() + 1);
    joinPathInto(r, folder, name);
    return r;
}

const std::string& joinPathInto(std::string& out, std::string_view folder, std::string_view name) {
    out.assign(folder);
    if (out.empty() || out.back() != '/')
        out += '/';
    out += name;
    return out;
}

std::string parentOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    auto pos = path.rfind('/');
    if (pos == std::string_view::npos)
        return ".";
    if (pos == 0)
        return "/";
    return std::string(path.substr(0, pos));
}

std::string baseNameOf(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return "";
    auto pos = path.rfind('/');
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

bool hasDotDot(std::string_view path) {
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        if (path.substr(i, j - i) == "..")
            return true;
        i = j + 1;
    }
    return false;
}

namespace {

// Whether an absolute path is already as absolutePath leaves it: no empty, "." or ".." component and
// no "/" at its end.
bool isCleanAbsolute(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return false;
    for (std::size_t i = 1; i < path.size();) {
        std::size_t j = path.find('/', i);
        if (j == std::string_view::npos)
            j = path.size();
        const std::string_view part = path.substr(i, j - i);
        if (part.empty() || part == "." || part == ".." || j == path.size() - 1)
            return false;
        i = j + 1;
    }
    return true;
}

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

std::optional<std::string> walkedPath(std::string_view abs, FileSystem& fs) {
    std::string result; // "" stands for the root
    std::size_t i = 0;
    while (i <= abs.size()) {
        std::size_t j = abs.find('/', i);
        if (j == std::string_view::npos)
            j = abs.size();
        const std::string_view part = abs.substr(i, j - i);
        i = j + 1;
        if (part.empty() || part == ".")
            continue;
        FileInfo info;
        if (part == "..") {
            if (result.empty())
                continue;
            if (fs.stat(result, info, false) == 0 && info.isSymlink) {
                result = fs.resolvedPath(result);
                if (result.empty())
                    return std::nullopt;
            } else if (fs.stat(result, info) != 0 || !info.isDirectory) {
                return std::nullopt; // "file/.." names nothing
            }
            result = parentOf(result);
            if (result == "/")
                result.clear();
            continue;
        }
        result += '/';
        result += part;
        if (fs.stat(result, info, false) != 0)
            return std::nullopt;
    }
    if (result.empty())
        return std::nullopt;
    return result;
}

std::string absolutePath(std::string_view path, std::string_view base, FileSystem& fs) {
    if (path.empty() || (path.front() != '/' && base.empty()))
        return std::string(path);
    // Dropped paths mostly come clean.
    if (isCleanAbsolute(path))
        return std::string(path);
    const std::string full = path.front() == '/' ? std::string(path) : joinPath(base, path);

    std::string clean;
    std::size_t i = 0;
    while (i <= full.size()) {
        std::size_t j = full.find('/', i);
        if (j == std::string::npos)
            j = full.size();
        const std::string_view part = std::string_view(full).substr(i, j - i);
        i = j + 1;
        // The root's ".." is the root itself.
        if (part.empty() || part == "." || (part == ".." && clean.empty()))
            continue;
        clean += '/';
        clean += part;
    }
    if (clean.empty())
        return "/";
    if (!hasDotDot(clean))
        return clean;
    return walkedPath(clean, fs).value_or(clean);
}

std::string percentEncodePath(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size() + path.size() / 2);
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c) || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::optional<uint8_t> byte =
            s[i] == '%' && i + 2 < s.size() ? parseDigits<uint8_t>(s.substr(i + 1, 2), 16) : std::nullopt;
        if (byte) {
            out.push_back(static_cast<char>(*byte));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

} // namespace rinoza
