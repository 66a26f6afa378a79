#include "settings/IniFile.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

std::string iniWith(const TempDir& dir, const std::string& content) {
    const std::string path = dir / "rinoza.ini";
    test::writeFile(path, content);
    return path;
}

} // namespace

TEST(IniFileRead, IntegersBooleansAndDefaults) {
    TempDir dir;
    const std::string path = iniWith(dir, "[Window]\r\n"
                                          "Hex=0x25F\r\n"
                                          "HexUpper=0X1a\r\n"
                                          "Word=abc\r\n"
                                          "Empty=\r\n"
                                          "Neg=-12\r\n"
                                          "Plus=+7\r\n"
                                          "BarePrefix=0x\r\n"
                                          "Trailing=12abc\r\n"
                                          "Big=2147483648\r\n"
                                          "Min=-2147483648\r\n"
                                          "AllOnes=0xFFFFFFFF\r\n"
                                          "HexZeros=0x000000000000FF\r\n"
                                          "HexTooBig=0x100000000\r\n"
                                          "HexHuge=0x1FFFFFFFFFFFFFFFFF\r\n"
                                          "Quoted=\"42\"\r\n"
                                          "Two=2\r\n"
                                          "Zero=0\r\n");
    const IniFile ini(systemFileSystem(), path);
    const struct {
        const char* key;
        int expected;
    } rows[] = {
        {"Hex", 607},       {"HexUpper", 26},  {"Word", -9},      {"Empty", -9},      {"Neg", -12},    {"Plus", 7},
        {"BarePrefix", -9}, {"Trailing", -9},  {"Big", -9},       {"Min", INT32_MIN}, {"AllOnes", -1}, {"Quoted", 42},
        {"Missing", -9},    {"HexZeros", 255}, {"HexTooBig", -9}, {"HexHuge", -9},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ini.ReadInteger("Window", r.key, -9), r.expected) << r.key;

    EXPECT_TRUE(ini.ReadBool("Window", "Two", false));
    EXPECT_FALSE(ini.ReadBool("Window", "Zero", true));
    EXPECT_TRUE(ini.ReadBool("Window", "Word", true)); // not a number: the default
    EXPECT_FALSE(ini.ReadBool("Window", "Word", false));
    EXPECT_TRUE(ini.ReadBool("Window", "Missing", true));
    EXPECT_EQ(ini.ReadInteger("NoSuchSection", "Hex", 5), 5);
}

TEST(IniFileRead, StringsQuotesCaseAndLineEnds) {
    TempDir dir;
    // LF line ends, blanks around names and values, quotes of both kinds.
    const std::string path = iniWith(dir, "[FindName]\n"
                                          "1=*.txt\n"
                                          " 2 = spaced \n"
                                          "3=\"in double\"\n"
                                          "4='in single'\n"
                                          "5=\"mixed'\n"
                                          "6=\"\n"
                                          "7=a=b=c\n"
                                          "8=\"\"\"x\"\"\"\n"
                                          "[ findlocate ]\n"
                                          "1=/home/u\n");
    const IniFile ini(systemFileSystem(), path);
    const struct {
        const char* section;
        const char* key;
        const char* expected;
    } rows[] = {
        {"FindName", "1", "*.txt"},     {"FINDNAME", "2", "spaced"},    {"findname", "3", "in double"},
        {"FindName", "4", "in single"}, {"FindName", "5", "\"mixed'"},  {"FindName", "6", "\""},
        {"FindName", "7", "a=b=c"},     {"FindName", "8", "\"\"x\"\""}, {"FindLocate", "1", "/home/u"},
        {"FindName", "9", "default"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ini.ReadString(r.section, r.key, "default"), r.expected) << r.section << "/" << r.key;
}

TEST(IniFileRead, LongValuesAreCutAtTheReadLimitOnACharacterBoundary) {
    TempDir dir;
    const std::string ascii(3000, 'a');
    const std::string kana = std::string(2046, 'b') + "あい"; // あ spans bytes 2047..2049
    const IniFile ini(systemFileSystem(), iniWith(dir, "[S]\r\nascii=" + ascii + "\r\nkana=" + kana + "\r\n"));
    EXPECT_EQ(ini.ReadString("S", "ascii", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.ReadString("S", "kana", ""), std::string(2046, 'b'));
}

TEST(IniFileRead, FileFromTheWindowsVersionIsDecodedFromCp932) {
    TempDir dir;
    // 表 is 0x95 0x5C in CP932: its second byte is a backslash.
    const std::string path = iniWith(dir, "[FindLocate]\r\n1=C:\\\x95\x5c\r\n2=\x83\x74\x83\x48\x83\x8b\x83\x5f\r\n");
    const IniFile ini(systemFileSystem(), path);
    EXPECT_EQ(ini.ReadString("FindLocate", "1", ""), "C:\\表");
    EXPECT_EQ(ini.ReadString("FindLocate", "2", ""), "フォルダ");
}

TEST(IniFileRead, ReadingAMissingFileCreatesNothing) {
    TempDir dir;
    const std::string path = dir / "sub/rinoza.ini";
    const IniFile ini(systemFileSystem(), path);
    EXPECT_EQ(ini.ReadString("Window", "Height", "x"), "x");
    EXPECT_EQ(ini.ReadInteger("Window", "Height", 607), 607);
    EXPECT_TRUE(test::snapshotTree(dir.path()).empty());
}

TEST(IniFileWrite, LayoutOfNewSectionsKeysAndReplacements) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    {
        IniFile ini(systemFileSystem(), path);
        ini.WriteInteger("Window", "Height", 607);
        ini.WriteBool("Window", "ColSize", true);
        ini.WriteInteger("ColSize", "0", 120);
        ini.WriteString("RenameFunction", "FixF1", "新_");
        // A new key of an earlier section goes to the end of that section, not of the file.
        ini.WriteBool("Window", "Focus", false);
        // An existing key is replaced in place, whatever the case of its name.
        ini.WriteInteger("window", "HEIGHT", 700);
        ini.WriteInteger("RenameFunction", "Renadd", 5);
    }
    EXPECT_EQ(test::readFile(path), "[Window]\r\n"
                                    "HEIGHT=700\r\n"
                                    "ColSize=1\r\n"
                                    "Focus=0\r\n"
                                    "[ColSize]\r\n"
                                    "0=120\r\n"
                                    "[RenameFunction]\r\n"
                                    "FixF1=新_\r\n"
                                    "Renadd=5\r\n");
    const IniFile again(systemFileSystem(), path);
    EXPECT_EQ(again.ReadInteger("RenameFunction", "RenAdd", 1), 5);
    // The key ColSize of Window and the section ColSize do not touch each other.
    EXPECT_TRUE(again.ReadBool("Window", "ColSize", false));
    EXPECT_EQ(again.ReadInteger("ColSize", "0", -9), 120);
    EXPECT_EQ(again.ReadInteger("ColSize", "ColSize", -9), -9);
}

TEST(IniFileWrite, NewKeyKeepsTheBlankLineBeforeTheNextSection) {
    TempDir dir;
    const std::string path = iniWith(dir, "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
    IniFile ini(systemFileSystem(), path);
    ini.WriteString("A", "c", "3");
    EXPECT_EQ(test::readFile(path), "[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=2\r\n");
}

TEST(IniFileWrite, EraseSectionRemovesHeaderAndKeys) {
    TempDir dir;
    const std::string path =
        iniWith(dir, "[Window]\r\nTop=1\r\n[RenameFunction]\r\nChg1=x\r\nChgB1=1\r\n[Time]\r\nCrt=0\r\n");
    IniFile ini(systemFileSystem(), path);
    ini.EraseSection("renamefunction");
    EXPECT_EQ(test::readFile(path), "[Window]\r\nTop=1\r\n[Time]\r\nCrt=0\r\n");
    EXPECT_EQ(ini.ReadString("RenameFunction", "Chg1", "gone"), "gone");
    // Erasing what is not there writes nothing, and never creates a file.
    const std::string other = dir / "other.ini";
    IniFile empty(systemFileSystem(), other);
    empty.EraseSection("Window");
    EXPECT_FALSE(test::pathExists(other));
}

TEST(IniFileWrite, EraseKeyRemovesOneLine) {
    TempDir dir;
    const std::string path = iniWith(dir, "[SettingBack1]\r\nIn=1\r\nWidth=2\r\n[Time]\r\nWidth=3\r\n");
    IniFile ini(systemFileSystem(), path);
    ini.EraseKey("settingback1", "WIDTH");
    EXPECT_EQ(test::readFile(path), "[SettingBack1]\r\nIn=1\r\n[Time]\r\nWidth=3\r\n");
    // A key that is not there writes nothing.
    test::writeFile(path, "[SettingBack1]\nIn=1\n");
    IniFile again(systemFileSystem(), path);
    again.EraseKey("SettingBack1", "Width");
    EXPECT_EQ(test::readFile(path), "[SettingBack1]\nIn=1\n");
}

TEST(IniFileWrite, ValuesReadBackAsWritten) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    const std::vector<std::string> values = {
        "plain", "", " leading", "trailing ", "\"quoted\"", "'single'", "\"half", "a=b", "C:\\表\\x", "ｶﾀｶﾅ",
    };
    {
        IniFile ini(systemFileSystem(), path);
        for (std::size_t i = 0; i < values.size(); ++i)
            ini.WriteString("FindName", std::to_string(i + 1), values[i]);
    }
    const IniFile ini(systemFileSystem(), path);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString("FindName", std::to_string(i + 1), "?"), values[i]) << i;
}

TEST(IniFileWrite, LineBreaksInAValueCannotForgeKeys) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    IniFile(systemFileSystem(), path).WriteString("FindName", "1", "a\r\n[Window]\r\nLVIconMax=1");
    const IniFile ini(systemFileSystem(), path);
    EXPECT_EQ(ini.ReadInteger("Window", "LVIconMax", 10000), 10000);
    EXPECT_EQ(ini.ReadString("FindName", "1", ""), "a  [Window]  LVIconMax=1");
}

TEST(IniFileWrite, ReplacementKeepsTheModeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = iniWith(dir, "[Window]\r\nTop=1\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    IniFile(systemFileSystem(), path).WriteInteger("Window", "Top", 2);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(test::snapshotTree(dir.path()).size(), 1u);
}

TEST(IniFileWrite, WriteThroughASymbolicLinkKeepsTheLink) {
    TempDir dir;
    const std::string real = iniWith(dir, "[Window]\r\nTop=1\r\n");
    const std::string link = dir / "link.ini";
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    IniFile(systemFileSystem(), link).WriteInteger("Window", "Top", 3);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(IniFile(systemFileSystem(), real).ReadInteger("Window", "Top", 0), 3);
}

TEST(IniFileWrite, ALinkToAMissingFileGetsTheSettingsWhereItPoints) {
    TempDir dir;
    test::makeDirs(dir / "real");
    const std::string link = dir / "link.ini";
    ASSERT_EQ(::symlink("real/rinoza.ini", link.c_str()), 0);
    IniFile(systemFileSystem(), link).WriteInteger("Window", "Top", 4);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(IniFile(systemFileSystem(), dir / "real/rinoza.ini").ReadInteger("Window", "Top", 0), 4);
}

TEST(IniFileWrite, RefusedWritesThrowWithThePathAndChangeNothing) {
    TempDir dir;
    // A read-only settings file is refused for every user, root included.
    const std::string readOnly = iniWith(dir, "[Window]\r\nTop=1\r\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    {
        IniFile ini(systemFileSystem(), readOnly);
        try {
            ini.WriteInteger("Window", "Top", 2);
            FAIL() << "write to a read-only file succeeded";
        } catch (const SettingsWriteError& e) {
            EXPECT_STREQ(e.what(), (readOnly + " に書き込めません").c_str());
            EXPECT_EQ(e.path(), readOnly);
        }
        EXPECT_THROW(ini.EraseSection("Window"), SettingsWriteError);
    }
    EXPECT_EQ(test::readFile(readOnly), "[Window]\r\nTop=1\r\n");

    // A folder that refuses new files. Root ignores permission bits, so it gets a folder that is not there.
    std::string refusing;
    if (::geteuid() != 0) {
        test::makeDirs(dir / "locked");
        ASSERT_EQ(::chmod((dir / "locked").c_str(), 0555), 0);
        refusing = dir / "locked/rinoza.ini";
    } else {
        refusing = dir / "missing/rinoza.ini";
    }
    IniFile ini(systemFileSystem(), refusing);
    try {
        ini.WriteBool("Window", "Focus", true);
        FAIL() << "write into a refusing folder succeeded";
    } catch (const SettingsWriteError& e) {
        EXPECT_STREQ(e.what(), (refusing + " に書き込めません").c_str());
    }
    EXPECT_FALSE(test::pathExists(refusing));
    if (::geteuid() != 0)
        ::chmod((dir / "locked").c_str(), 0755);
    EXPECT_THROW(IniFile(systemFileSystem(), "/proc/rinoza.ini").WriteString("Window", "Top", "1"), SettingsWriteError);
}

TEST(SettingsLocation, HomeVariableNamesTheFolder) {
    TempDir dir;
    const char* old = std::getenv("RINOZA_HOME");
    const std::string saved = old ? old : "";
    ::setenv("RINOZA_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(settingsFolder(systemFileSystem()), dir.path());
    EXPECT_EQ(settingsFilePath(systemFileSystem()), dir / "rinoza.ini");
    EXPECT_EQ(historyFilePath(systemFileSystem()), dir / "rinoza.txt");

    // Empty means unset. A test program is no portable copy (no rinoza.ini, no build cache beside it),
    // so the folder is the one under the configuration home, made on the first call.
    ::setenv("RINOZA_HOME", "", 1);
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = oldConfig ? oldConfig : "";
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    EXPECT_EQ(settingsFolder(systemFileSystem()), dir / "config/rinoza");
    EXPECT_TRUE(test::pathExists(dir / "config/rinoza"));
    if (oldConfig)
        ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");

    if (old)
        ::setenv("RINOZA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("RINOZA_HOME");
}

namespace {

// The real file system with a made-up environment and program folder.
class PlacedFileSystem : public test::FaultyFileSystem {
public:
    PlacedFileSystem(FileSystem& real, std::map<std::string, std::string> env, std::string exe, bool writable)
        : FaultyFileSystem(real), m_env(std::move(env)), m_exe(std::move(exe)), m_writable(writable) {}
    std::optional<std::string> environment(const char* name) override {
        const auto it = m_env.find(name);
        return it == m_env.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    std::string homeFolder() override { return m_env.count("HOME") ? m_env.at("HOME") : "/"; }
    std::string executableFolder() override { return m_exe; }
    bool canWriteInto(const std::string&) override { return m_writable; }

private:
    std::map<std::string, std::string> m_env;
    std::string m_exe;
    bool m_writable;
};

} // namespace

TEST(SettingsLocation, TheRuleReadsTheEnvironmentAndFoldersItIsHanded) {
    TempDir dir;
    const std::string home = dir / "home";
    test::writeFile(dir / "portable/rinoza.ini", "");
    test::makeDirs(dir / "installed");
    const struct {
        std::map<std::string, std::string> env;
        std::string exe;
        bool writable;
        std::string expected;
    } rows[] = {
        {{{"RINOZA_HOME", dir / "named"}, {"HOME", home}}, dir / "portable", true, dir / "named"},
        {{{"RINOZA_HOME", ""}, {"HOME", home}}, dir / "portable", true, dir / "portable"},
        {{{"HOME", home}}, dir / "portable", false, home + "/.config/rinoza"},
        {{{"HOME", home}}, dir / "installed", true, home + "/.config/rinoza"},
        {{{"HOME", home}, {"XDG_CONFIG_HOME", dir / "xdg"}}, "", true, dir / "xdg/rinoza"},
        {{{"HOME", home}, {"XDG_CONFIG_HOME", "relative"}}, "", true, home + "/.config/rinoza"},
    };
    for (const auto& r : rows) {
        PlacedFileSystem fs(systemFileSystem(), r.env, r.exe, r.writable);
        EXPECT_EQ(settingsFolder(fs), r.expected);
        EXPECT_EQ(historyFilePath(fs), r.expected + "/rinoza.txt");
    }
    // The folder of the configuration, and one RINOZA_HOME names, is made for the owner only.
    for (const std::string& made : {dir / "xdg/rinoza", dir / "named"}) {
        struct stat st {};
        ASSERT_EQ(::stat(made.c_str(), &st), 0) << made;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
}

TEST(IniFileFaults, AFileThatCannotBeReadGivesTheDefaultsAndAFailedReplacementChangesNothing) {
    TempDir dir;
    const std::string path = iniWith(dir, "[Window]\r\nTop=5\r\n");
    test::FaultyFileSystem fs(systemFileSystem());
    fs.failAt("readFile", 1, EIO);
    EXPECT_EQ(IniFile(fs, path).ReadInteger("Window", "Top", -1), -1);

    const struct {
        const char* operation;
        int err;
    } faults[] = {{"replace", ENOSPC}, {"replace", EIO}};
    for (const auto& f : faults) {
        fs.reset();
        IniFile ini(fs, path);
        fs.failAt(f.operation, 1, f.err);
        EXPECT_THROW(ini.WriteInteger("Window", "Top", 7), SettingsWriteError);
        EXPECT_EQ(test::readFile(path), "[Window]\r\nTop=5\r\n");
        ini.WriteInteger("Window", "Top", 8); // the next replacement goes through
        EXPECT_EQ(IniFile(fs, path).ReadInteger("Window", "Top", 0), 8);
        test::writeFile(path, "[Window]\r\nTop=5\r\n");
    }
}

TEST(SettingsLocation, OnlyAPortableCopyKeepsItsSettingsBesideItself) {
    struct Case {
        const char* what;
        SettingsPlaceFacts facts;
        const char* folder;
    };
    auto facts = [](const char* rinozaHome, const char* xdg, const char* exeFolder, bool writable, bool ini,
                    bool buildTree) {
        return SettingsPlaceFacts{rinozaHome, xdg, "/home/u", exeFolder, writable, ini, buildTree};
    };
    const Case cases[] = {
        {"installed system-wide", facts("", "", "/usr/bin", false, false, false), "/home/u/.config/rinoza"},
        {"installed in a prefix the user owns", facts("", "", "/home/u/.local/bin", true, false, false),
         "/home/u/.config/rinoza"},
        {"a configuration home of its own", facts("", "/cfg", "/home/u/.local/bin", true, false, false), "/cfg/rinoza"},
        {"a relative configuration home is ignored", facts("", "cfg", "/usr/bin", false, false, false),
         "/home/u/.config/rinoza"},
        {"portable: rinoza.ini beside the program", facts("", "/cfg", "/media/usb/rinoza", true, true, false),
         "/media/usb/rinoza"},
        {"portable copy on a medium that cannot be written", facts("", "/cfg", "/media/cd", false, true, false),
         "/cfg/rinoza"},
        {"started from its build tree", facts("", "/cfg", "/src/rinoza/build", true, false, true), "/src/rinoza/build"},
        {"RINOZA_HOME wins over a portable copy", facts("/tmp/h", "/cfg", "/media/usb", true, true, true), "/tmp/h"},
        {"RINOZA_HOME wins over the configuration home", facts("/tmp/h", "/cfg", "/usr/bin", false, false, false),
         "/tmp/h"},
        {"the program's folder unknown", facts("", "", "", true, true, true), "/home/u/.config/rinoza"},
        {"home is the root folder", SettingsPlaceFacts{"", "", "/", "/usr/bin", false, false, false},
         "/.config/rinoza"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settingsFolderFor(c.facts), c.folder) << c.what;
}

TEST(IniFileRead, ValuesKeepTheirBytesUnlessTheWholeFileIsFromTheWindowsVersion) {
    // 表 in CP932 (0x95 0x5C) is not UTF-8; neither is a stray 0xFF.
    const std::string cp932Folder = "/data/\x95\x5c";
    const std::string japanese = "日本語の名前";
    struct Case {
        const char* what;
        std::string content;
        std::string folder;    // FindLocate/1 as read back
        std::string fixedText; // RenameFunction/FixF1 as read back
    };
    const Case cases[] = {
        {"UTF-8 text and one CP932 folder",
         "[FindLocate]\r\n1=" + cp932Folder + "\r\n[RenameFunction]\r\nFixF1=" + japanese + "\r\n", cp932Folder,
         japanese},
        {"CP932 folder after the UTF-8 text",
         "[RenameFunction]\r\nFixF1=" + japanese + "\r\n[FindLocate]\r\n1=" + cp932Folder + "\r\n", cp932Folder,
         japanese},
        {"bytes that are neither encoding", "[FindLocate]\r\n1=/x\xff\xfe\r\n[RenameFunction]\r\nFixF1=\x93\xfa\r\n",
         "/x\xff\xfe", "\x93\xfa"},
        {"UTF-8 with a byte order mark and a CP932 folder",
         "\xEF\xBB\xBF[FindLocate]\r\n1=" + cp932Folder + "\r\n[RenameFunction]\r\nFixF1=abc\r\n", cp932Folder, "abc"},
        {"CP932 throughout", "[FindLocate]\r\n1=" + cp932Folder + "\r\n[RenameFunction]\r\nFixF1=\x93\xfa\x96\x7b\r\n",
         "/data/表", "日本"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const IniFile ini(systemFileSystem(), iniWith(dir, c.content));
        EXPECT_EQ(ini.ReadString("FindLocate", "1", "?"), c.folder);
        EXPECT_EQ(ini.ReadString("RenameFunction", "FixF1", "?"), c.fixedText);
    }
}

TEST(IniFileWrite, ANonUtf8FolderAndJapaneseTextSurviveWritingAndReadingBack) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    const std::string folder = "/mnt/old/\x83\x74\x83\x48\x83\x8b\x83\x5f"; // フォルダ in CP932
    const std::string fixed = "日付_";
    // The folder alone first: nothing else in the file tells it from one of the Windows version.
    IniFile(systemFileSystem(), path).WriteString("FindLocate", "1", folder);
    // No byte order mark: a Japanese comment line marks the file as this program's own.
    const std::string written = test::readFile(path);
    EXPECT_NE(written.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(written.rfind("; ", 0), 0u);
    IniFile(systemFileSystem(), path).WriteString("RenameFunction", "FixF1", fixed);
    IniFile(systemFileSystem(), path).WriteString("FindLocate", "2", "/home/u/写真");
    const IniFile ini(systemFileSystem(), path);
    EXPECT_EQ(ini.ReadString("FindLocate", "1", ""), folder);
    EXPECT_EQ(ini.ReadString("FindLocate", "2", ""), "/home/u/写真");
    EXPECT_EQ(ini.ReadString("RenameFunction", "FixF1", ""), fixed);
}

TEST(IniFileWrite, AnUpdateWritesTheFileOnceAtItsEnd) {
    TempDir dir;
    const std::string batched = iniWith(dir, "[Window]\r\nTop=1\r\n[RenameFunction]\r\nOld=x\r\n");
    const std::string single = dir / "single.ini";
    test::writeFile(single, test::readFile(batched));

    auto writeAll = [](IniFile& ini) {
        ini.WriteInteger("Window", "Top", 5);
        ini.EraseSection("RenameFunction");
        ini.WriteString("RenameFunction", "Chg1", "1) 固定文字１");
        ini.WriteBool("Attr", "R", true);
    };
    IniFile plain(systemFileSystem(), single);
    writeAll(plain);

    IniFile ini(systemFileSystem(), batched);
    ini.beginUpdate();
    writeAll(ini);
    // Nothing reaches the file until the update ends; reads see the new values at once.
    EXPECT_EQ(test::readFile(batched), "[Window]\r\nTop=1\r\n[RenameFunction]\r\nOld=x\r\n");
    EXPECT_EQ(ini.ReadInteger("Window", "Top", 0), 5);
    ini.endUpdate();
    EXPECT_EQ(test::readFile(batched), test::readFile(single));

    // A refused file fails at the end of the update, as a single write would, and stays as it was.
    ASSERT_EQ(::chmod(batched.c_str(), 0444), 0);
    IniFile refused(systemFileSystem(), batched);
    refused.beginUpdate();
    refused.WriteInteger("Window", "Top", 9);
    EXPECT_THROW(refused.endUpdate(), SettingsWriteError);
    EXPECT_EQ(test::readFile(batched), test::readFile(single));
}
