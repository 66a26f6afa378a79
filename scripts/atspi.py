#!/usr/bin/python3
"""Reads and drives the running program through the accessibility bus (AT-SPI), as a screen reader does.

  atspi.py check        fails (exit 1) naming every control without an accessible name, on each tab
                        and in the version, display settings, confirmation and progress windows
                        (with the question a listed system file raises); also fails when the file
                        list's cells or the status bar cannot be read
  atspi.py tab NAME     shows the tab page of that caption (検索, 変名, 日時, 属性)
  atspi.py menu NAME    chooses the menu item of that caption (shortcut texts and access keys ignored)
  atspi.py button NAME [WINDOW]
                        presses the button of that caption (access keys ignored) in the main window,
                        or in the window of that title
  atspi.py wait         waits until the program is on the bus
  atspi.py extents ROLE the screen geometry (WxH+X+Y) of the program's window of that role (frame, dialog)
  atspi.py cell NAME    the screen point ("X Y") at the middle of the file list's cell of that text
  atspi.py rows         the number of rows of the file list
  atspi.py list         the screen point ("X Y") at the middle of the file list
  atspi.py item NAME [WINDOW]
                        the screen point ("X Y") at the middle of the shown item (list item, table
                        cell) of that name, in the window of that title; with A11Y_APP, of another
                        program (a file manager)

Run it with the system's python3 (Debian: python3-pyatspi) inside the program's D-Bus session.
A11Y_PID picks one of several running copies by process id; A11Y_WAIT is the seconds to wait for it;
A11Y_APP names another program to read (its accessible application's name, e.g. pcmanfm-qt).
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

# Roles of the things a user operates; each must carry a name a screen reader can say.
CONTROL_ROLES = {
    'push button', 'toggle button', 'check box', 'radio button', 'combo box', 'text', 'entry',
    'spin button', 'table', 'tree', 'tree table', 'list', 'page tab', 'menu item', 'check menu item',
    'radio menu item', 'menu', 'slider', 'password text',
}


def app(wait=None):
    """The program's accessible application, waiting for it to register."""
    want = os.environ.get('A11Y_PID')
    named = os.environ.get('A11Y_APP', 'rinoza').lower()
    wait = float(os.environ.get('A11Y_WAIT', '30')) if wait is None else wait
    deadline = time.monotonic() + wait
    while True:
        try:
            desk = pyatspi.Registry.getDesktop(0)
            for i in range(desk.childCount):
                a = desk.getChildAtIndex(i)
                if a is None or (a.name or '').lower() != named:
                    continue
                if want and str(a.get_process_id()) != want:
                    continue
                if a.childCount > 0:
                    return a
        except Exception:
            pass
        if time.monotonic() > deadline:
            sys.exit('atspi: no accessible application named ' + named + ' appeared within %g s '
                     '(is QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 set and the accessibility bus running?)' % wait)
        time.sleep(0.3)


def walk(node, path='', depth=0):
    """Every accessible below node with a readable path of roles and names."""
    if depth > 30:
        return
    try:
        role = node.getRoleName()
        name = node.name or ''
        n = node.childCount
    except Exception:
        return
    here = '%s/%s%s' % (path, role, '[%s]' % name if name else '')
    yield node, role, name, here
    for i in range(n):
        try:
            c = node.getChildAtIndex(i)
        except Exception:
            continue
        if c is not None:
            yield from walk(c, here, depth + 1)


def find(node, role):
    for n, r, _, _ in walk(node):
        if r == role:
            yield n


def press(node):
    act = node.queryAction()
    names = [act.getName(k) for k in range(act.nActions)]
    for wanted in ('press', 'click', 'activate', 'Press', 'Toggle'):
        if wanted in names:
            return act.doAction(names.index(wanted))
    return act.doAction(0)


def show_tab(a, caption):
    for tabs in find(a, 'page tab list'):
        for i in range(tabs.childCount):
            tab = tabs.getChildAtIndex(i)
            if tab is not None and tab.name == caption:
                try:
                    tabs.querySelection().selectChild(i)
                except Exception:
                    press(tab)
                time.sleep(0.4)
                return
    sys.exit('atspi: no tab ' + caption)


def plain(caption):
    """A menu caption without its access key marker and shortcut text."""
    caption = caption.split('\t')[0].replace('&', '')
    if caption.endswith(')') and '(' in caption and len(caption) - caption.rindex('(') == 3:
        caption = caption[:caption.rindex('(')]
    return caption.strip()


def choose_menu(a, caption):
    for item in find(a, 'menu item'):
        if plain(item.name or '') == plain(caption):
            press(item)
            return
    sys.exit('atspi: no menu item ' + caption)


def caption_key(caption):
    """A button's caption compared without its access key ("(&I)", or "(I)" as it reads on the bus)."""
    caption = re.sub(r'\s*\(&?[A-Za-z]\)\s*', '', caption.split('\t')[0])
    return caption.replace('&', '').strip()


def windows(a, role=None):
    """The program's windows in sight (dialogs, alerts, frames), newest last."""
    found = []
    for i in range(a.childCount):
        w = a.getChildAtIndex(i)
        try:
            if w is not None and w.getState().contains(pyatspi.STATE_SHOWING) and (
                    role is None or w.getRoleName() == role):
                found.append(w)
        except Exception:
            pass
    return found


def wait_window(a, name, timeout=10, role=None):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for w in windows(a, role):
            if name(w.name or ''):
                return w
        time.sleep(0.2)
    return None


def press_button(node, caption):
    for b in find(node, 'push button'):
        if caption_key(b.name or '') == caption_key(caption):
            press(b)
            return True
    return False


def shown_values(node):
    """What a drop-down list or spin box shows as its value: its text and its entries."""
    values = set()
    for c, r, n, _ in walk(node):
        if c is node:
            continue
        if r in ('list item', 'menu item') and n:
            values.add(n)
        if r in ('text', 'entry', 'spin button'):
            try:
                t = c.queryText()
                values.add(t.getText(0, t.characterCount))
            except Exception:
                pass
    try:
        values.add(str(node.queryValue().currentValue).rstrip('0').rstrip('.'))
    except Exception:
        pass
    return values


def labelled_by(node):
    """The names of the labels that say what node is (on Linux a drop-down list's name is its value)."""
    names = []
    try:
        for rel in node.getRelationSet():
            if rel.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                for i in range(rel.getNTargets()):
                    t = rel.getTarget(i)
                    if t is not None and (t.name or '').strip():
                        names.append(t.name)
    except Exception:
        pass
    return names


def nameless(a):
    """Controls without a name of their own: none at all, only their value (a drop-down list named
    "3"), or only the caption of the group around them."""
    bad = []
    groups = []
    for node, role, name, path in walk(a):
        if role == 'panel' and name:
            groups.append(name)
        if role in CONTROL_ROLES and name.strip() and role in ('combo box', 'spin button'):
            if name in shown_values(node) and not labelled_by(node):
                bad.append(path + '  (named only by its value)')
                continue
        if role in CONTROL_ROLES and name.strip() and role in ('combo box', 'spin button', 'text', 'list', 'table'):
            if '[%s]/' % name in path.rsplit('/', 1)[0] + '/' and name in groups:
                bad.append(path + '  (named only by its group)')
                continue
        if role in CONTROL_ROLES and not name.strip():
            # A separator in a menu is a menu item without text; it is not operated.
            if role == 'menu item':
                try:
                    if node.getState().contains(pyatspi.STATE_SENSITIVE) is False and not node.childCount:
                        continue
                except Exception:
                    pass
            bad.append(path)
    return bad


def press_later(*args):
    """Presses in a process of its own: a press that opens a modal window answers only once the window
    has closed, which would stall this reader."""
    return subprocess.Popen([sys.executable, os.path.abspath(__file__)] + list(args),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def dialog_problems(a):
    """Opens the display settings, then the confirmation of a run and its progress window, and names
    the controls of each that have no accessible name. The first listed file carries the system
    attribute, so the run stops at its question with the progress window in sight."""
    problems = []
    pressing = [press_later('menu', '表示の設定...')]
    setup = wait_window(a, lambda n: n == '表示設定')
    if setup is None:
        return ['the display settings did not open from the view menu']
    problems += nameless(setup)
    press_button(setup, 'キャンセル')

    show_tab(a, '変名')
    pressing.append(press_later('button', '変名開始(&I) ...'))
    confirm = wait_window(a, lambda n: '変名確認' in n)
    if confirm is None:
        return problems + ['the confirmation window did not open']
    problems += nameless(confirm)
    pressing.append(press_later('button', '開始 (&I)', confirm.name))
    progress = wait_window(a, lambda n: '変名中' in n)
    question = wait_window(a, lambda n: n == '警告')
    if os.environ.get('A11Y_SYSTEM_FILE') == '1':
        if progress is None:
            problems.append('the progress window was not in sight at the system file question')
        else:
            problems += nameless(progress)
        if question is None:
            problems.append('the system file question did not come')
    while question is not None:
        problems += [p for p in nameless(question) if p not in problems]
        pressing.append(press_later('button', 'いいえ(&N)', question.name))
        time.sleep(1)
        question = wait_window(a, lambda n: n == '警告', timeout=2)
    for p in pressing:
        try:
            p.wait(timeout=10)
        except subprocess.TimeoutExpired:
            p.kill()
    return problems


def check():
    a = app()
    problems = []
    controls = 0
    tabs = []
    for t in find(a, 'page tab list'):
        tabs = [c.name for c in (t.getChildAtIndex(i) for i in range(t.childCount))
                if c is not None and c.getRoleName() == 'page tab']
        break
    if len(tabs) != 4:
        problems.append('expected four tabs, found %r' % tabs)
    for caption in tabs or ['']:
        if caption:
            show_tab(a, caption)
        for path in nameless(a):
            if path not in problems:
                problems.append(path)
    # The version window too, opened from the help menu.
    choose_menu(a, 'バージョン情報(&A)...')
    about = wait_window(a, lambda n: True, role='dialog')
    if about is None:
        problems.append('the version window did not open from the help menu')
    problems += [p for p in nameless(a) if p not in problems]
    if about is not None:
        press_button(about, 'OK')
    problems += dialog_problems(a)
    controls = sum(1 for _, r, _, _ in walk(a) if r in CONTROL_ROLES)

    # The list's cells and the status bar are read like any text.
    tables = list(find(a, 'table'))
    if not tables:
        problems.append('no file list (table) on the bus')
    else:
        t = tables[0].queryTable()
        if t.nRows < 1 or t.nColumns != 9:
            problems.append('file list shows %d rows and %d columns, expected rows and 9 columns'
                            % (t.nRows, t.nColumns))
        elif not all((t.getAccessibleAt(0, c).name or '').strip() for c in (0, 1, 2)):
            problems.append('the file list\'s first row has nameless cells')
    status = [l.name for bar in find(a, 'status bar') for l in find(bar, 'label') if (l.name or '').strip()]
    if not status:
        problems.append('the status bar has no readable text')

    if problems:
        print('Controls without an accessible name, or unreadable parts:')
        for p in problems:
            print('  ' + p)
        sys.exit(1)
    print('accessibility: %d controls on %d tabs and in the version, display settings, confirmation and progress '
          'windows, all named; %d list rows and the status bar "%s" readable'
          % (controls, len(tabs), tables[0].queryTable().nRows, status[0]))


def file_list(a):
    deadline = time.monotonic() + float(os.environ.get('A11Y_WAIT', '30'))
    while True:
        for t in find(a, 'table'):
            return t
        if time.monotonic() > deadline:
            sys.exit('atspi: no file list (table) on the bus')
        time.sleep(0.3)


def cell_point(a, name):
    """The middle of the visible cell of the file list that shows name, waiting for it to be laid out."""
    deadline = time.monotonic() + float(os.environ.get('A11Y_WAIT', '30'))
    while True:
        try:
            t = file_list(a).queryTable()
            for r in range(t.nRows):
                for c in range(t.nColumns):
                    cell = t.getAccessibleAt(r, c)
                    if cell is not None and cell.name == name:
                        e = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                        if e.width > 0 and e.height > 0:
                            return e.x + e.width // 2, e.y + e.height // 2
        except Exception:
            pass
        if time.monotonic() > deadline:
            sys.exit('atspi: no cell ' + name + ' in the file list')
        time.sleep(0.3)


def middle(node):
    """The screen point at the middle of node, or None while it is not laid out."""
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (e.x + e.width // 2, e.y + e.height // 2) if e.width > 0 and e.height > 0 else None


def item_point(a, name, window=None):
    """The middle of the shown item of that name (in the window of that title), waiting for it."""
    deadline = time.monotonic() + float(os.environ.get('A11Y_WAIT', '30'))
    while True:
        try:
            for w in windows(a):
                if window is not None and w.name != window:
                    continue
                for node, role, text, _ in walk(w):
                    if text == name and role in ('list item', 'table cell', 'icon', 'tree item'):
                        point = middle(node)
                        if point:
                            return point
        except Exception:
            pass
        if time.monotonic() > deadline:
            sys.exit('atspi: no item ' + name + ' shown' + (' in ' + window if window else ''))
        time.sleep(0.3)


def main():
    what = sys.argv[1] if len(sys.argv) > 1 else 'check'
    if what == 'check':
        check()
    elif what == 'tab' and len(sys.argv) > 2:
        show_tab(app(), sys.argv[2])
    elif what == 'menu' and len(sys.argv) > 2:
        choose_menu(app(), sys.argv[2])
    elif what == 'button' and len(sys.argv) > 2:
        a = app()
        title = sys.argv[3] if len(sys.argv) > 3 else None
        shown = windows(a, 'frame') if title is None else [w for w in windows(a) if w.name == title]
        if not any(press_button(w, sys.argv[2]) for w in shown):
            sys.exit('atspi: no button ' + sys.argv[2])
    elif what == 'wait':
        app()
    elif what == 'extents' and len(sys.argv) > 2:
        a = app()
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            for i in range(a.childCount):
                w = a.getChildAtIndex(i)
                if w is not None and w.getRoleName() == sys.argv[2] and w.getState().contains(pyatspi.STATE_SHOWING):
                    e = w.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    if e.width > 0:
                        print('%dx%d+%d+%d' % (e.width, e.height, e.x, e.y))
                        return
            time.sleep(0.2)
        sys.exit('atspi: no window of role ' + sys.argv[2])
    elif what == 'cell' and len(sys.argv) > 2:
        x, y = cell_point(app(), sys.argv[2])
        print('%d %d' % (x, y))
    elif what == 'list':
        print('%d %d' % middle(file_list(app())))
    elif what == 'item' and len(sys.argv) > 2:
        print('%d %d' % item_point(app(), sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None))
    elif what == 'rows':
        print(file_list(app()).queryTable().nRows)
    else:
        sys.exit(__doc__)


main()
