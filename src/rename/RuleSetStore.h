#pragma once

// The rule set in the settings file: the current rule (section RenameFunction, written at close) and
// the five presets (sections SettingBack1 to SettingBack5) share one key table, so a key added to the
// rule is stored the same way in both.

#include "rename/RenameRuleSet.h"

#include <string>

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

} // namespace RuleSetStore

} // namespace rinoza
