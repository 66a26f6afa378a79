#include "rename/RuleSetStore.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace rinoza;
using rinoza::test::TempDir;

namespace {

// The options beyond the rule the Windows version knows, each set away from its default.
StoredRuleSet everyNewOptionSet() {
    StoredRuleSet s;
    s.rules.strChgRegex = true;
    s.rules.renFolder = true;
    s.rules.width = 3;
    s.rules.kana = 2;
    s.rules.nfc = true;
    return s;
}

std::string lines(const std::string& ini, const std::string& from) {
    const std::string text = test::readFile(ini);
    return text.substr(text.find(from));
}

} // namespace

// A rule that uses none of the new options is stored exactly as before, so the Windows version and
// earlier versions see the same file; the options are stored while they are on, and read back.
TEST(RuleSetStore, NewOptionsAreStoredOnlyWhileSet) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    {
        IniFile ini(path);
        RuleSetStore::writeCurrent(ini, StoredRuleSet());
    }
    EXPECT_EQ(lines(path, "StrChgBefore"), "StrChgBefore=\r\nStrChgAfter=\r\n");
    const StoredRuleSet plain = RuleSetStore::readCurrent(IniFile(path));
    EXPECT_FALSE(plain.rules.strChgRegex || plain.rules.renFolder || plain.rules.nfc);
    EXPECT_EQ(plain.rules.width, 0);
    EXPECT_EQ(plain.rules.kana, 0);

    {
        IniFile ini(path);
        RuleSetStore::writeCurrent(ini, everyNewOptionSet());
    }
    EXPECT_EQ(lines(path, "StrChgBefore"), "StrChgBefore=\r\nStrChgAfter=\r\nStrChgRegex=1\r\nRenFolder=1\r\n"
                                           "Width=3\r\nKana=2\r\nNfc=1\r\n");
    const StoredRuleSet back = RuleSetStore::readCurrent(IniFile(path));
    EXPECT_TRUE(back.rules.strChgRegex && back.rules.renFolder && back.rules.nfc);
    EXPECT_EQ(back.rules.width, 3);
    EXPECT_EQ(back.rules.kana, 2);
}

// A preset is saved over its section without erasing it first: an option switched off again must
// not come back from the earlier save.
TEST(RuleSetStore, APresetSavedAgainForgetsOptionsSwitchedOff) {
    TempDir dir;
    const std::string path = dir / "rinoza.ini";
    test::writeFile(path, "[SettingBack3]\r\nMine=kept\r\n");
    {
        IniFile ini(path);
        RuleSetStore::writePreset(ini, 3, everyNewOptionSet());
    }
    StoredRuleSet into;
    RuleSetStore::readPreset(IniFile(path), 3, into);
    EXPECT_TRUE(into.rules.strChgRegex && into.rules.renFolder && into.rules.nfc);
    EXPECT_EQ(into.rules.width, 3);

    {
        IniFile ini(path);
        RuleSetStore::writePreset(ini, 3, StoredRuleSet());
    }
    const std::string text = test::readFile(path);
    for (const char* key : {"StrChgRegex", "RenFolder", "Width", "Kana", "Nfc"})
        EXPECT_EQ(text.find(key), std::string::npos) << key;
    EXPECT_NE(text.find("Mine=kept"), std::string::npos);
    RuleSetStore::readPreset(IniFile(path), 3, into);
    EXPECT_FALSE(into.rules.strChgRegex || into.rules.renFolder || into.rules.nfc);
    EXPECT_EQ(into.rules.kana, 0);
}
