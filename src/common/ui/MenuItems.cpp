#include "common/ui/MenuItems.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace rinoza {

namespace {

bool anyItemClaims(const QList<QAction*>& actions, const QKeySequence& key) {
    for (QAction* a : actions) {
        if (QMenu* sub = a->menu()) {
            if (anyItemClaims(sub->actions(), key))
                return true;
        } else if (a->isEnabled() && a->shortcut() == key) {
            return true;
        }
    }
    return false;
}

} // namespace

QAction* addMenuItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& key) {
    auto* a = new QAction(text, menu);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty())
        a->setShortcut(key);
    menu->addAction(a);
    return a;
}

void addMenuSeparator(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(QLatin1String(name)); }

MenuShortcutsFirst::MenuShortcutsFirst(QWidget* window, QMenuBar* menus)
    : QObject(window), m_window(window), m_menus(menus) {
    qApp->installEventFilter(this);
}

MenuShortcutsFirst::~MenuShortcutsFirst() { qApp->removeEventFilter(this); }

bool MenuShortcutsFirst::claims(const QKeySequence& key) const { return anyItemClaims(m_menus->actions(), key); }

bool MenuShortcutsFirst::eventFilter(QObject* watched, QEvent* event) {
    // Before a key press, Qt asks the focused control whether it wants the key for itself; a control
    // that accepts this keeps the key from every shortcut. Declining here for a claimed key hands it
    // to the menu item instead.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == m_window) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (claims(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rinoza
