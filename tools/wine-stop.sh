#!/usr/bin/env bash
# Stops the wineservers of a build folder's prefixes.
# Usage: tools/wine-stop.sh ARCH BUILD_DIR
here=$(cd "$(dirname "$0")" && pwd)
for prefix in "$2"/wineprefix "$2"/wineprefix-e2e "$2"/wineprefix-kit; do
    [ -d "$prefix" ] || continue
    ( . "$here/wine-env.sh" "$1" "$prefix"; "$DORVA_WINESERVER" -k 2>/dev/null ) || true
done
exit 0
