#pragma once

// The main menu mm1 and its items, named as their objectName. Who handles an item is decided by
// the window that wires the controllers to it.

#include <array>

class QAction;
class QMainWindow;
class QMenuBar;

namespace rinoza {

struct MainMenu {
    QMenuBar* mm1 = nullptr;
    QAction* N6 = nullptr;
    QAction* X1 = nullptr;
    QAction* N5 = nullptr;
    QAction* N8 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N20 = nullptr;
    std::array<QAction*, 5> S{}; // tags 1..5
    std::array<QAction*, 5> L{}; // tags 1..5
    QAction* Contents1 = nullptr;
    QAction* N4 = nullptr;
    QAction* About1 = nullptr;

    // Builds the menu bar of `window` with every item and its shortcut.
    void build(QMainWindow* window);
};

} // namespace rinoza
