#!/usr/bin/env bash
# Starts the program once under a virtual X server with the accessibility bus, lists two files on
# its command line, and reads its windows through AT-SPI as a screen reader does: fails when a
# control on any tab or in the version, display settings, confirmation or progress window has no
# accessible name, or when the file list's cells or the status bar cannot be read.   scripts/check-accessibility.sh [BINARY]   (default build-test/rinoza)
# Needs: xvfb-run, dbus-run-session, at-spi2-core, /usr/bin/python3 with python3-pyatspi.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build-test/rinoza}
case $bin in /*) ;; *) bin=$PWD/$bin ;; esac
limit=${A11Y_TIMEOUT:-120}

fail() { echo "check-accessibility: $*" >&2; exit 1; }
[ -x "$bin" ] || fail "no program at $bin (build it first)"
launcher=""
for l in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [ -x "$l" ] && launcher=$l && break
done
[ -n "$launcher" ] || fail "at-spi-bus-launcher not found (install at-spi2-core)"
command -v xvfb-run >/dev/null || fail "xvfb-run not found (install xvfb)"
command -v dbus-run-session >/dev/null || fail "dbus-run-session not found (install dbus)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "/usr/bin/python3 cannot import pyatspi (install python3-pyatspi)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/files" "$work/runtime"
chmod 700 "$work/runtime"

# The session's own runtime folder, so that a CI without a login session works the same.
export XDG_RUNTIME_DIR=$work/runtime
# One attempt: 0 all named, 1 a finding, anything else the session did not come up.
attempt() {
    # The files afresh each time: a run of an earlier attempt renamed them.
    rm -rf "$work/files" "$work/home"
    mkdir -p "$work/files" "$work/home"
    printf 'a' >"$work/files/photo 1.jpg"
    printf 'bb' >"$work/files/写真2.png"
    # The rule numbers the names, so the check's run renames; the first file carries the system attribute,
    # so the run stops at its question with the progress window in sight (where extended attributes work).
    printf '[RenameFunction]\r\nChg4=4) 連番\r\nChgB4=1\r\n' >"$work/home/rinoza.ini"
    A11Y_SYSTEM_FILE=0
    if /usr/bin/python3 -c 'import os, sys; os.setxattr(sys.argv[1], "user.DOSATTRIB", b"0x4")' \
        "$work/files/photo 1.jpg" 2>/dev/null; then
        A11Y_SYSTEM_FILE=1
    fi
    export A11Y_SYSTEM_FILE
    # A server number of our own, so that other virtual X servers starting at the same time
    # (parallel builds, other checks) do not take it from under us.
    timeout --kill-after=10 "$limit" xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24" \
        dbus-run-session -- bash -c '
        set -u
        "$1" --launch-immediately >/dev/null 2>&1 &
        RINOZA_HOME="$3/home" HOME="$3/home" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
            QT_ACCESSIBILITY=1 "$2" "$3/files/photo 1.jpg" "$3/files/写真2.png" >"$3/program.log" 2>&1 &
        pid=$!
        A11Y_PID=$pid A11Y_WAIT=40 timeout 90 /usr/bin/python3 "$4/atspi.py" check >"$3/check.log" 2>&1
        rc=$?
        # The program gone before the check found it: the session failed, not the window.
        if [ $rc -ne 0 ] && ! kill -0 "$pid" 2>/dev/null; then rc=3; fi
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        exit $rc
    ' check "$launcher" "$bin" "$work" "$here"
}

status=0
for try in 1 2 3; do
    status=0
    attempt || status=$?
    [ $status -eq 0 ] && break
    # A finding is reported at once; a session that did not come up is tried again.
    if [ $status -eq 1 ] && grep -q '^Controls without' "$work/check.log" 2>/dev/null; then break; fi
    echo "check-accessibility: attempt $try did not complete (exit $status), trying again" >&2
    sleep 2
done
cat "$work/check.log" 2>/dev/null || true
if [ $status -ne 0 ]; then
    [ $status -eq 124 ] && echo "check-accessibility: timed out after ${limit}s" >&2
    if [ -s "$work/program.log" ]; then
        echo "--- program output ---" >&2
        tail -20 "$work/program.log" >&2
    fi
    exit $status
fi
