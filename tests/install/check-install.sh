#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop finds there: the program, a
# menu entry and AppStream metadata that their own validators accept, the icon in every size, the
# manual with its stylesheet and pictures where the installed program looks for it, and the settings
# kept in the configuration home.
#   check-install.sh CMAKE BUILD_DIR      exit 0 pass, 1 fail, 77 skipped (a validator is missing)
set -uo pipefail
cmake=${1:?usage: check-install.sh CMAKE BUILD_DIR}
build=${2:?usage: check-install.sh CMAKE BUILD_DIR}
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; fail "cmake --install"; exit 1; }
rm -f "$prefix.log"

[ -x "$prefix/bin/rinoza" ] || fail "bin/rinoza missing or not executable"

desktop=$prefix/share/applications/rinoza.desktop
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects rinoza.desktop"
    grep -q '^Name\[ja\]=' "$desktop" || fail "rinoza.desktop has no Name[ja]"
    grep -q '^Comment\[ja\]=' "$desktop" || fail "rinoza.desktop has no Comment[ja]"
    grep -qx 'Categories=Utility;FileTools;' "$desktop" || fail "rinoza.desktop: Categories is not Utility;FileTools;"
    grep -q '^MimeType=' "$desktop" && fail "rinoza.desktop claims MIME types"
    grep -qx 'Icon=rinoza' "$desktop" || fail "rinoza.desktop: Icon is not rinoza"
else
    fail "share/applications/rinoza.desktop missing"
fi

metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)
if [ -n "$metainfo" ]; then
    appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli rejects $(basename "$metainfo")"
    grep -q '<launchable type="desktop-id">rinoza.desktop</launchable>' "$metainfo" ||
        fail "the metadata does not launch rinoza.desktop"
else
    fail "share/metainfo/*.metainfo.xml missing"
fi

for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/rinoza.png
    if [ ! -s "$png" ]; then
        fail "icon ${size}x${size} missing"
    elif [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        fail "icon ${size}x${size} is not a PNG"
    else
        w=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
        [ "$w" = "$size $size" ] || fail "icon ${size}x${size} is $w pixels"
    fi
done

# The program opens bin/../share/doc/rinoza/manual.html when installed.
doc=$prefix/bin/../share/doc/rinoza
if [ -f "$doc/manual.html" ]; then
    [ -f "$doc/manual.css" ] || fail "manual.css missing"
    for ref in $(grep -o 'src="[^"]*"\|href="[^"#:]*"' "$doc/manual.html" | sed 's/^[a-z]*="//; s/"$//' | sort -u); do
        [ -f "$doc/$ref" ] || fail "the manual refers to $ref, which is not installed"
    done
else
    fail "share/doc/rinoza/manual.html missing"
fi

# Installed, even in a prefix the user owns, the programs keep their settings and history in the
# configuration home and never beside themselves; a rinoza.ini put beside them makes a portable copy.
# rinoza-cli --undo says when it finds no history where it looks.
cfg=$prefix/config
mkdir -p "$cfg/rinoza" "$prefix/home"
: >"$cfg/rinoza/rinoza.txt"
history_found() {
    local said
    said=$(env -u RINOZA_HOME HOME="$prefix/home" XDG_CONFIG_HOME="$cfg" "$prefix/bin/rinoza-cli" --undo --yes 2>&1)
    [[ $said != *履歴ファイルが見つかりません* ]]
}
history_found || fail "the installed rinoza-cli does not look in \$XDG_CONFIG_HOME/rinoza/"
: >"$prefix/bin/rinoza.ini"
history_found && fail "a rinoza.ini beside the installed program does not make it keep its files there"
: >"$prefix/bin/rinoza.txt"
history_found || fail "the portable copy does not find the history beside itself"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/rinoza" --version | grep -q '^rinoza ' ||
    fail "the installed rinoza --version prints no version"

[ $failed -eq 0 ] && echo "install layout: program, menu entry, metadata, 8 icon sizes, the manual and the settings in place"
exit $failed
