#pragma once

// The seven display settings of section Window, as LoadDisplaySettings reads them.

namespace rinoza {

class IniFile;

struct DisplaySettings {
    bool LVIconVisible = true;
    bool LVSysVisible = true;
    bool LVHiddenVisible = true;
    bool LVReadonlyVisible = true;
    bool Focus = true;
    bool ColSize = false;
    int LVIconMax = 10000;

    // Reads section Window of `ini`; missing or unreadable keys keep the defaults above.
    static DisplaySettings read(const IniFile& ini);
};

} // namespace rinoza
