#!/usr/bin/env bash
# Checks what a desktop and a terminal find where Rinoza is installed: both programs, a menu entry and
# AppStream metadata that their own validators accept, the icon in every size, the manual with its
# stylesheet and pictures where the installed program looks for it, manual pages in English and
# Japanese that render without a warning and name every option of rinoza-cli, the Tab completion, and
# the settings kept in the configuration home unless a rinoza.ini beside the programs makes a portable
# copy.
#   check-install.sh CMAKE BUILD_DIR    installs the build into a temporary prefix and checks it
#   check-install.sh --tree PREFIX      checks an installed tree, such as usr/ of an unpacked package
# Exit 0 pass, 1 fail, 77 skipped (a validator is missing).
set -uo pipefail
usage="usage: check-install.sh CMAKE BUILD_DIR | --tree PREFIX"
first=${1:?$usage}
second=${2:?$usage}
for tool in desktop-file-validate appstreamcli man; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps.sh test installs it)"
        exit 77
    fi
done

failed=0
fail() { echo "FAIL: $*"; failed=1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "$first" = --tree ]; then
    prefix=$second
else
    prefix=$scratch/prefix
    "$first" --install "$second" --prefix "$prefix" >"$scratch/log" 2>&1 || { cat "$scratch/log"; fail "cmake --install"; exit 1; }
fi

for program in rinoza rinoza-cli; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program missing or not executable"
done

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

# Manual pages, plain or compressed as a package has them, rendered as man shows them (a Japanese
# page with groff's Japanese macros, as man loads them in a Japanese locale): no groff warning (a
# line that cannot break is one), and every option of rinoza-cli --help named.
options=$("$prefix/bin/rinoza-cli" --help | grep -oE -- '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,' | sort -u)
[ -n "$options" ] || fail "rinoza-cli --help names no option"
for dir in man/man1 man/ja/man1; do
    macros=""
    [ "$dir" = man/ja/man1 ] && macros=-mja
    for page in rinoza rinoza-cli; do
        file=$(ls "$prefix/share/$dir/$page.1" "$prefix/share/$dir/$page.1.gz" 2>/dev/null | head -1)
        if [ -z "$file" ]; then
            fail "share/$dir/$page.1 missing"
            continue
        fi
        text=$(LC_ALL=C.UTF-8 MANWIDTH=80 MANROFFOPT=$macros man --warnings -E UTF-8 -l "$file" 2>"$scratch/warnings")
        [ -s "$scratch/warnings" ] && fail "share/$dir/$page.1: $(head -3 "$scratch/warnings")"
        grep -q 'RINOZA' <<<"$text" || fail "share/$dir/$page.1 renders no page"
        [ "$page" = rinoza-cli ] || continue
        for opt in $options; do
            grep -qE -- "(^|[^a-z-])$opt([^a-z-]|\$)" <<<"$text" || fail "share/$dir/$page.1 does not name $opt"
        done
    done
done

completion=$prefix/share/bash-completion/completions/rinoza-cli
if [ -f "$completion" ]; then
    bash -n "$completion" || fail "the completion of rinoza-cli is no valid bash"
    grep -q 'complete -F _rinoza_cli rinoza-cli' "$completion" || fail "the completion does not complete rinoza-cli"
else
    fail "share/bash-completion/completions/rinoza-cli missing"
fi

# Installed, even in a prefix the user owns, the programs keep their settings and history in the
# configuration home and never beside themselves; a rinoza.ini put beside them makes a portable copy.
# rinoza-cli --undo says when it finds no history where it looks.
cfg=$scratch/config
mkdir -p "$cfg/rinoza" "$scratch/home"
: >"$cfg/rinoza/rinoza.txt"
history_found() {
    local said
    said=$(env -u RINOZA_HOME HOME="$scratch/home" XDG_CONFIG_HOME="$cfg" "$prefix/bin/rinoza-cli" --undo --yes 2>&1)
    [[ $said != *履歴ファイルが見つかりません* ]]
}
history_found || fail "the installed rinoza-cli does not look in \$XDG_CONFIG_HOME/rinoza/"
: >"$prefix/bin/rinoza.ini"
history_found && fail "a rinoza.ini beside the installed program does not make it keep its files there"
: >"$prefix/bin/rinoza.txt"
history_found || fail "the portable copy does not find the history beside itself"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/rinoza" --version | grep -q '^rinoza ' ||
    fail "the installed rinoza --version prints no version"

rm -f "$prefix/bin/rinoza.ini" "$prefix/bin/rinoza.txt"

[ $failed -eq 0 ] && echo "install layout: both programs, menu entry, metadata, 8 icon sizes, the manual, 4 manual pages, the completion and the settings in place"
exit $failed
