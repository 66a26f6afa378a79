#pragma once

// Menu items named as their objectName, and the main window's claim on its menu shortcuts.

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace rinoza {

// Appends an item with the given objectName, caption and shortcut (none when empty); its owner is
// the menu.
QAction* addMenuItem(QMenu* menu, const char* name, const QString& text, const QKeySequence& key = {});
void addMenuSeparator(QMenu* menu, const char* name);

// Menu shortcuts act wherever the focus is in `window`, as a menu that sees every key first would:
// a text field that has its own use for Ctrl+A, Ctrl+E, Ctrl+K or Ctrl+Z does not keep the key while an
// enabled item of `menus` claims it. Keys the items do not claim reach the focused control as usual.
// An access key shared by a menu title and a control in sight (the shown tab's) presses the control:
// a button is clicked, a check box or radio button focused and clicked, a label's buddy focused.
class MenuShortcutsFirst : public QObject {
    Q_OBJECT
public:
    MenuShortcutsFirst(QWidget* window, QMenuBar* menus);
    ~MenuShortcutsFirst() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The control in sight whose access key is `key` while a menu title has it too; null otherwise.
    QWidget* controlSharingTitleKey(const QKeySequence& key) const;

private:
    bool claims(const QKeySequence& key) const;

    QWidget* m_window;
    QMenuBar* m_menus;
    // The control the coming press of this key is for.
    QPointer<QWidget> m_pressOnKey;
    QKeyCombination m_pressKey;
};

} // namespace rinoza
