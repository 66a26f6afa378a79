#pragma once

// The rule set in the settings file: the current rule (section RenameFunction, written at close) and
// the five presets (sections SettingBack1 to SettingBack5) share one key table, so a key added to the
// rule is stored the same way in both.

#include "rename/RenameRuleSet.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rinoza {

class IniFile;

// What a stored rule holds beyond the rule set itself: the serial start number and the example name.
struct StoredRuleSet {
    RenameRuleSet rules = RenameRuleSet::defaults();
    int renStart = 1;
    std::string reiBefore = "abcde.xyz";
};

namespace RuleSetStore {

inline constexpr const char* kCurrentSection = "RenameFunction";

// "SettingBack" followed by n (1..5).
std::string presetSection(int n);

// The current rule; missing keys give the defaults. An empty caption at position n stands for the
// default element n with its default tick.
StoredRuleSet readCurrent(const IniFile& ini);
// Erases the section, then writes every key in table order (the serial increment under "Renadd").
void writeCurrent(IniFile& ini, const StoredRuleSet& rule);

// Whether preset n was saved (its key In).
bool presetSaved(const IniFile& ini, int n);
// Reads preset n into `into`: every preset key, with its default when missing. The serial increment
// and the example name are not part of a preset and stay as they are in `into`.
void readPreset(const IniFile& ini, int n, StoredRuleSet& into);
// Writes In = true and every preset key, in table order; other keys of the section stay.
void writePreset(IniFile& ini, int n, const StoredRuleSet& rule);

// Sets one key of the rule from a text given outside the settings file (rinoza-cli --set KEY=VALUE),
// keys compared without regard to case as the settings file compares them. The value must be one the
// window takes: a whole number within its control's range, 0 or 1 for a box, a digit count 1 to 4,
// for Chg1..Chg9 an element's number or caption, a text that a file name can hold for the fixed
// texts, the extension and the separators. The example name is no key of the rule. Returns the
// message when the key is unknown or the value is not one it takes (nothing changes then), else "".
std::string setKey(StoredRuleSet& rule, std::string_view key, std::string_view value);

// The keys of element n (1..9), or of the conversions of the whole name (0), with their values as
// the settings file holds them, in table order.
std::vector<std::pair<std::string, std::string>> elementKeys(const StoredRuleSet& rule, int element);

// The message when a replacement text holds a character that a file name cannot hold: the search
// text unless it is a regular expression, the replacement text except the backslash of a regular
// expression's replacement. "" when both can be used.
std::string replacementTextError(const RenameRuleSet& rules);

} // namespace RuleSetStore

} // namespace rinoza
