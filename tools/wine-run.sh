#!/usr/bin/env bash
# Runs a Windows program under Wine in a project prefix. Wine's background
# processes inherit stdout/stderr and would keep a pipe (and ctest) waiting, so
# the output goes to temporary files that are printed afterwards.
# Usage: tools/wine-run.sh ARCH PREFIX PROGRAM [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
arch=$1 prefix=$2
shift 2
mkdir -p "$(dirname "$prefix")"
flock "$prefix.lock" "$here/wine-prefix.sh" "$arch" "$prefix" || exit 97
. "$here/wine-env.sh" "$arch" "$prefix"
if [ -e "$WINEPREFIX/dosdevices/z:" ]; then
    echo "wine-run: refusing to run: z: is mapped in $WINEPREFIX" >&2
    exit 98
fi
out=$(mktemp) err=$(mktemp)
"$DORVA_WINE" "$@" >"$out" 2>"$err" </dev/null
rc=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $rc
