#!/usr/bin/env bash
# Checks a built Debian package: its fields and the dependencies a desktop needs at run time, the
# files it installs (by check-install.sh on the unpacked package, so the package holds what
# cmake --install puts in place), nothing outside /usr, and lintian without an error.
#   check-deb.sh PACKAGE.deb VERSION    exit 0 pass, 1 fail
set -uo pipefail
deb=${1:?usage: check-deb.sh PACKAGE.deb VERSION}
version=${2:?usage: check-deb.sh PACKAGE.deb VERSION}
here=$(cd "$(dirname "$0")" && pwd)
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ "$(dpkg-deb -f "$deb" Package)" = rinoza ] || fail "the package is not named rinoza"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not the project's $version"

# Each line: a dependency the package must declare (an extended regular expression).
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//')
while read -r dep; do
    grep -qE "^($dep)( |$)" <<<"$depends" || fail "Depends lacks $dep"
done <<'TABLE'
libqt6widgets6
libqt6dbus6
libicu[0-9]+
libexiv2-[0-9]+
libstdc\+\+6
xdg-utils
qt6-qpa-plugins
qt6-translations-l10n
TABLE

outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr/.*)?$')
[ -z "$outside" ] || fail "files outside /usr: $outside"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
for doc in copyright changelog.gz; do
    [ -f "$work/usr/share/doc/rinoza/$doc" ] || fail "usr/share/doc/rinoza/$doc missing"
done
bash "$here/check-install.sh" --tree "$work/usr" || fail "the unpacked package's files"

# lintian fails on an error; its warnings and notes are shown for the reader.
lintian --fail-on error --info --display-level '>=info' "$deb" || fail "lintian reports an error"

[ $failed -eq 0 ] && echo "package: $(basename "$deb") has its fields, dependencies and files, and lintian finds no error"
exit $failed
