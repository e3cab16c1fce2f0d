#!/usr/bin/env bash
# Creates (once) and checks a project Wine prefix that is safe to run the
# program in: no drive letter leads to a mount point of the host, so nothing a
# test does (a flush, a dismount, an eject) can reach a real disk.
# Usage: tools/wine-prefix.sh ARCH PREFIX
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1" "$2"

# Every dosdevices entry that is a drive letter must point into the prefix's
# own folder tree (c: and test drives made as folders); anything else goes.
make_safe() {
    local dev=$WINEPREFIX/dosdevices entry target base
    base=$(readlink -f "$(dirname "$WINEPREFIX")")
    [ -d "$dev" ] || return 0
    for entry in "$dev"/?:: "$dev"/?:; do
        [ -e "$entry" ] || [ -L "$entry" ] || continue
        target=$(readlink -f "$entry" 2>/dev/null || true)
        case "$target" in
            "$base"/*) ;;
            *) rm -f "$entry"; echo "wine-prefix: removed $(basename "$entry") -> $target" >&2 ;;
        esac
    done
}

# The test settings. regedit is given the file by its C: name: with z: gone
# a host path means nothing inside the prefix, and the import would be lost.
# X11 "Managed"="N" is not set: with it Wine draws a caption on its tray
# window, and the e2e tests find the icons where Wine's default mode puts them.
apply_registry() {
    local reg_file=$WINEPREFIX/drive_c/dorva-setup.reg
    cat > "$reg_file" <<'REG'
REGEDIT4

[HKEY_CLASSES_ROOT\.txt]
@="txtfile"

[HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@="notepad.exe \"%1\""

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer]
REG
    DISPLAY= "$DORVA_WINE" regedit /S 'C:\dorva-setup.reg' >/dev/null 2>&1 || true
    "$DORVA_WINESERVER" -w || true
    touch "$WINEPREFIX/.dorva-registry"
}

ready=$WINEPREFIX/.dorva-ready
if [ -f "$ready" ]; then
    make_safe
    # Prefixes made before the settings were imported correctly get them now.
    [ -f "$WINEPREFIX/.dorva-registry" ] || apply_registry
    exit 0
fi

mkdir -p "$WINEPREFIX"
echo "wine-prefix: creating $WINEPREFIX ($1)" >&2
DISPLAY= "$DORVA_WINE" wineboot -i >/dev/null 2>&1 || true
"$DORVA_WINESERVER" -w || true
make_safe
if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    echo "wine-prefix: wineboot could not create $WINEPREFIX with $DORVA_WINE" >&2
    exit 1
fi
rm -f "$WINEPREFIX/dosdevices/z:"

apply_registry

fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
cp -n /usr/share/wine/fonts/* "$fonts"/ 2>/dev/null || true
make_safe
touch "$ready"
