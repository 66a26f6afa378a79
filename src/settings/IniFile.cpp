#include "settings/IniFile.h"

#include "common/TextCodec.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/TextNumbers.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>

namespace rinoza {

namespace {

constexpr std::size_t kMaxStringRead = 2047;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// The first line of a settings file that holds bytes a reader could take for the Windows code page.
constexpr std::string_view kOwnFileMark = "; 文字コード UTF-8 (フォルダ名はそのままのバイト列)";

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// The name of a section line "[name]", or nullopt for any other line.
std::optional<std::string_view> sectionNameOf(std::string_view line) {
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

// Splits "key=value" at the first "="; false for lines without one.
bool splitKeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trimBlanks(line.substr(0, eq));
    value = trimBlanks(line.substr(eq + 1));
    return true;
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool enclosedInQuotes(std::string_view v) {
    return v.size() >= 2 && isQuote(v.front()) && v.front() == v.back();
}

// Cuts at most `limit` bytes without splitting a UTF-8 character.
std::string_view cutAtCharBoundary(std::string_view s, std::size_t limit) {
    if (s.size() <= limit)
        return s;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80)
        --end;
    return s.substr(0, end);
}

// The stored form of a value. Reading trims blanks and strips one pair of enclosing quotes, so a
// value that begins or ends with a blank, or is itself enclosed in quotes, is written inside one
// more pair of quotes and reads back unchanged. Line breaks would end the line and start a forged
// key, so they are stored as blanks.
std::string storedValue(std::string_view value) {
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n')
            c = ' ';
    const bool padded = !v.empty() && (v.front() == ' ' || v.front() == '\t' || v.back() == ' ' || v.back() == '\t');
    if (padded || enclosedInQuotes(v))
        return '"' + v + '"';
    return v;
}

// A stored integer: signed decimal, or "0x" and hexadecimal digits when the text is longer than two
// characters. Hexadecimal takes the 32-bit pattern, so 0xFFFFFFFF reads as -1.
std::optional<int> parseStoredInteger(std::string_view s) {
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        const auto v = parseDigits<uint32_t>(s.substr(2), 16);
        if (!v)
            return std::nullopt;
        return static_cast<int>(static_cast<int32_t>(*v));
    }
    return parseInteger<int>(s);
}

bool hasNonAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

// The lines of a settings file as they are kept. This program writes values as raw bytes: mostly
// UTF-8, but a folder name may be any bytes. So a file decodes as CP932 only when it looks written
// by the Windows version: not valid UTF-8, no line that is UTF-8 with non-ASCII text, and valid CP932
// throughout. Anything else keeps its bytes, so one odd folder name never garbles the other values.
std::string settingsText(std::string_view raw) {
    const bool hasBom = raw.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    if (hasBom)
        raw.remove_prefix(kUtf8Bom.size());
    if (hasBom || isValidUtf8(raw))
        return std::string(raw);
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\n', start);
        if (end == std::string_view::npos)
            end = raw.size();
        const std::string_view line = raw.substr(start, end - start);
        if (hasNonAscii(line) && isValidUtf8(line))
            return std::string(raw);
        start = end + 1;
    }
    std::string decoded;
    if (decodeCp932(raw, decoded))
        return decoded;
    return std::string(raw);
}

std::string envOrEmpty(FileSystem& fs, const char* name) {
    return fs.environment(name).value_or(std::string());
}

} // namespace

SettingsWriteError::SettingsWriteError(const std::string& path)
    : std::runtime_error(path + " に書き込めません"), m_path(path) {}

IniFile::IniFile(FileSystem& fs, std::string path) : m_fs(fs), m_path(std::move(path)) {
    load();
}

void IniFile::load() {
    m_lines.clear();
    std::string raw;
    if (m_fs.readWholeFile(m_path, raw) != 0)
        return;
    const std::string text = settingsText(raw);
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_lines.push_back(std::move(line));
        start = end + 1;
    }
}

namespace {

// The range of lines [header, end) of the first section named `section`; header is npos when absent.
struct SectionRange {
    std::size_t header = std::string::npos;
    std::size_t end = 0;
};

SectionRange findSection(const std::vector<std::string>& lines, const std::string& section) {
    SectionRange r;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto name = sectionNameOf(lines[i]);
        if (!name)
            continue;
        if (r.header != std::string::npos) {
            r.end = i;
            return r;
        }
        if (equalsAsciiNoCase(*name, section))
            r.header = i;
    }
    r.end = lines.size();
    return r;
}

std::optional<std::size_t> findKey(const std::vector<std::string>& lines, const SectionRange& r,
                                   const std::string& key) {
    if (r.header == std::string::npos)
        return std::nullopt;
    for (std::size_t i = r.header + 1; i < r.end; ++i) {
        std::string_view k;
        std::string_view v;
        if (splitKeyValue(lines[i], k, v) && equalsAsciiNoCase(k, key))
            return i;
    }
    return std::nullopt;
}

} // namespace

namespace {

// The stored text of a key with one pair of enclosing quotes stripped and cut to the read limit.
std::optional<std::string> lookup(const std::vector<std::string>& lines, const std::string& section,
                                  const std::string& key) {
    const auto line = findKey(lines, findSection(lines, section), key);
    if (!line)
        return std::nullopt;
    std::string_view k;
    std::string_view v;
    splitKeyValue(lines[*line], k, v);
    if (enclosedInQuotes(v))
        v = v.substr(1, v.size() - 2);
    return std::string(cutAtCharBoundary(v, kMaxStringRead));
}

} // namespace

std::string IniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    return lookup(m_lines, section, key).value_or(def);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const auto text = lookup(m_lines, section, key);
    if (!text)
        return def;
    return parseStoredInteger(*text).value_or(def);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string line = key + "=" + storedValue(value);
    const SectionRange r = findSection(m_lines, section);
    if (r.header == std::string::npos) {
        m_lines.push_back("[" + section + "]");
        m_lines.push_back(line);
    } else if (const auto at = findKey(m_lines, r, key)) {
        m_lines[*at] = line;
    } else {
        // After the section's last non-blank line, so a blank line before the next section stays there.
        std::size_t insertAt = r.end;
        while (insertAt > r.header + 1 && trimBlanks(m_lines[insertAt - 1]).empty())
            --insertAt;
        m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
    }
    changed();
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::EraseSection(const std::string& section) {
    bool erased = false;
    for (;;) {
        const SectionRange r = findSection(m_lines, section);
        if (r.header == std::string::npos)
            break;
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(r.header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(r.end));
        erased = true;
    }
    if (erased)
        changed();
}

void IniFile::EraseKey(const std::string& section, const std::string& key) {
    if (const auto at = findKey(m_lines, findSection(m_lines, section), key)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*at));
        changed();
    }
}

void IniFile::changed() {
    if (m_updateDepth > 0)
        m_pending = true;
    else
        save();
}

void IniFile::endUpdate() {
    if (m_updateDepth > 0 && --m_updateDepth == 0 && m_pending) {
        m_pending = false;
        save();
    }
}

void IniFile::save() {
    std::string content;
    for (const std::string& line : m_lines) {
        content += line;
        content += "\r\n";
    }
    // Bytes that are not UTF-8 (a folder name, say) could make the file look like one of the Windows
    // version when nothing else in it is non-ASCII. A comment line in Japanese UTF-8 tells the two
    // apart on the next reading; profile readers pass comment lines over, and the file keeps no BOM.
    if (settingsText(content) != content)
        content.insert(0, std::string(kOwnFileMark) + "\r\n");
    // A power cut leaves either the old file or the whole new one, never an empty one.
    if (m_fs.replaceFile(m_path, content, ReplaceOptions()) != 0)
        throw SettingsWriteError(m_path);
}

std::string settingsFolderFor(const SettingsPlaceFacts& facts) {
    if (!facts.rinozaHome.empty())
        return facts.rinozaHome;
    const bool portable = facts.settingsBesideExe || facts.exeInBuildTree;
    if (portable && !facts.exeFolder.empty() && facts.exeFolderWritable)
        return facts.exeFolder;
    // The XDG rules ignore a relative path here.
    const std::string& config = facts.xdgConfigHome;
    if (!config.empty() && config.front() == '/')
        return joinPath(config, "rinoza");
    return joinPath(joinPath(facts.home, ".config"), "rinoza");
}

std::string settingsFolder(FileSystem& fs) {
    SettingsPlaceFacts facts;
    facts.rinozaHome = envOrEmpty(fs, "RINOZA_HOME");
    if (!facts.rinozaHome.empty()) {
        // A folder named there but not made yet is made, as the configuration home is, so that the
        // first close can write the settings.
        fs.makePrivateFolders(facts.rinozaHome);
        return facts.rinozaHome;
    }
    facts.xdgConfigHome = envOrEmpty(fs, "XDG_CONFIG_HOME");
    facts.home = fs.homeFolder();
    facts.exeFolder = fs.executableFolder();
    // Something (a file, a folder, a link that leads somewhere) is at the path.
    auto exists = [&fs](const std::string& path) {
        FileInfo info;
        return fs.stat(path, info, true) == 0;
    };
    if (!facts.exeFolder.empty()) {
        facts.exeFolderWritable = fs.canWriteInto(facts.exeFolder);
        facts.settingsBesideExe = exists(joinPath(facts.exeFolder, "rinoza.ini"));
        // CMake leaves its cache at the top of every build tree, where the programs are built.
        facts.exeInBuildTree = exists(joinPath(facts.exeFolder, "CMakeCache.txt"));
    }
    const std::string folder = settingsFolderFor(facts);
    if (folder != facts.exeFolder)
        fs.makePrivateFolders(folder);
    return folder;
}

std::string settingsFilePath(FileSystem& fs) {
    return settingsFolder(fs) + "/rinoza.ini";
}

std::string historyFilePath(FileSystem& fs) {
    return settingsFolder(fs) + "/rinoza.txt";
}

} // namespace rinoza
