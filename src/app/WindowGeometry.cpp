#include "app/WindowGeometry.h"

#include "settings/IniFile.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace rinoza {

namespace {

// The screen whose area the window is fitted into: the one under the stored position's centre, else
// the window's own.
const QScreen* screenFor(const QWidget& w, const QPoint& centre) {
    if (const QScreen* s = QGuiApplication::screenAt(centre))
        return s;
    return w.screen() ? w.screen() : QGuiApplication::primaryScreen();
}

} // namespace

QRect fitIntoArea(const QPoint& framePos, const QSize& size, const QRect& area, const QSize& minimum,
                  const QMargins& frame) {
    const int width = std::max(minimum.width(), std::min(size.width(), area.width() - frame.left() - frame.right()));
    const int height =
        std::max(minimum.height(), std::min(size.height(), area.height() - frame.top() - frame.bottom()));
    const int outerWidth = width + frame.left() + frame.right();
    const int outerHeight = height + frame.top() + frame.bottom();
    // Right and bottom first, so that a window larger than the area ends with its top left inside.
    const int left = std::max(area.x(), std::min(framePos.x(), area.x() + area.width() - outerWidth));
    const int top = std::max(area.y(), std::min(framePos.y(), area.y() + area.height() - outerHeight));
    return {left, top, width, height};
}

void restoreWindowGeometry(QWidget& w, const IniFile& ini, QSize firstSize) {
    const QSize size(ini.ReadInteger("Window", "Width", firstSize.width()),
                     ini.ReadInteger("Window", "Height", firstSize.height()));
    const int storedTop = ini.ReadInteger("Window", "Top", -1);
    const int storedLeft = ini.ReadInteger("Window", "Left", -1);
    const QScreen* scr = screenFor(w, QPoint(storedLeft + size.width() / 2, storedTop + size.height() / 2));
    const QRect area = scr ? scr->availableGeometry() : QRect(QPoint(0, 0), size);
    // The frame is not known before the window is shown: the style's title bar height and a thin
    // border stand for it.
    const int titleBar = QApplication::style() ? QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    const QMargins frame(2, titleBar, 2, 2);
    const int outerWidth = size.width() + frame.left() + frame.right();
    const int outerHeight = size.height() + frame.top() + frame.bottom();
    const QPoint pos(storedLeft == -1 ? area.x() + (area.width() - outerWidth) / 2 : storedLeft,
                     storedTop == -1 ? area.y() + (area.height() - outerHeight) / 2 : storedTop);
    const QRect fitted = fitIntoArea(pos, size, area, w.minimumSize(), frame);
    w.resize(fitted.size());
    w.move(fitted.topLeft()); // the frame's corner, as the stored position is
    if (!ini.ReadBool("Window", "State", true))
        w.setWindowState(w.windowState() | Qt::WindowMaximized);
}

void saveWindowGeometry(const QWidget& w, IniFile& ini) {
    const bool normal = !(w.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    if (!normal) {
        ini.WriteBool("Window", "State", false);
        return;
    }
    ini.WriteInteger("Window", "Height", w.height());
    ini.WriteInteger("Window", "Width", w.width());
    ini.WriteInteger("Window", "Top", w.y());
    ini.WriteInteger("Window", "Left", w.x());
    ini.WriteBool("Window", "State", true);
}

} // namespace rinoza
