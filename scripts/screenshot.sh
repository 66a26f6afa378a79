#!/usr/bin/env bash
# Takes a picture of the main window as it first opens:  scripts/screenshot.sh BINARY OUT.png
# Runs BINARY under a virtual X server with an empty settings folder of its own, waits for the
# window, grabs the screen with ImageMagick's import and trims the empty screen around the window.
set -eu
bin=${1:?usage: screenshot.sh BINARY OUT.png}
out=${2:?usage: screenshot.sh BINARY OUT.png}
wait_s=${SCREENSHOT_WAIT:-3}
case $bin in /*) ;; *) bin=$PWD/$bin ;; esac
case $out in /*) ;; *) out=$PWD/$out ;; esac

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$(dirname "$out")"

xvfb-run -a -s "-screen 0 800x700x24" bash -c '
    RINOZA_HOME="$1" QT_QPA_PLATFORM=xcb "$2" &
    pid=$!
    sleep "$4"
    import -window root "$3"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' screenshot "$home" "$bin" "$out" "$wait_s"

convert "$out" -trim +repage "$out"
echo "wrote $out"
