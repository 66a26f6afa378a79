#!/usr/bin/env bash
# Installs the Debian packages Rinoza needs, only those missing:
#   install-deps.sh run     building and running the program (make run)
#   install-deps.sh deb     that, and building the Debian package (make deb)
#   install-deps.sh test    all of the above, and every tool the tests and checks use (make test)
set -euo pipefail
mode=${1:-run}

# Building and running.
run=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6dbus6 libqt6test6 libgl-dev
    libicu-dev libexiv2-dev
    fonts-noto-cjk xdg-utils qt6-translations-l10n
)
# Building the Debian package.
deb=(debhelper dpkg-dev)
# The tests and checks: virtual X session, pictures and photos, the screen reader's view, the trash,
# the desktop's validators, Tab completion, the package checker, formatting, a small ext4 image.
test=(
    libgtest-dev googletest
    xvfb xauth x11-apps imagemagick libimage-exiftool-perl exiv2
    dbus at-spi2-core python3-pyatspi desktop-file-utils appstream
    dbus-daemon trash-cli
    bash-completion man-db lintian
    libfile-mimeinfo-perl libglib2.0-bin x11-utils openbox xdotool thunar pcmanfm-qt
    clang-format e2fsprogs
)

case $mode in
run) pkgs=("${run[@]}") ;;
deb) pkgs=("${run[@]}" "${deb[@]}") ;;
test) pkgs=("${run[@]}" "${deb[@]}" "${test[@]}") ;;
*)
    echo "usage: install-deps.sh run|deb|test" >&2
    exit 2
    ;;
esac
missing=()
for p in "${pkgs[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
