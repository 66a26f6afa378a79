#include "rename/RuleSetStore.h"

#include "settings/IniFile.h"

#include <array>

namespace rinoza {

namespace {

enum class Kind { Text, Number, Flag };

// Keys the Windows version does not know are written only while they differ from their default (a
// missing key reads as the default), so a rule that does not use them is stored as it always was.
enum class Written { Always, WhenSet };

// One key of a stored rule. `presetToo` is false for the keys a preset leaves alone.
struct Field {
    const char* key;
    Kind kind;
    bool presetToo;
    Written written;
    std::string& (*text)(StoredRuleSet&);
    int& (*number)(StoredRuleSet&);
    bool& (*flag)(StoredRuleSet&);
    const char* textDefault;
    int numberDefault;
};

constexpr Field text(const char* key, std::string& (*ref)(StoredRuleSet&), const char* def, bool presetToo = true) {
    return {key, Kind::Text, presetToo, Written::Always, ref, nullptr, nullptr, def, 0};
}
constexpr Field number(const char* key, int& (*ref)(StoredRuleSet&), int def, bool presetToo = true,
                       Written written = Written::Always) {
    return {key, Kind::Number, presetToo, written, nullptr, ref, nullptr, "", def};
}
constexpr Field flag(const char* key, bool& (*ref)(StoredRuleSet&)) {
    return {key, Kind::Flag, true, Written::WhenSet, nullptr, nullptr, ref, "", 0};
}

// The keys after the nine element captions and ticks, in the order they are written.
const std::array<Field, 20> kFields = {
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
    flag("StrChgRegex", [](StoredRuleSet& s) -> bool& { return s.rules.strChgRegex; }),
    flag("RenFolder", [](StoredRuleSet& s) -> bool& { return s.rules.renFolder; }),
    number("Width", [](StoredRuleSet& s) -> int& { return s.rules.width; }, 0, true, Written::WhenSet),
    number("Kana", [](StoredRuleSet& s) -> int& { return s.rules.kana; }, 0, true, Written::WhenSet),
    flag("Nfc", [](StoredRuleSet& s) -> bool& { return s.rules.nfc; }),
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
        switch (f.kind) {
        case Kind::Text:
            f.text(into) = ini.ReadString(section, f.key, f.textDefault);
            break;
        case Kind::Number:
            f.number(into) = ini.ReadInteger(section, f.key, f.numberDefault);
            break;
        case Kind::Flag:
            f.flag(into) = ini.ReadBool(section, f.key, f.numberDefault != 0);
            break;
        }
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
        if (f.kind == Kind::Text) {
            ini.WriteString(section, f.key, f.text(rule));
            continue;
        }
        const int value = f.kind == Kind::Flag ? (f.flag(rule) ? 1 : 0) : f.number(rule);
        // A preset section is not erased before a save: a key left from an earlier save must go.
        if (f.written == Written::WhenSet && value == f.numberDefault)
            ini.EraseKey(section, f.key);
        else
            ini.WriteInteger(section, f.key, value);
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
