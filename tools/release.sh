#!/usr/bin/env bash
# `make release`: one zip per architecture with the exe and the usage text,
# made the same way every time (tools/zip_files.py), and dist/SHA256SUMS over
# them and the test kits (`make windows-kit`).
set -eu
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(DorvaNT VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p dist
zips=()
for arch in win64:x64 win32:x86; do
    build=${arch%%:*} name=${arch##*:}
    stage=$(mktemp -d)
    cp "build/$build/DorvaNT.exe" "$stage/DorvaNT.exe"
    cp docs/USAGE.txt "$stage/README.txt"
    zip_file=dist/DorvaNT-$version-$name.zip
    python3 tools/zip_files.py "$zip_file" "$stage/DorvaNT.exe" "$stage/README.txt"
    rm -rf "$stage"
    echo "$zip_file: $(stat -c %s "$zip_file") bytes (DorvaNT.exe $(stat -c %s "build/$build/DorvaNT.exe") bytes)"
    zips+=("DorvaNT-$version-$name.zip")
done
zips+=("DorvaNT-$version-tests-x64.zip" "DorvaNT-$version-tests-x86.zip")
for zip_file in "${zips[@]}"; do
    [ -f "dist/$zip_file" ] || { echo "release: dist/$zip_file is missing" >&2; exit 1; }
done
(cd dist && sha256sum "${zips[@]}" > SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
echo "dist/SHA256SUMS:"
cat dist/SHA256SUMS
