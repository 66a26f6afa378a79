#include "settings/DisplaySettings.h"
#include "platform/posix/PosixFileSystem.h"

#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

std::tuple<bool, bool, bool, bool, bool, bool, int> fields(const DisplaySettings& s) {
    return {s.LVIconVisible, s.LVSysVisible, s.LVHiddenVisible, s.LVReadonlyVisible, s.Focus, s.ColSize, s.LVIconMax};
}

} // namespace

TEST(DisplaySettings, ReadFromSectionWindowWithDefaultsForWhatIsMissingOrUnreadable) {
    const struct {
        const char* what;
        const char* content;
        std::tuple<bool, bool, bool, bool, bool, bool, int> expected;
    } cases[] = {
        {"no file", nullptr, {true, true, true, true, true, false, 10000}},
        {"other section only", "[Other]\r\nLVIconMax=5\r\nColSize=1\r\n", {true, true, true, true, true, false, 10000}},
        {"every key",
         "[Window]\r\nLVIconVisible=0\r\nLVSysVisible=0\r\nLVHiddenVisible=0\r\nLVReadonlyVisible=0\r\n"
         "Focus=0\r\nColSize=1\r\nLVIconMax=30000\r\n",
         {false, false, false, false, false, true, 30000}},
        {"unreadable values keep the defaults",
         "[Window]\r\nLVIconVisible=no\r\nColSize=yes\r\nLVIconMax=many\r\n",
         {true, true, true, true, true, false, 10000}},
        {"some keys",
         "[window]\r\nLVHiddenVisible=0\r\nLVIconMax=0x10\r\n",
         {true, true, false, true, true, false, 16}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir / "rinoza.ini";
        if (c.content)
            test::writeFile(path, c.content);
        EXPECT_EQ(fields(loadDisplaySettings(IniFile(systemFileSystem(), path))), c.expected);
    }
    EXPECT_EQ(fields(DisplaySettings{}), cases[0].expected);
}

TEST(DisplaySettings, SavedAsTheDialogWritesThemAndReadBackUnchanged) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    test::writeFile(path, "[Window]\r\nLeft=3\r\n");
    DisplaySettings s;
    s.LVSysVisible = false;
    s.ColSize = true;
    s.LVIconMax = 250;
    IniFile ini(systemFileSystem(), path);
    saveDisplaySettings(ini, s);
    EXPECT_EQ(test::readFile(path), "[Window]\r\nLeft=3\r\nLVIconVisible=1\r\nLVSysVisible=0\r\nLVHiddenVisible=1\r\n"
                                    "LVReadonlyVisible=1\r\nFocus=1\r\nColSize=1\r\nLVIconMax=250\r\n");
    EXPECT_EQ(fields(loadDisplaySettings(IniFile(systemFileSystem(), path))), fields(s));
}
