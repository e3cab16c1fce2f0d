#!/usr/bin/env bash
# Runs a test kit as a Windows user runs it: unpacked into a folder on C: of a
# project prefix of its own, started with "cmd /c run-tests.cmd" in that folder,
# on a display of its own (some of its tests move the mouse). Passes when the
# runner ends with 0 and its last line says that every test program of the kit
# passed.
# Usage: tools/run-kit.sh ARCH PREFIX KIT.zip
set -u
here=$(cd "$(dirname "$0")" && pwd)
arch=$1 prefix=$2 zip=$3
if [ ! -f "$zip" ]; then
    echo "run-kit: $zip is missing: 'make windows-kit' makes it"
    exit 1
fi
mkdir -p "$(dirname "$prefix")"
flock "$prefix.lock" "$here/wine-prefix.sh" "$arch" "$prefix" || exit 97
. "$here/wine-env.sh" "$arch" "$prefix"
if [ -e "$WINEPREFIX/dosdevices/z:" ]; then
    echo "run-kit: refusing to run: z: is mapped in $WINEPREFIX"
    exit 98
fi

folder=$WINEPREFIX/drive_c/$(basename "$zip" .zip)
rm -rf "$folder"
python3 -m zipfile -e "$zip" "$folder" || exit 1
programs=$(find "$folder" -maxdepth 1 -name '*_test.exe' | wc -l)

# Wine's background processes inherit the output: it goes to a file.
out=$(mktemp)
(
    cd "$folder" || exit 1
    DORVA_OWN_XVFB=1 "$here/with-xvfb.sh" bash -c '"$1" cmd /c run-tests.cmd; rc=$?; "$2" -k; exit $rc' \
        run-kit "$DORVA_WINE" "$DORVA_WINESERVER"
) >"$out" 2>/dev/null </dev/null
rc=$?
tr -d '\r' <"$out"
last=$(tr -d '\r' <"$out" | grep -v '^\s*$' | tail -n 1)
rm -f "$out"

want="$programs passed, 0 failed"
if [ "$rc" -ne 0 ] || [ "$last" != "$want" ]; then
    echo "run-kit: FAIL: the runner ended with $rc and \"$last\", not 0 and \"$want\""
    for log in "$folder"/*.log; do
        grep -H '\[  FAILED  \]' "$log" 2>/dev/null | head -n 20
    done
    echo "run-kit: the logs are in $folder"
    exit 1
fi
echo "run-kit: ok: $want (logs in $folder)"
