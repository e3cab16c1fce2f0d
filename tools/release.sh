#!/usr/bin/env bash
# `make release`: one zip per architecture with the exe and the usage text.
set -eu
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(DorvaNT VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p dist
for arch in win64:x64 win32:x86; do
    build=${arch%%:*} name=${arch##*:}
    stage=$(mktemp -d)
    cp "build/$build/DorvaNT.exe" "$stage/DorvaNT.exe"
    sed 's/$/\r/' docs/USAGE.txt > "$stage/README.txt"
    zip_file=dist/DorvaNT-$version-$name.zip
    rm -f "$zip_file"
    (cd "$stage" && TZ=UTC touch -t 202612070000 DorvaNT.exe README.txt && zip -q -X "$OLDPWD/$zip_file" DorvaNT.exe README.txt)
    rm -rf "$stage"
    echo "$zip_file: $(stat -c %s "$zip_file") bytes (DorvaNT.exe $(stat -c %s "build/$build/DorvaNT.exe") bytes)"
done
