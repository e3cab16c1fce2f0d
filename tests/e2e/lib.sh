# Shared steps of the end-to-end tests: the real exe under Wine in its own
# safe prefix, on the display that `make test` provides, driven with xdotool
# like a user. Sourced by tests/e2e/test_*.sh, which get:
#   $1 the exe   $2 the e2e prefix   $3 the artefact folder
set -u
E2E_EXE=$(readlink -f "$1")
E2E_PREFIX=$2
E2E_ARTIFACTS=$3
E2E_NAME=$(basename "$0" .sh)
E2E_TOOLS=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)
E2E_ARCH=${DORVA_WINE_ARCH:-win64}
E2E_PIDS=()
E2E_FAILED=0
mkdir -p "$E2E_ARTIFACTS" "$(dirname "$E2E_PREFIX")"
flock "$E2E_PREFIX.lock" "$E2E_TOOLS/wine-prefix.sh" "$E2E_ARCH" "$E2E_PREFIX" || exit 1
. "$E2E_TOOLS/wine-env.sh" "$E2E_ARCH" "$E2E_PREFIX"
[ -n "${DISPLAY:-}" ] || { echo "e2e: no DISPLAY"; exit 1; }
E2E_DRIVE_C=$WINEPREFIX/drive_c
E2E_WORK=$E2E_DRIVE_C/e2e
mkdir -p "$E2E_WORK"

log() { echo "[$E2E_NAME] $*"; }
fail() { echo "[$E2E_NAME] FAIL: $*"; E2E_FAILED=1; }
check() { # check "what" command...
    local what=$1; shift
    if "$@"; then log "ok: $what"; else fail "$what"; fi
}

# Starts a Windows program in the background; its wine process id lands in E2E_LAST_PID.
start_windows() {
    "$DORVA_WINE" "$@" >/dev/null 2>&1 </dev/null &
    E2E_LAST_PID=$!
    E2E_PIDS+=("$E2E_LAST_PID")
}
start_program() { start_windows "$E2E_EXE" "$@"; }

# wait_until SECONDS command...: polls every 50 ms.
wait_until() {
    local deadline=$(( $(date +%s%N) / 1000000 + $1 * 1000 )); shift
    until "$@"; do
        (( $(date +%s%N) / 1000000 < deadline )) || return 1
        sleep 0.05
    done
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
process_alive() { kill -0 "$1" 2>/dev/null; }
process_gone() { ! kill -0 "$1" 2>/dev/null; }
window_named() { xdotool search --name "^$1\$" 2>/dev/null | head -n 1; }
has_window_named() { [ -n "$(window_named "$1")" ]; }

# The Wine system tray window and the centre of icon slot N (0-based) in
# screen coordinates.
tray_window() { window_named "Wine System Tray"; }
tray_slot_centre() {
    local win geometry x y
    win=$(tray_window) || return 1
    [ -n "$win" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    echo "$((X + 12 + 20 * $1)) $((Y + 12))"
}
tray_icon_count() {
    local win; win=$(tray_window)
    [ -n "$win" ] || { echo 0; return; }
    eval "$(xdotool getwindowgeometry --shell "$win")"
    echo $(( WIDTH / 20 ))
}
tray_click() { # tray_click SLOT BUTTON [repeat]
    local pos; pos=$(tray_slot_centre "$1") || return 1
    xdotool mousemove $pos sleep 0.1 click --repeat "${3:-1}" --delay 80 "$2"
}

screenshot() { # screenshot NAME [window]
    local file=$E2E_ARTIFACTS/$1.png
    if [ -n "${2:-}" ]; then import -window "$2" "$file" 2>/dev/null; else import -window root "$file" 2>/dev/null; fi
    log "screenshot $file"
}

# Popup menus are unnamed override-redirect windows of the exe: the newest
# visible one.
popup_menu_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        if xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes'; then echo "$w"; fi
    done | tail -n 1
}

# Asks the program's main window to close, as taskkill without /f does.
close_program() { "$DORVA_WINE" taskkill /im "$(basename "$E2E_EXE")" >/dev/null 2>&1 || true; }

cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    "$DORVA_WINESERVER" -k 2>/dev/null
    "$DORVA_WINESERVER" -w 2>/dev/null
}
finish() {
    cleanup
    if [ "$E2E_FAILED" = 0 ]; then log "passed"; exit 0; fi
    log "failed"; exit 1
}
trap cleanup EXIT
# Every test starts from a fresh wineserver: a session end of an earlier test
# leaves nothing behind.
"$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -w 2>/dev/null; true

# ---- popup menus by geometry -------------------------------------------------
# Every visible popup menu window of the display, one id a line.
popup_menu_windows() {
    local w
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        if xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes'; then echo "$w"; fi
    done
}
# popup_item_centre WINDOW POSITION COUNT: the centre of item POSITION (0-based)
# of a popup menu with COUNT positions, from the menu window's geometry, taking
# every position as equally high.
popup_item_centre() {
    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$((X + WIDTH / 2)) $((Y + HEIGHT * (2 * $2 + 1) / (2 * $3)))"
}
# popup_item_click WINDOW POSITION COUNT: picks that item with the left button.
popup_item_click() {
    local pos; pos=$(popup_item_centre "$@") || return 1
    xdotool mousemove $pos sleep 0.2 click 1
}
# tray_slot_shot NAME SLOT: a picture of one tray icon slot, for comparisons.
tray_slot_shot() {
    local win; win=$(tray_window)
    [ -n "$win" ] || return 1
    import -window "$win" -crop "20x20+$((20 * $2))+0" +repage "$E2E_ARTIFACTS/$1.png" 2>/dev/null
}
# image_difference A B: how many pixels of two artefact pictures differ.
image_difference() {
    local pixels
    pixels=$(compare -metric AE "$E2E_ARTIFACTS/$1.png" "$E2E_ARTIFACTS/$2.png" null: 2>&1)
    echo "${pixels%% *}"
}
# images_differ A B: true when the two artefact pictures differ in any pixel.
images_differ() { [ "$(image_difference "$1" "$2")" != 0 ]; }
