#!/usr/bin/env bash
# Keeps unbounded string writes out of the program's sources: every copy into
# a fixed buffer must be told the buffer's size.
# Usage: tools/check-bounded-copies.sh SOURCE_DIR
set -u
hits=$(grep -rnE '\b(strcpy|strcat|sprintf|vsprintf|lstrcpyA?|lstrcpyW|lstrcatA?|lstrcatW|wsprintfA?|wsprintfW|wvsprintfA?|gets|_mbscpy|StrCpyA?|StrCatA?)\s*\(' \
    "$1/src" --include='*.cpp' --include='*.h' --include='*.c' || true)
if [ -n "$hits" ]; then
    echo "Unbounded string writes in src/:"
    echo "$hits"
    exit 1
fi
echo "ok: no unbounded string writes in $1/src"
