#include "common/ui/MenuItems.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>

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

// The text whose access key a control answers to; empty for controls without one.
QString accessKeyText(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w); l && l->buddy())
        return l->text();
    return {};
}

void pressAccessKey(QWidget* control) {
    if (auto* l = qobject_cast<QLabel*>(control)) {
        l->buddy()->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    auto* b = qobject_cast<QAbstractButton*>(control);
    if (!b)
        return;
    if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b))
        b->setFocus(Qt::ShortcutFocusReason);
    b->animateClick();
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

QWidget* MenuShortcutsFirst::controlSharingTitleKey(const QKeySequence& key) const {
    if (key.isEmpty() || key[0].keyboardModifiers() != Qt::AltModifier)
        return nullptr;
    bool titleHasIt = false;
    for (QAction* a : m_menus->actions())
        titleHasIt = titleHasIt || (a->isVisible() && a->isEnabled() && QKeySequence::mnemonic(a->text()) == key);
    if (!titleHasIt)
        return nullptr;
    // Controls of hidden tabs are not visible, so only the shown tab's controls compete.
    for (QWidget* w : m_window->findChildren<QWidget*>()) {
        if (w->window() != m_window || !w->isVisible() || !w->isEnabled())
            continue;
        const QString text = accessKeyText(w);
        if (!text.isEmpty() && QKeySequence::mnemonic(text) == key)
            return w;
    }
    return nullptr;
}

bool MenuShortcutsFirst::eventFilter(QObject* watched, QEvent* event) {
    // A key press whose shortcut check was declined below presses the control it was meant for.
    if (event->type() == QEvent::KeyPress && m_pressOnKey &&
        static_cast<QKeyEvent*>(event)->keyCombination() == m_pressKey) {
        QWidget* control = m_pressOnKey;
        m_pressOnKey = nullptr;
        if (control->isVisible() && control->isEnabled()) {
            pressAccessKey(control);
            return true;
        }
    }
    // Before a key press, Qt asks the focused control whether it wants the key for itself; a control
    // that accepts this keeps the key from every shortcut. Declining here for a claimed key hands it
    // to the menu item instead.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == m_window) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence sequence(key->keyCombination());
        // Qt finds the key twice (title and control) and would only move the focus; accepting the
        // override keeps it from the shortcuts, and the key press that follows presses the control.
        if (QWidget* control = controlSharingTitleKey(sequence)) {
            m_pressOnKey = control;
            m_pressKey = key->keyCombination();
            event->accept();
            return true;
        }
        if (claims(sequence)) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace rinoza
