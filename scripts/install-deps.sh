#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Rinoza need; only those missing.
set -euo pipefail
pkgs=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6dbus6 libqt6test6 libgl-dev
    libicu-dev libexiv2-dev libgtest-dev googletest
    fonts-noto-cjk qt6-translations-l10n
    xvfb xauth x11-apps imagemagick libimage-exiftool-perl exiv2
    dbus at-spi2-core python3-pyatspi desktop-file-utils appstream
    dbus-daemon trash-cli
    clang-format
)
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
