#!/usr/bin/env bash
# Fails when a toolkit-free core file (anything under src/ outside ui/ folders and app/) includes a Qt header.
set -u
src=${1:-src}
hits=$(find "$src" \( -path '*/ui/*' -o -path '*/app/*' \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print |
    xargs -r grep -nE '#\s*include\s*<Q[A-Za-z]' || true)
if [ -n "$hits" ]; then
    echo "core files include Qt headers:"; echo "$hits"; exit 1
fi
echo "core is free of Qt"
