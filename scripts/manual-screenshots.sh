#!/usr/bin/env bash
# Takes the manual's pictures from the built program, so that they show the program as it is:
#   scripts/manual-screenshots.sh [BINARY] [OUTDIR]   (defaults build/rinoza or build-test/rinoza, docs/images)
# Starts the program under a virtual X server (1280x1024) with the accessibility bus and three sample
# files on its command line, shows the result preview and each tab and the version window through
# AT-SPI, grabs each with ImageMagick's import and keeps small PNGs (128 colours). The files lie in
# /home/user/写真 of a private mount namespace (a tmpfs over /home), so the pictures show a neutral
# folder; where no namespace can be made they lie in a temporary folder.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-}
if [ -z "$bin" ]; then
    for b in "$here/../build/rinoza" "$here/../build-test/rinoza"; do [ -x "$b" ] && bin=$b && break; done
fi
[ -n "$bin" ] && [ -x "$bin" ] || { echo "manual-screenshots: no program built (give its path)" >&2; exit 1; }
case $bin in /*) ;; *) bin=$PWD/$bin ;; esac
out=${2:-$here/../docs/images}
mkdir -p "$out"
out=$(cd "$out" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || launcher=/usr/lib/at-spi2-core/at-spi-bus-launcher

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime

# Runs the rest in a mount namespace of its own when one can be made, with the user's folder at
# /home/user; else the user's folder is a temporary one.
shots() {
    user=$1
    mkdir -p "$user/.config/rinoza" "$user/写真"
    for f in IMG_0001.JPG IMG_0002.JPG 旅行メモ.txt; do printf 'sample' >"$user/写真/$f"; done
    # A rule that gives every file a new name, so the preview shows new names: a fixed text and a number.
    printf '[RenameFunction]\r\nChg1=1) 固定文字１\r\nChgB1=1\r\nFixF1=旅行_\r\nChg4=4) 連番\r\nChgB4=1\r\n' \
        >"$user/.config/rinoza/rinoza.ini"
    timeout --kill-after=10 180 xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
    set -eu
    launcher=$1 bin=$2 work=$3 here=$4 out=$5 user=$6
    "$launcher" --launch-immediately >/dev/null 2>&1 &
    cd "$user/写真"
    RINOZA_HOME="$user/.config/rinoza" HOME="$user" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        "$bin" "$user/写真/IMG_0001.JPG" "$user/写真/IMG_0002.JPG" "$user/写真/旅行メモ.txt" >/dev/null 2>&1 &
    pid=$!
    export A11Y_PID=$pid
    atspi() { timeout 60 /usr/bin/python3 "$here/atspi.py" "$@"; }
    grab() {  # grab NAME ROLE
        sleep 0.8
        geometry=$(atspi extents "$2")
        import -window root -crop "$geometry" +repage "$work/shot.png"
        convert "$work/shot.png" -strip -colors 128 "PNG8:$out/$1.png"
        echo "wrote $out/$1.png ($geometry)"
    }
    atspi wait
    atspi tab 変名; atspi button "結果表示(&K)"
    atspi tab 検索;  grab tab-search frame
    atspi tab 変名;  grab tab-rename frame
    atspi tab 日時;  grab tab-time frame
    atspi tab 属性;  grab tab-attr frame
    atspi tab 検索
    atspi menu "バージョン情報(&A)..."; grab about-box dialog
    kill "$pid"; wait "$pid" 2>/dev/null || true
' shots "$launcher" "$bin" "$work" "$here" "$out" "$user"
}

export -f shots
export launcher bin work here out
if unshare --mount --map-root-user true 2>/dev/null; then
    unshare --mount --map-root-user bash -c 'set -euo pipefail; mount -t tmpfs tmpfs /home; shots /home/user'
else
    shots "$work/user"
fi
