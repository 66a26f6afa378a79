#include "rename/RuleSetStore.h"

#include "platform/posix/PosixFileSystem.h"
#include "settings/IniFile.h"
#include "support/TestSupport.h"

#include <algorithm>
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
        IniFile ini(systemFileSystem(), path);
        RuleSetStore::writeCurrent(ini, StoredRuleSet());
    }
    EXPECT_EQ(lines(path, "StrChgBefore"), "StrChgBefore=\r\nStrChgAfter=\r\n");
    const StoredRuleSet plain = RuleSetStore::readCurrent(IniFile(systemFileSystem(), path));
    EXPECT_FALSE(plain.rules.strChgRegex || plain.rules.renFolder || plain.rules.nfc);
    EXPECT_EQ(plain.rules.width, 0);
    EXPECT_EQ(plain.rules.kana, 0);

    {
        IniFile ini(systemFileSystem(), path);
        RuleSetStore::writeCurrent(ini, everyNewOptionSet());
    }
    EXPECT_EQ(lines(path, "StrChgBefore"), "StrChgBefore=\r\nStrChgAfter=\r\nStrChgRegex=1\r\nRenFolder=1\r\n"
                                           "Width=3\r\nKana=2\r\nNfc=1\r\n");
    const StoredRuleSet back = RuleSetStore::readCurrent(IniFile(systemFileSystem(), path));
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
        IniFile ini(systemFileSystem(), path);
        RuleSetStore::writePreset(ini, 3, everyNewOptionSet());
    }
    StoredRuleSet into;
    RuleSetStore::readPreset(IniFile(systemFileSystem(), path), 3, into);
    EXPECT_TRUE(into.rules.strChgRegex && into.rules.renFolder && into.rules.nfc);
    EXPECT_EQ(into.rules.width, 3);

    {
        IniFile ini(systemFileSystem(), path);
        RuleSetStore::writePreset(ini, 3, StoredRuleSet());
    }
    const std::string text = test::readFile(path);
    for (const char* key : {"StrChgRegex", "RenFolder", "Width", "Kana", "Nfc"})
        EXPECT_EQ(text.find(key), std::string::npos) << key;
    EXPECT_NE(text.find("Mine=kept"), std::string::npos);
    RuleSetStore::readPreset(IniFile(systemFileSystem(), path), 3, into);
    EXPECT_FALSE(into.rules.strChgRegex || into.rules.renFolder || into.rules.nfc);
    EXPECT_EQ(into.rules.kana, 0);
}

// Keys given outside the settings file (rinoza-cli --set) take what the window takes, or say why not.
TEST(RuleSetStore, KeysGivenAsTextAreCheckedAsTheWindowTakesThem) {
    const struct {
        const char* key;
        const char* value;
        const char* error;   // "" when taken
        int element;         // whose keys show the value taken
        const char* shownAs; // KEY=VALUE among them
    } rows[] = {
        {"FixF1", "new_", "", 1, "FixF1=new_"},
        {"fixf1", "写真", "", 1, "FixF1=写真"}, // keys compare without regard to case
        {"FixF1", "a/b", "FixF1 にファイル名に使えない文字があります: a/b", 1, "FixF1="},
        {"TimeK", "|", "TimeK にファイル名に使えない文字があります: |", 8, "TimeK=_"},
        {"MotoStart", "12", "", 2, "MotoStart=12"},
        {"MotoStart", "0", "MotoStart には 1 から 999 の整数を指定して下さい: 0", 2, "MotoStart=1"},
        {"MotoEnd", "1x", "MotoEnd には 1 から 999 の整数を指定して下さい: 1x", 2, "MotoEnd=999"},
        {"RenKeta", "4", "", 4, "RenKeta=4"},
        {"RenKeta", "5", "RenKeta には 1 から 4 の整数を指定して下さい: 5", 4, "RenKeta=3"},
        {"RenStart", "+7", "", 4, "RenStart=7"},
        {"RenAdd", "5", "", 4, "Renadd=5"},
        {"RenFolder", "1", "", 4, "RenFolder=1"},
        {"DateTime", "11", "", 8, "DateTime=11"},
        {"DateTime", "12", "DateTime には 0 から 11 の整数を指定して下さい: 12", 8, "DateTime=0"},
        {"Case", "-1", "Case には 0 から 3 の整数を指定して下さい: -1", 0, "Case=0"},
        {"Width", "4", "", 0, "Width=4"},
        {"Width", " 1", "Width には 0 から 4 の整数を指定して下さい:  1", 0, "Width=0"},
        {"Kana", "2", "", 0, "Kana=2"},
        {"Nfc", "yes", "Nfc には 0 か 1 を指定して下さい: yes", 0, "Nfc=0"},
        {"StrChgRegex", "1", "", 9, "StrChgRegex=1"},
        {"StrChgBefore", "(\\d+)|x", "", 9, "StrChgBefore=(\\d+)|x"}, // judged with StrChgRegex at the end
        {"ReiBefore", "x.txt", "変名設定のキーではありません: ReiBefore", 0, "Case=0"},
        {"Foo", "1", "変名設定のキーではありません: Foo", 0, "Case=0"},
    };
    for (const auto& row : rows) {
        StoredRuleSet rule;
        EXPECT_EQ(RuleSetStore::setKey(rule, row.key, row.value), row.error) << row.key << "=" << row.value;
        std::vector<std::string> shown;
        for (const auto& [k, v] : RuleSetStore::elementKeys(rule, row.element))
            shown.push_back(k + "=" + v);
        EXPECT_NE(std::find(shown.begin(), shown.end(), row.shownAs), shown.end()) << row.key << "=" << row.value;
    }

    // The element list: a position takes an element by its digit or caption; its tick is a box.
    StoredRuleSet rule;
    EXPECT_EQ(RuleSetStore::setKey(rule, "Chg3", "4"), "");
    EXPECT_EQ(RuleSetStore::setKey(rule, "chgb3", "1"), "");
    EXPECT_EQ(RuleSetStore::setKey(rule, "Chg4", "3) 固定文字２"), "");
    EXPECT_EQ(rule.rules.elements[2], (RenameElement{"4) 連番", true}));
    EXPECT_EQ(rule.rules.elements[3].caption, "3) 固定文字２");
    EXPECT_EQ(RuleSetStore::setKey(rule, "Chg3", "x"), "Chg3 には要素の番号 (1～9) か見出しを指定して下さい: x");
    EXPECT_EQ(RuleSetStore::setKey(rule, "ChgB3", "2"), "ChgB3 には 0 か 1 を指定して下さい: 2");
    EXPECT_EQ(RuleSetStore::setKey(rule, "Chg10", "1"), "変名設定のキーではありません: Chg10");
    EXPECT_EQ(RuleSetStore::setKey(rule, "ChgB0", "1"), "変名設定のキーではありません: ChgB0");
    EXPECT_EQ(rule.rules.elements[2], (RenameElement{"4) 連番", true}));
}

TEST(RuleSetStore, ReplacementTextsHoldWhatANameCanHold) {
    const struct {
        const char* before;
        const char* after;
        bool regex;
        const char* error;
    } rows[] = {
        {"a", "b", false, ""},       {"a/b", "x", false, "StrChgBefore にファイル名に使えない文字があります: a/b"},
        {"(\\d+)|<", "x", true, ""}, {"a", "\\$1", false, "StrChgAfter にファイル名に使えない文字があります: \\$1"},
        {"a", "\\$1", true, ""},     {"a", "b|c", true, "StrChgAfter にファイル名に使えない文字があります: b|c"},
    };
    for (const auto& row : rows) {
        RenameRuleSet r;
        r.strChgBefore = row.before;
        r.strChgAfter = row.after;
        r.strChgRegex = row.regex;
        EXPECT_EQ(RuleSetStore::replacementTextError(r), row.error) << row.before << " " << row.after;
    }
}
