#include "settings/DisplaySettings.h"

#include "settings/IniFile.h"

namespace rinoza {

DisplaySettings loadDisplaySettings(const IniFile& ini) {
    const DisplaySettings d;
    DisplaySettings s;
    s.LVIconVisible = ini.ReadBool("Window", "LVIconVisible", d.LVIconVisible);
    s.LVSysVisible = ini.ReadBool("Window", "LVSysVisible", d.LVSysVisible);
    s.LVHiddenVisible = ini.ReadBool("Window", "LVHiddenVisible", d.LVHiddenVisible);
    s.LVReadonlyVisible = ini.ReadBool("Window", "LVReadonlyVisible", d.LVReadonlyVisible);
    s.Focus = ini.ReadBool("Window", "Focus", d.Focus);
    s.ColSize = ini.ReadBool("Window", "ColSize", d.ColSize);
    s.LVIconMax = ini.ReadInteger("Window", "LVIconMax", d.LVIconMax);
    return s;
}

void saveDisplaySettings(IniFile& ini, const DisplaySettings& s) {
    ini.beginUpdate();
    ini.WriteBool("Window", "LVIconVisible", s.LVIconVisible);
    ini.WriteBool("Window", "LVSysVisible", s.LVSysVisible);
    ini.WriteBool("Window", "LVHiddenVisible", s.LVHiddenVisible);
    ini.WriteBool("Window", "LVReadonlyVisible", s.LVReadonlyVisible);
    ini.WriteBool("Window", "Focus", s.Focus);
    ini.WriteBool("Window", "ColSize", s.ColSize);
    ini.WriteInteger("Window", "LVIconMax", s.LVIconMax);
    ini.endUpdate();
}

} // namespace rinoza
