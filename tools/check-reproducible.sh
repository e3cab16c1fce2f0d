#!/usr/bin/env bash
# Builds the release a second time from a clone in another folder and checks
# that it gives the same bytes as this checkout's `make release`: the same
# dist/SHA256SUMS, and the same exes one by one (which of them differ, if any).
# The clone carries this checkout's uncommitted changes too.
# Usage: tools/check-reproducible.sh   (after `make release`)
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
[ -f "$top/dist/SHA256SUMS" ] || { echo "check-reproducible: run 'make release' first"; exit 1; }
second=$(mktemp -d /tmp/dorva-second-build.XXXXXX)
trap 'rm -rf "$second"' EXIT
git clone -q "$top" "$second/DorvaNT" || exit 1
cd "$top" || exit 1
git diff HEAD --binary | git -C "$second/DorvaNT" apply --allow-empty || exit 1
git ls-files -z --others --exclude-standard | tar -c --null -T - | tar -x -C "$second/DorvaNT" || exit 1

echo "check-reproducible: building again in $second/DorvaNT"
make -C "$second/DorvaNT" release JOBS="${JOBS:-2}" >"$second/build.log" 2>&1 || {
    tail -n 30 "$second/build.log"
    echo "check-reproducible: FAIL: the second build failed"
    exit 1
}
status=0 compared=0
for exe in "$second"/DorvaNT/build/win64/*.exe "$second"/DorvaNT/build/win32/*.exe; do
    name=${exe#"$second"/DorvaNT/}
    compared=$((compared + 1))
    if ! cmp -s "$name" "$exe"; then
        echo "check-reproducible: FAIL: $name differs"
        status=1
    fi
done
echo "check-reproducible: $compared exes compared"
if cmp -s dist/SHA256SUMS "$second/DorvaNT/dist/SHA256SUMS"; then
    echo "check-reproducible: ok: the same dist/SHA256SUMS from $top and $second/DorvaNT:"
    cat dist/SHA256SUMS
else
    echo "check-reproducible: FAIL: dist/SHA256SUMS differs:"
    diff dist/SHA256SUMS "$second/DorvaNT/dist/SHA256SUMS"
    status=1
fi
exit $status
