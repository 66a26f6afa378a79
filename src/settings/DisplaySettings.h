#pragma once

// The seven display settings of section Window: what the file list shows and how a search fills it.

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
};

// Reads section Window of `ini`; missing or unreadable keys keep the defaults above.
DisplaySettings loadDisplaySettings(const IniFile& ini);

// Writes the seven keys of section Window in one replacement of the file. Throws SettingsWriteError
// when it cannot be written.
void saveDisplaySettings(IniFile& ini, const DisplaySettings& s);

} // namespace rinoza
