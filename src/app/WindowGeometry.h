#pragma once

// The main window's size, position and state in section Window.

class QWidget;

namespace rinoza {

class IniFile;

// Size first, then position; a stored -1 centres the window on its screen in that direction, and a
// stored position is used even when it lies off the screen. State false opens it maximised.
void restoreWindowGeometry(QWidget& window, const IniFile& ini);

// In the normal state: height, width, top, left and State = true. Otherwise only State = false, so
// the file keeps the geometry of the last normal close.
void saveWindowGeometry(const QWidget& window, IniFile& ini);

} // namespace rinoza
