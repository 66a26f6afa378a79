#include "rename/RuleSetStore.h"

#include "settings/IniFile.h"

#include <array>

namespace rinoza {

namespace {

enum class Kind { Text, Number };

// One key of a stored rule. `presetToo` is false for the keys a preset leaves alone.
struct Field {
    const char* key;
    Kind kind;
    bool presetToo;
    std::string& (*text)(StoredRuleSet&);
    int& (*number)(StoredRuleSet&);
    const char* textDefault;
    int numberDefault;
};

constexpr Field text(const char* key, std::string& (*ref)(StoredRuleSet&), const char* def, bool presetToo = true) {
    return {key, Kind::Text, presetToo, ref, nullptr, def, 0};
}
constexpr Field number(const char* key, int& (*ref)(StoredRuleSet&), int def, bool presetToo = true) {
    return {key, Kind::Number, presetToo, nullptr, ref, "", def};
}

// The keys after the nine element captions and ticks, in the order they are written.
const std::array<Field, 15> kFields = {
    text("FixF1", [](StoredRuleSet& s) -> std::string& { return s.rules.fixF1; }, ""),
    text("FixF2", [](StoredRuleSet& s) -> std::string& { return s.rules.fixF2; }, ""),
    text("FixK", [](StoredRuleSet& s) -> std::string& { return s.rules.fixK; }, ""),
    number("MotoStart", [](StoredRuleSet& s) -> int& { return s.rules.motoStart; }, 1),
    number("MotoEnd", [](StoredRuleSet& s) -> int& { return s.rules.motoEnd; }, 999),
    text("RenKeta", [](StoredRuleSet& s) -> std::string& { return s.rules.renKeta; }, "3"),
    number("RenStart", [](StoredRuleSet& s) -> int& { return s.renStart; }, 1),
    // Written "Renadd", read as "RenAdd": keys compare without regard to case.
    number("Renadd", [](StoredRuleSet& s) -> int& { return s.rules.renAdd; }, 1, false),
    number("DateTime", [](StoredRuleSet& s) -> int& { return s.rules.dateTime; }, 0),
    text("DateK", [](StoredRuleSet& s) -> std::string& { return s.rules.dateK; }, "_"),
    text("TimeK", [](StoredRuleSet& s) -> std::string& { return s.rules.timeK; }, "_"),
    number("Case", [](StoredRuleSet& s) -> int& { return s.rules.caseMode; }, 0),
    text("ReiBefore", [](StoredRuleSet& s) -> std::string& { return s.reiBefore; }, "abcde.xyz", false),
    text("StrChgBefore", [](StoredRuleSet& s) -> std::string& { return s.rules.strChgBefore; }, ""),
    text("StrChgAfter", [](StoredRuleSet& s) -> std::string& { return s.rules.strChgAfter; }, ""),
};

void readRule(const IniFile& ini, const std::string& section, bool preset, StoredRuleSet& into) {
    for (int n = 1; n <= 9; ++n) {
        RenameElement& e = into.rules.elements[static_cast<std::size_t>(n - 1)];
        e.caption = ini.ReadString(section, "Chg" + std::to_string(n), "");
        e.checked = ini.ReadBool(section, "ChgB" + std::to_string(n), false);
        if (e.caption.empty()) {
            e.caption = defaultElementCaption(n);
            e.checked = defaultElementChecked(n);
        }
    }
    for (const Field& f : kFields) {
        if (preset && !f.presetToo)
            continue;
        if (f.kind == Kind::Text)
            f.text(into) = ini.ReadString(section, f.key, f.textDefault);
        else
            f.number(into) = ini.ReadInteger(section, f.key, f.numberDefault);
    }
}

void writeRule(IniFile& ini, const std::string& section, bool preset, StoredRuleSet rule) {
    for (int n = 1; n <= 9; ++n) {
        const RenameElement& e = rule.rules.elements[static_cast<std::size_t>(n - 1)];
        ini.WriteString(section, "Chg" + std::to_string(n), e.caption);
        ini.WriteBool(section, "ChgB" + std::to_string(n), e.checked);
    }
    for (const Field& f : kFields) {
        if (preset && !f.presetToo)
            continue;
        if (f.kind == Kind::Text)
            ini.WriteString(section, f.key, f.text(rule));
        else
            ini.WriteInteger(section, f.key, f.number(rule));
    }
}

} // namespace

namespace RuleSetStore {

std::string presetSection(int n) { return "SettingBack" + std::to_string(n); }

StoredRuleSet readCurrent(const IniFile& ini) {
    StoredRuleSet rule;
    readRule(ini, kCurrentSection, false, rule);
    return rule;
}

void writeCurrent(IniFile& ini, const StoredRuleSet& rule) {
    ini.EraseSection(kCurrentSection);
    writeRule(ini, kCurrentSection, false, rule);
}

bool presetSaved(const IniFile& ini, int n) { return ini.ReadBool(presetSection(n), "In", false); }

void readPreset(const IniFile& ini, int n, StoredRuleSet& into) { readRule(ini, presetSection(n), true, into); }

void writePreset(IniFile& ini, int n, const StoredRuleSet& rule) {
    const std::string section = presetSection(n);
    ini.WriteBool(section, "In", true);
    writeRule(ini, section, true, rule);
}

} // namespace RuleSetStore

} // namespace rinoza
