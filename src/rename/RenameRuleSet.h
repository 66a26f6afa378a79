#pragma once

#include <array>
#include <string>

namespace rinoza {

// One entry of the element list: its caption names the element by its leading digit.
struct RenameElement {
    std::string caption; // UTF-8
    bool checked = false;
    bool operator==(const RenameElement&) const = default;
};

// The default caption and tick of element n (1..9).
const std::string& defaultElementCaption(int n);
bool defaultElementChecked(int n);

// The whole rule: the nine ordered elements and their parameters. Texts are UTF-8 (what the user
// typed); the built name is a byte string made of these texts and the bytes of the old name.
struct RenameRuleSet {
    std::array<RenameElement, 9> elements;
    std::string fixF1;
    std::string fixF2;
    std::string fixK;
    int motoStart = 1;
    int motoEnd = 999;
    std::string renKeta = "3"; // "1" .. "4"
    int renAdd = 1;
    int dateTime = 0; // index into the date/time list, -1 when nothing is selected
    std::string dateK = "_";
    std::string timeK = "_";
    std::string strChgBefore;
    std::string strChgAfter;
    bool strChgRegex = false; // strChgBefore is a regular expression (NameRegex)
    int caseMode = 0;         // 0 unchanged, 1 upper, 2 lower, 3 first upper; -1 when nothing is selected
    bool renFolder = false;   // one serial counter per folder
    int width = 0;            // WidthConversion; -1 when nothing is selected
    int kana = 0;             // KanaConversion; -1 when nothing is selected
    bool nfc = false;         // the new name in Unicode NFC

    static RenameRuleSet defaults();
    bool operator==(const RenameRuleSet&) const = default;
};

} // namespace rinoza
