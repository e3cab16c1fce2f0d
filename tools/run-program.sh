#!/usr/bin/env bash
# `make run`: the program under Wine in the project's own safe prefix
# (build/run/wineprefix), on the user's display or on a private Xvfb.
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$(readlink -f "$1")
shift
prefix=$(readlink -f "$here/..")/build/run/wineprefix
mkdir -p "$(dirname "$prefix")"
flock "$prefix.lock" "$here/wine-prefix.sh" win64 "$prefix" || exit 1
if [ -z "${DISPLAY:-}" ]; then
    echo "run: no DISPLAY: starting a private Xvfb; the program runs there until you press Ctrl+C." >&2
fi
exec "$here/with-xvfb.sh" "$here/wine-run.sh" win64 "$prefix" "$exe" "$@"
