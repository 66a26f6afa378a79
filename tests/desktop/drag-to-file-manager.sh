#!/usr/bin/env bash
# Drags two rows of the file list onto a real file manager's folder view, with the mouse as a user
# does, under a virtual X server with a window manager: Ctrl held over a folder of another file
# system copies both files there; Shift held over a folder beside them moves them, and their rows
# leave the list as the files go. With pcmanfm-qt (whose items a screen reader can find), the other
# way too: every file of that folder, one with a Shift-JIS name among them, selected in the file
# manager and dragged onto the list becomes a row under its own name, and stays where it is.
#   drag-to-file-manager.sh PROGRAM MANAGER     MANAGER: thunar or pcmanfm-qt
#   exit 0 pass, 1 fail, 77 skipped (a program it drives is not installed)
# Needs: Xvfb, openbox, xdotool, xprop, dbus-run-session, at-spi2-core, python3-pyatspi, the manager.
# An attempt whose session does not come up, or whose drop goes astray, is tried again (3 in all).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
atspi=$here/../../scripts/atspi.py

# Runs a command until it succeeds or `seconds` have passed.
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.2
    done
}

# The visible top window whose title holds the text, on stdout.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 | grep .; }

# A point inside a window's client area, at fractions (in percent) of its width and height.
point_in() {
    local X Y WIDTH HEIGHT WINDOW SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo $((X + WIDTH * $2 / 100)) $((Y + HEIGHT * $3 / 100))
}

# Presses at the first point and moves in steps to the second, with `key` (if any) held once the
# drag has begun; releases there.
drag_from() {
    local x1=$1 y1=$2 x=$3 y=$4 key=${5:-}
    xdotool mousemove "$x1" "$y1" mousedown 1
    sleep 0.3
    local i steps=25
    for i in $(seq 1 $steps); do
        xdotool mousemove $((x1 + (x - x1) * i / steps)) $((y1 + (y - y1) * i / steps))
        [ "$i" -eq 3 ] && [ -n "$key" ] && xdotool keydown "$key"
        sleep 0.05
    done
    # The target answers the last position before the drop.
    sleep 0.6
    xdotool mouseup 1
    sleep 0.2
    [ -z "$key" ] || xdotool keyup "$key"
}

# Selects the rows of two cells (a click, then a Shift+click) and drags them from the first to the
# point, with `key` held.
drag_rows() {
    local first=$1 second=$2 x=$3 y=$4 key=$5
    local x1 y1 x2 y2
    read -r x1 y1 < <(/usr/bin/python3 "$atspi" cell "$first") || return 1
    read -r x2 y2 < <(/usr/bin/python3 "$atspi" cell "$second") || return 1
    xdotool mousemove "$x1" "$y1" click 1
    sleep 0.3
    xdotool keydown shift mousemove "$x2" "$y2" click 1 keyup shift
    sleep 0.3
    drag_from "$x1" "$y1" "$x" "$y" "$key"
}

# Selects every file of the file manager's window of that title (a click on one, then Ctrl+A) and
# drags them from that one onto the file list.
drag_in() {
    local name=$1 window=$2
    local x1 y1 x y
    read -r x1 y1 < <(A11Y_PID="" A11Y_APP=$manager /usr/bin/python3 "$atspi" item "$name" "$window") || return 1
    read -r x y < <(/usr/bin/python3 "$atspi" list) || return 1
    xdotool mousemove "$x1" "$y1" click 1
    sleep 0.3
    xdotool key ctrl+a
    sleep 0.3
    drag_from "$x1" "$y1" "$x" "$y"
}

# Both files of folder $1 are in folder $2 with the same content.
both_in() { cmp -s "$1/one 1.txt" "$2/one 1.txt" && cmp -s "$1/写真 2.txt" "$2/写真 2.txt"; }
files_gone() { [ ! -e "$1/one 1.txt" ] && [ ! -e "$1/写真 2.txt" ]; }
rows_in() { [ "$(/usr/bin/python3 "$atspi" rows)" = "$1" ]; }

# One session inside its own D-Bus session: 0 pass, 1 a wrong result, 2 the session did not come up.
# What went wrong is written to <dir>/reason.
session() {
    local bin=$1 manager=$2 dir=$3 far=$4 launcher=$5
    say() { echo "$*" >"$dir/reason"; }
    export HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config XDG_CACHE_HOME=$dir/home/.cache
    export XDG_DATA_HOME=$dir/home/.local/share XDG_RUNTIME_DIR=$dir/runtime QT_QPA_PLATFORM=xcb
    unset RINOZA_FAIL_ON_MODAL XDG_CURRENT_DESKTOP
    "$launcher" --launch-immediately >/dev/null 2>&1 &
    openbox >"$dir/openbox.log" 2>&1 &
    wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || { say "no window manager"; return 2; }

    local newWindow=""
    [ "$manager" = pcmanfm-qt ] && newWindow=--new-window
    "$manager" "$far/copy-target" >"$dir/manager.log" 2>&1 &
    wait_for 40 window_named copy-target || { say "$manager shows no window"; return 2; }
    "$manager" $newWindow "$dir/move-target" >>"$dir/manager.log" 2>&1 &
    wait_for 40 window_named move-target || { say "$manager shows no second window"; return 2; }

    RINOZA_HOME=$dir/home QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
        "$bin" "$dir/src/one 1.txt" "$dir/src/写真 2.txt" >"$dir/program.log" 2>&1 &
    local pid=$!
    export A11Y_PID=$pid A11Y_WAIT=60
    wait_for 60 xdotool search --onlyvisible --pid "$pid" || { say "the program shows no window"; return 2; }
    local program copy move
    program=$(xdotool search --onlyvisible --pid "$pid" | head -1)
    copy=$(window_named copy-target)
    move=$(window_named move-target)
    xdotool windowmove "$program" 0 0
    xdotool windowmove "$copy" 600 0 windowsize "$copy" 660 480
    xdotool windowmove "$move" 600 530 windowsize "$move" 660 480
    sleep 1
    /usr/bin/python3 "$atspi" cell "one 1.txt" >/dev/null || { say "the list is not on the accessibility bus"; return 2; }

    local x y
    read -r x y < <(point_in "$copy" 70 65)
    drag_rows "one 1.txt" "写真 2.txt" "$x" "$y" ctrl || { say "the rows cannot be found"; return 2; }
    if ! wait_for 20 both_in "$dir/src" "$far/copy-target"; then
        say "the copy did not arrive: $(ls -A "$far/copy-target" | tr '\n' ' ')"
        return 1
    fi
    both_in "$dir/expected" "$dir/src" || { say "the copy took the files from their folder"; return 1; }

    read -r x y < <(point_in "$move" 70 65)
    drag_rows "one 1.txt" "写真 2.txt" "$x" "$y" shift || { say "the rows cannot be found"; return 2; }
    if ! wait_for 20 files_gone "$dir/src" || ! both_in "$dir/expected" "$dir/move-target"; then
        say "the move did not happen: $(ls -A "$dir/move-target" | tr '\n' ' ')"
        return 1
    fi
    wait_for 20 rows_in 0 || { say "the rows of the moved files stay: $(/usr/bin/python3 "$atspi" rows) rows"; return 1; }

    if [ "$manager" = pcmanfm-qt ]; then
        # The file manager's window comes to the front, over the part of it the program hid.
        xdotool windowactivate --sync "$move" 2>/dev/null || xdotool windowraise "$move"
        sleep 0.5
        drag_in "one 1.txt" move-target || { say "the file manager's items cannot be found"; return 2; }
        if ! wait_for 20 rows_in 3; then
            say "the drop from $manager gave $(/usr/bin/python3 "$atspi" rows) rows, not 3"
            return 1
        fi
        local name
        for name in "one 1.txt" "写真 2.txt" "表.txt"; do
            A11Y_WAIT=5 /usr/bin/python3 "$atspi" cell "$name" >/dev/null || { say "no row $name after the drop"; return 1; }
        done
        both_in "$dir/expected" "$dir/move-target" && [ -e "$dir/move-target/$(printf '\x95\x5c').txt" ] ||
            { say "the drop took files from the file manager's folder"; return 1; }
    fi
    kill "$pid" 2>/dev/null
    return 0
}

if [ "${1:-}" = --session ]; then
    shift
    session "$@"
    exit $?
fi

bin=${1:?usage: drag-to-file-manager.sh PROGRAM MANAGER}
manager=${2:?usage: drag-to-file-manager.sh PROGRAM MANAGER}
case $bin in /*) ;; *) bin=$PWD/$bin ;; esac
skip() {
    echo "SKIP: $* (scripts/install-deps.sh installs it)"
    exit 77
}
for tool in Xvfb openbox xdotool xprop dbus-run-session "$manager"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
launcher=""
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$l" ] && launcher=$l && break
done
[ -n "$launcher" ] || skip "at-spi-bus-launcher is not installed"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "/usr/bin/python3 cannot import pyatspi"
[ -x "$bin" ] || { echo "no program at $bin"; exit 1; }

work=$(mktemp -d)
# The copy goes to another file system, where every file manager copies rather than moves.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then far=$(mktemp -d /dev/shm/rinoza-drag-XXXXXX); else far=$(mktemp -d); fi
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work" "$far"
}
trap cleanup EXIT

# Starts a virtual X server on a display number nobody uses, as xvfb-run -a does: a number without a
# lock file, taken with one (so servers started the same way elsewhere pass it over), and far from
# the low numbers desktops and other tests take. Sets xvfb and display.
start_x() {
    local n
    for n in $(shuf -i 300-899 -n 10); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        # -noreset: the server must not reset when its first client (the accessibility bus launcher)
        # leaves, or the next client finds no display.
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$1/xvfb.log" 2>&1 &
        xvfb=$!
        display=:$n
        if wait_for 15 sh -c "kill -0 $xvfb && xprop -display :$n -root" && kill -0 "$xvfb" 2>/dev/null; then
            return 0
        fi
        kill "$xvfb" 2>/dev/null
        wait "$xvfb" 2>/dev/null
        xvfb=""
    done
    return 1
}

start=$SECONDS
status=2
for try in 1 2 3; do
    dir=$work/try$try
    mkdir -p "$dir/home" "$dir/runtime" "$dir/src" "$dir/move-target" "$dir/expected"
    chmod 700 "$dir/runtime"
    rm -rf "$far/copy-target" && mkdir -p "$far/copy-target"
    printf 'one\n' >"$dir/expected/one 1.txt"
    printf '二\n' >"$dir/expected/写真 2.txt"
    cp "$dir/expected/"* "$dir/src/"
    printf 'x' >"$dir/move-target/$(printf '\x95\x5c').txt" # 表.txt in Shift-JIS
    if start_x "$dir"; then
        DISPLAY=$display timeout --kill-after=10 240 \
            dbus-run-session -- bash "$0" --session "$bin" "$manager" "$dir" "$far" "$launcher" >"$dir/result" 2>&1
        status=$?
    else
        echo "the virtual X server did not start" >"$dir/reason"
        status=2
    fi
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    xvfb=""
    [ $status -eq 0 ] && break
    echo "drag to $manager: attempt $try failed (exit $status): $(cat "$dir/reason" 2>/dev/null)"
    for log in xvfb openbox manager; do
        [ -s "$dir/$log.log" ] && sed "s/^/  $log: /" "$dir/$log.log" | tail -5
    done
    sleep 2
done
if [ $status -ne 0 ]; then
    echo "--- program output ---"
    tail -20 "$dir/program.log" 2>/dev/null
    exit 1
fi
echo "drag to $manager: two rows copied and moved by mouse, the moved rows gone$([ "$manager" = pcmanfm-qt ] &&
    echo ", three files dropped from it as rows") ($((SECONDS - start)) s)"
