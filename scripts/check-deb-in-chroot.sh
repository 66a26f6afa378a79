#!/usr/bin/env bash
# Installs a built package on a clean Debian 12 as a user would (apt install ./rinoza_*.deb in a
# bookworm chroot made by debootstrap, so apt fetches every dependency), then, as a user there,
# starts both programs, renames two files with rinoza-cli and back, and reads its manual page.
# Needs root, debootstrap and a Debian mirror.
#   check-deb-in-chroot.sh PACKAGE.deb [MIRROR]      MIRROR defaults to http://deb.debian.org/debian
set -euo pipefail
deb=$(realpath "${1:?usage: check-deb-in-chroot.sh PACKAGE.deb [MIRROR]}")
mirror=${2:-http://deb.debian.org/debian}
[ "$(id -u)" -eq 0 ] || { echo "check-deb-in-chroot.sh: needs root (debootstrap, chroot)" >&2; exit 2; }
command -v debootstrap >/dev/null || { echo "check-deb-in-chroot.sh: needs debootstrap" >&2; exit 2; }

root=$(mktemp -d /tmp/rinoza-chroot.XXXXXX)
chmod 755 "$root"
mounted=""
cleanup() {
    [ -z "$mounted" ] || umount "$root/proc"
    rm -rf "$root"
}
trap cleanup EXIT
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

echo "== debootstrap bookworm (minbase) from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || { tail -20 "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc" && mounted=1 || echo "(no /proc in the chroot: mounting is not allowed here)"

echo "== apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./tmp/$(basename "$deb")" >/dev/null

echo "== the programs, started by a user"
in_root useradd --create-home --uid 1000 user
as_user() { chroot --userspec=1000:1000 "$root" env -i PATH=/usr/bin:/bin HOME=/home/user LANG=C.UTF-8 "$@"; }
as_user rinoza-cli --version
as_user env QT_QPA_PLATFORM=offscreen RINOZA_EXIT_WHEN_SHOWN=1 timeout 60 rinoza
# A rule that upper-cases names, in the settings folder of an installed program.
as_user bash -c 'mkdir -p ~/.config/rinoza ~/files && printf "[RenameFunction]\r\nCase=1\r\n" >~/.config/rinoza/rinoza.ini &&
    touch ~/files/a.txt ~/files/b.txt && rinoza-cli -y ~/files && ls ~/files ~/.config/rinoza &&
    rinoza-cli -y --undo && ls ~/files'
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq man-db >/dev/null
as_user man -P cat rinoza-cli | head -4
in_root dpkg -L rinoza | grep -E '/bin/|\.desktop$|metainfo|/man/|completions|manual.html$'
echo "check-deb-in-chroot: installed on a clean bookworm, both programs start"
