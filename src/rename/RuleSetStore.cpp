#include "rename/RuleSetStore.h"

#include "common/Myfunction.h"
#include "platform/TextNumbers.h"
#include "rename/NameBuilder.h"
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
    // The element the key belongs to (1..9); 0 for the conversions of the whole name; -1 for a key
    // that is no part of the rule (the example name).
    int element;
    std::string& (*text)(StoredRuleSet&) = nullptr;
    int& (*number)(StoredRuleSet&) = nullptr;
    bool& (*flag)(StoredRuleSet&) = nullptr;
    const char* textDefault = "";
    int numberDefault = 0;
    bool presetToo = true;
    Written written = Written::Always;
    // A value given from outside the settings file: a number (or a text of digits) from min to max, or
    // a text that a file name can hold.
    int min = 0;
    int max = 0;
    bool nameText = false;
};

constexpr Field nameText(const char* key, int element, std::string& (*ref)(StoredRuleSet&), const char* def) {
    return {.key = key, .kind = Kind::Text, .element = element, .text = ref, .textDefault = def, .nameText = true};
}
constexpr Field text(const char* key, int element, std::string& (*ref)(StoredRuleSet&), const char* def,
                     bool presetToo = true) {
    return {.key = key, .kind = Kind::Text, .element = element, .text = ref, .textDefault = def, .presetToo = presetToo};
}
constexpr Field number(const char* key, int element, int& (*ref)(StoredRuleSet&), int def, int min, int max,
                       Written written = Written::Always, bool presetToo = true) {
    return {.key = key,
            .kind = Kind::Number,
            .element = element,
            .number = ref,
            .numberDefault = def,
            .presetToo = presetToo,
            .written = written,
            .min = min,
            .max = max};
}
constexpr Field flag(const char* key, int element, bool& (*ref)(StoredRuleSet&)) {
    return {.key = key, .kind = Kind::Flag, .element = element, .flag = ref, .written = Written::WhenSet, .max = 1};
}

// The keys after the nine element captions and ticks, in the order they are written.
const std::array<Field, 20> kFields = {
    nameText("FixF1", 1, [](StoredRuleSet& s) -> std::string& { return s.rules.fixF1; }, ""),
    nameText("FixF2", 3, [](StoredRuleSet& s) -> std::string& { return s.rules.fixF2; }, ""),
    nameText("FixK", 7, [](StoredRuleSet& s) -> std::string& { return s.rules.fixK; }, ""),
    number("MotoStart", 2, [](StoredRuleSet& s) -> int& { return s.rules.motoStart; }, 1, 1, 999),
    number("MotoEnd", 2, [](StoredRuleSet& s) -> int& { return s.rules.motoEnd; }, 999, 1, 999),
    // The text of the chosen entry of the digit count, "1" to "4".
    {.key = "RenKeta",
     .kind = Kind::Text,
     .element = 4,
     .text = [](StoredRuleSet& s) -> std::string& { return s.rules.renKeta; },
     .textDefault = "3",
     .min = 1,
     .max = 4},
    number("RenStart", 4, [](StoredRuleSet& s) -> int& { return s.renStart; }, 1, 0, 9999),
    // Written "Renadd", read as "RenAdd": keys compare without regard to case.
    number("Renadd", 4, [](StoredRuleSet& s) -> int& { return s.rules.renAdd; }, 1, 1, 9999, Written::Always, false),
    number("DateTime", 8, [](StoredRuleSet& s) -> int& { return s.rules.dateTime; }, 0, 0, kDateTakenDateTime),
    nameText("DateK", 8, [](StoredRuleSet& s) -> std::string& { return s.rules.dateK; }, "_"),
    nameText("TimeK", 8, [](StoredRuleSet& s) -> std::string& { return s.rules.timeK; }, "_"),
    number("Case", 0, [](StoredRuleSet& s) -> int& { return s.rules.caseMode; }, 0, 0, 3),
    text("ReiBefore", -1, [](StoredRuleSet& s) -> std::string& { return s.reiBefore; }, "abcde.xyz", false),
    // Which characters the replacement may hold depends on StrChgRegex: see replacementTextError.
    text("StrChgBefore", 9, [](StoredRuleSet& s) -> std::string& { return s.rules.strChgBefore; }, ""),
    text("StrChgAfter", 9, [](StoredRuleSet& s) -> std::string& { return s.rules.strChgAfter; }, ""),
    flag("StrChgRegex", 9, [](StoredRuleSet& s) -> bool& { return s.rules.strChgRegex; }),
    flag("RenFolder", 4, [](StoredRuleSet& s) -> bool& { return s.rules.renFolder; }),
    number("Width", 0, [](StoredRuleSet& s) -> int& { return s.rules.width; }, 0, 0, 4, Written::WhenSet),
    number("Kana", 0, [](StoredRuleSet& s) -> int& { return s.rules.kana; }, 0, 0, 2, Written::WhenSet),
    flag("Nfc", 0, [](StoredRuleSet& s) -> bool& { return s.rules.nfc; }),
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

bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// "Chg3" or "ChgB3": the position (1..9) after the prefix, else 0.
int positionOf(std::string_view key, std::string_view prefix) {
    if (key.size() != prefix.size() + 1 || !sameKey(key.substr(0, prefix.size()), prefix))
        return 0;
    const char d = key.back();
    return d >= '1' && d <= '9' ? d - '0' : 0;
}

std::string valueOf(const Field& f, StoredRuleSet& rule) {
    switch (f.kind) {
    case Kind::Text:
        return f.text(rule);
    case Kind::Number:
        return std::to_string(f.number(rule));
    case Kind::Flag:
        break;
    }
    return f.flag(rule) ? "1" : "0";
}

} // namespace

namespace RuleSetStore {

std::string setKey(StoredRuleSet& rule, std::string_view key, std::string_view value) {
    const std::string k(key);
    const std::string v(value);
    if (const int p = positionOf(key, "ChgB")) {
        if (value != "0" && value != "1")
            return k + " には 0 か 1 を指定して下さい: " + v;
        rule.rules.elements[static_cast<std::size_t>(p - 1)].checked = value == "1";
        return {};
    }
    if (const int p = positionOf(key, "Chg")) {
        // An element by its digit or its caption; the tick stays with the position.
        for (int n = 1; n <= 9; ++n) {
            if (value == std::string(1, static_cast<char>('0' + n)) || value == defaultElementCaption(n)) {
                rule.rules.elements[static_cast<std::size_t>(p - 1)].caption = defaultElementCaption(n);
                return {};
            }
        }
        return k + " には要素の番号 (1～9) か見出しを指定して下さい: " + v;
    }
    for (const Field& f : kFields) {
        if (f.element < 0 || !sameKey(key, f.key))
            continue;
        if (f.kind == Kind::Text && f.max == 0) {
            if (f.nameText && RemoveBadNameChars(value) != value)
                return k + " にファイル名に使えない文字があります: " + v;
            f.text(rule) = v;
            return {};
        }
        const std::optional<int> n = parseInteger<int>(value);
        if (!n || *n < f.min || *n > f.max) {
            if (f.kind == Kind::Flag)
                return k + " には 0 か 1 を指定して下さい: " + v;
            return k + " には " + std::to_string(f.min) + " から " + std::to_string(f.max) + " の整数を指定して下さい: " + v;
        }
        if (f.kind == Kind::Text)
            f.text(rule) = std::to_string(*n);
        else if (f.kind == Kind::Number)
            f.number(rule) = *n;
        else
            f.flag(rule) = *n == 1;
        return {};
    }
    return "変名設定のキーではありません: " + k;
}

std::vector<std::pair<std::string, std::string>> elementKeys(const StoredRuleSet& rule, int element) {
    std::vector<std::pair<std::string, std::string>> keys;
    StoredRuleSet copy = rule;
    for (const Field& f : kFields)
        if (f.element == element && element >= 0)
            keys.emplace_back(f.key, valueOf(f, copy));
    return keys;
}

std::string replacementTextError(const RenameRuleSet& rules) {
    // A regular expression is no part of a name; its replacement keeps the backslash that escapes "$".
    if (!rules.strChgRegex && RemoveBadNameChars(rules.strChgBefore) != rules.strChgBefore)
        return "StrChgBefore にファイル名に使えない文字があります: " + rules.strChgBefore;
    const std::string_view bad = rules.strChgRegex ? kBadNameChars.substr(1) : kBadNameChars;
    if (RemoveBadNameChars(rules.strChgAfter, bad) != rules.strChgAfter)
        return "StrChgAfter にファイル名に使えない文字があります: " + rules.strChgAfter;
    return {};
}


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
