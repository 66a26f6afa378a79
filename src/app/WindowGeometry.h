#pragma once

// The main window's size, position and state in section Window.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace rinoza {

class IniFile;

// Size first (the stored one, else `firstSize`), then position; a stored -1 centres the window on its
// screen's available area in that direction. Whatever was stored, the window is then fitted into
// that area before it is shown (fitIntoArea). State false opens it maximised.
void restoreWindowGeometry(QWidget& window, const IniFile& ini, QSize firstSize);

// In the normal state: height, width, top, left and State = true. Otherwise only State = false, so
// the file keeps the geometry of the last normal close.
void saveWindowGeometry(const QWidget& window, IniFile& ini);

// A window whose frame's top left corner is at `framePos` and whose inside is `size`, shrunk to the
// area and moved into it with its frame (`frame`: what the frame adds on each side, the title bar at
// the top). Returns the frame's new top left corner and the new inside size. The size never goes below
// `minimum`; a window still larger than the area keeps its top left corner (and title bar) in it. A
// window that fits already is left where it is.
QRect fitIntoArea(const QPoint& framePos, const QSize& size, const QRect& area, const QSize& minimum,
                  const QMargins& frame);

} // namespace rinoza
