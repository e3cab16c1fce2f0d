#!/usr/bin/env bash
# The release exe is built with ASLR, DEP and (x64) high-entropy ASLR, and has
# no relocation stripping that would defeat them.
# Usage: tools/check-hardening.sh OBJDUMP EXE
set -u
objdump=$1 exe=$2
header=$("$objdump" -p "$exe")
status=0
need() {
    if grep -q "$1" <<<"$header"; then echo "ok: $1"; else echo "FAIL: $exe lacks $1"; status=1; fi
}
need DYNAMIC_BASE
need NX_COMPAT
if grep -q 'x86-64' <<<"$("$objdump" -f "$exe")"; then need HIGH_ENTROPY_VA; fi
if grep -qE 'Characteristics.*RELOCS_STRIPPED|^\s*relocations stripped' <<<"$header"; then
    echo "FAIL: relocations stripped: ASLR cannot move the image"; status=1
fi
exit $status
