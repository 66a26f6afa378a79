#pragma once

// The settings store: a profile-format (INI) text file. Sections and keys compare without regard to
// ASCII letter case; a value is the text after the first "="; one pair of enclosing quotes is
// stripped on reading. Each write replaces the file atomically (temporary file, then rename), so a
// crash never leaves a truncated file. Reading never creates the file.
//
// Values are bytes, written as given. A file from the Windows version (CP932 throughout, no UTF-8
// text) is read decoded to UTF-8; any other file keeps its bytes, so a folder name that is not UTF-8
// reads back unchanged and leaves the other values alone. A file holding such bytes is written with
// a UTF-8 byte order mark, so it is never taken for one of the Windows version.
//
// The file is read once when the object is made; callers make one object per handler and drop it
// afterwards, so nothing is cached across user actions.

#include <stdexcept>
#include <string>
#include <vector>

namespace rinoza {

class FileSystem;

// A write the system refused. what() is "<path> に書き込めません".
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(const std::string& path);
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

class IniFile {
public:
    // Reads the file through fs, which also takes every write.
    IniFile(FileSystem& fs, std::string path);

    const std::string& path() const { return m_path; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // These throw SettingsWriteError when the file cannot be written; nothing after the failed write is made.
    // A settings file without any write permission is refused for every user, root included. Values that
    // begin or end with a blank or are enclosed in quotes are stored quoted so they read back unchanged;
    // line breaks in a value are stored as blanks. A file reached through a symbolic link is replaced
    // where it lies (or created there, when the link dangles), with its mode kept.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void EraseSection(const std::string& section);
    // Removes the key's line; nothing is written when the section has no such key.
    void EraseKey(const std::string& section, const std::string& key);

    // Gathers the writes of one handler into a single replacement of the file: between beginUpdate()
    // and endUpdate() writes change only the text in memory; endUpdate() writes the file once and
    // throws SettingsWriteError as a single write would. Closing the window writes over a hundred
    // values, and one replacement instead of one per value keeps the close quick and all-or-nothing.
    void beginUpdate() { ++m_updateDepth; }
    void endUpdate();

private:
    FileSystem& m_fs;
    std::string m_path;
    std::vector<std::string> m_lines; // the file's lines without their line ends (bytes; see load())
    int m_updateDepth = 0;
    bool m_pending = false;
    void load();
    void save();
    void changed();
};

// What the place of the settings and history files depends on.
struct SettingsPlaceFacts {
    std::string rinozaHome;         // $RINOZA_HOME ("" when unset)
    std::string xdgConfigHome;      // $XDG_CONFIG_HOME ("" when unset)
    std::string home;               // the user's home folder
    std::string exeFolder;          // the running program's folder ("" when unknown)
    bool exeFolderWritable = false; // this user may create and replace files there
    bool settingsBesideExe = false; // a rinoza.ini lies in exeFolder (a portable copy)
    bool exeInBuildTree = false;    // exeFolder is the build tree the program was built in
};

// The folder of the settings and history files: $RINOZA_HOME when set; the executable's folder for a
// portable copy (a rinoza.ini already beside it, or the build tree) when this user may write there;
// else $XDG_CONFIG_HOME/rinoza, or <home>/.config/rinoza when that is unset or not absolute. So an
// installed program, even one in a prefix the user owns, never writes beside itself.
std::string settingsFolderFor(const SettingsPlaceFacts& facts);

// settingsFolderFor() of the environment and folders fs tells; the folder under the configuration home
// is created on demand.
std::string settingsFolder(FileSystem& fs);
std::string settingsFilePath(FileSystem& fs); // <folder>/rinoza.ini
std::string historyFilePath(FileSystem& fs);  // <folder>/rinoza.txt

} // namespace rinoza
