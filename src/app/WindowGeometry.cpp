#include "app/WindowGeometry.h"

#include "settings/IniFile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace rinoza {

namespace {

constexpr int kDesignedWidth = 504;
constexpr int kDesignedHeight = 607;

} // namespace

void restoreWindowGeometry(QWidget& w, const IniFile& ini) {
    w.resize(ini.ReadInteger("Window", "Width", kDesignedWidth), ini.ReadInteger("Window", "Height", kDesignedHeight));
    int top = ini.ReadInteger("Window", "Top", -1);
    int left = ini.ReadInteger("Window", "Left", -1);
    const QScreen* scr = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
    const QRect area = scr ? scr->geometry() : QRect(0, 0, w.width(), w.height());
    if (top == -1)
        top = area.y() + (area.height() - w.height()) / 2;
    if (left == -1)
        left = area.x() + (area.width() - w.width()) / 2;
    w.move(left, top);
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
