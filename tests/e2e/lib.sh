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
# Slots are 20 x 20 pixels at 96 DPI (E2E_DPI; they grow with it), left to
# right, the icon drawn 2 pixels in. When Wine draws the window's frame itself
# (Managed=N, as the test prefixes set), the X window holds a 3-pixel border
# and a caption above the slots; otherwise it is the slot row alone.
# tray_client WINDOW sets TRAY_LEFT and TRAY_TOP, the slot row's offset inside
# the X window, and X and Y.
E2E_DPI=${E2E_DPI:-96}
tray_slot_size() { echo $((20 * E2E_DPI / 96)); }
tray_client() {
    local slot; slot=$(tray_slot_size)
    eval "$(xdotool getwindowgeometry --shell "$1")"
    if [ "$HEIGHT" -gt $((slot + 4)) ]; then
        TRAY_LEFT=3 TRAY_TOP=$((HEIGHT - 3 - slot))
    else
        TRAY_LEFT=0 TRAY_TOP=0
    fi
}
tray_slot_centre() {
    local win slot
    win=$(tray_window)
    [ -n "$win" ] || return 1
    slot=$(tray_slot_size)
    tray_client "$win"
    echo "$((X + TRAY_LEFT + slot / 2 + slot * $1)) $((Y + TRAY_TOP + slot / 2))"
}
# Writes the 16 x 16 picture of tray slot N to FILE; fails without a tray.
tray_slot_picture() {
    local win shot
    win=$(tray_window)
    [ -n "$win" ] || return 1
    shot=$(mktemp --suffix=.png)
    tray_client "$win"
    import -window "$win" "$shot" 2>/dev/null || { rm -f "$shot"; return 1; }
    convert "$shot" -crop "16x16+$((TRAY_LEFT + 2 + 20 * $1))+$((TRAY_TOP + 2))" +repage "$2"
    rm -f "$shot"
}
# True when tray slot N shows an icon (more than the background colour).
tray_slot_filled() {
    local pic colours
    pic=$(mktemp --suffix=.png)
    tray_slot_picture "$1" "$pic" || { rm -f "$pic"; return 1; }
    colours=$(convert "$pic" -format %k info:)
    rm -f "$pic"
    [ "$colours" -gt 1 ]
}
# Prints which of the program's icons (icon_1 ... icon_11) tray slot N shows:
# the drawing that, laid over the slot as the tray scales it, changes it
# least. Wine's tray draws a new icon over the old one without clearing it,
# so whatever shows through the new icon's transparent parts does not count.
tray_slot_icon() {
    local pic ref best=999999 name=none icon score
    pic=$(mktemp --suffix=.png) ref=$(mktemp --suffix=.png)
    tray_slot_picture "$1" "$pic" || { rm -f "$pic" "$ref"; echo none; return 1; }
    for icon in "$DORVA_BUILD"/generated/res/icon_*.ico; do
        convert "$pic" \( "$icon[0]" -sample 16x16 \) -composite "$ref"
        score=$(compare -metric AE -fuzz 10% "$pic" "$ref" null: 2>&1)
        score=${score%%.*}
        # Vista and later show the 32-bit version of the same picture.
        if [ "$score" -lt "$best" ]; then best=$score; name=$(basename "$icon" .ico); name=${name%_alpha}; fi
    done
    rm -f "$pic" "$ref"
    echo "$name"
}
# Text in a screen rectangle, read by OCR (upscaled first): ocr X Y W H
ocr() {
    local pic; pic=$(mktemp --suffix=.png)
    import -window root -crop "$3x$4+$1+$2" +repage "$pic" 2>/dev/null
    convert "$pic" -scale 400% "$pic"
    tesseract "$pic" - 2>/dev/null | tr '\n' ' '
    rm -f "$pic"
}
ocr_window() { # ocr_window WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    ocr "$X" "$Y" "$WIDTH" "$HEIGHT"
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
# (tooltips are such windows too).
popup_window() { popup_windows | tail -n 1; }
has_popup() { [ -n "$(popup_window)" ]; }
# Centre of item POSITION (0-based) of a popup menu of COUNT equal-height rows
# (separators are shorter: pass the row heights as "n n s n ..." instead).
menu_item_centre() { # menu_item_centre MENU_WINDOW POSITION ROW_KINDS...
    local win=$1 pos=$2; shift 2
    eval "$(xdotool getwindowgeometry --shell "$win")"
    local kinds=("$@") items=0 seps=0 i y
    for k in "${kinds[@]}"; do [ "$k" = s ] && seps=$((seps + 1)) || items=$((items + 1)); done
    # Wine: separators are 9 pixels high at 96 DPI; the frame takes 3 pixels
    # at each edge.
    local sep_h=$((9 * E2E_DPI / 96))
    local item_h=$(( (HEIGHT - 6 - sep_h * seps) / items ))
    y=$((Y + 3))
    for ((i = 0; i < pos; i++)); do
        if [ "${kinds[$i]}" = s ]; then y=$((y + sep_h)); else y=$((y + item_h)); fi
    done
    echo "$((X + WIDTH / 2)) $((y + item_h / 2))"
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

# The row kinds of the two popup menus: n = item, s = separator. The exit
# types head both, as their table lists them: a separator before each group.
EXIT_TYPE_ROWS=() EXIT_TYPE_NAMES=()
while read -r row; do
    [[ $row == *StartsGroup* ]] && EXIT_TYPE_ROWS+=(s) EXIT_TYPE_NAMES+=(-)
    EXIT_TYPE_ROWS+=(n) EXIT_TYPE_NAMES+=("${row%%,*}")
done < <(awk '/ExitTypeInfo ExitTypes\[\] = \{/ {on = 1; next} on && /^\};/ {exit}
              on && /^ *\{ExitType/ {row = ""} on {row = row $0} on && /\},$/ {sub(/^ *\{/, "", row); print row}' \
         "$(dirname "${BASH_SOURCE[0]}")/../../src/core/exit_types.h")
FULL_MENU_ROWS=("${EXIT_TYPE_ROWS[@]}" s n s n s n n n)
SHORT_MENU_ROWS=("${EXIT_TYPE_ROWS[@]}")
# exit_type_position NAME: the menu position of ExitTypeNAME.
exit_type_position() { local i; for i in "${!EXIT_TYPE_NAMES[@]}"; do [ "${EXIT_TYPE_NAMES[$i]}" != "ExitType$1" ] || echo "$i"; done; }

# Every visible popup window, one id a line: an open menu and its submenu.
popup_windows() {
    local w
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        if xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes'; then echo "$w"; fi
    done
}
# menu_item_click MENU_WINDOW POSITION ROW_KINDS...: picks that item with the
# left button, where menu_item_centre puts it.
menu_item_click() {
    local pos; pos=$(menu_item_centre "$@") || return 1
    xdotool mousemove $pos sleep 0.2 click 1
}

# Positions in the full menu and its Options submenu.
OPTION_ROWS=(n n n n n)
FULL_OPTIONS=$((${#EXIT_TYPE_ROWS[@]} + 1))
FULL_TOGGLES=$((FULL_OPTIONS + 2))
FULL_REGISTRY=$((FULL_OPTIONS + 4))
FULL_ABOUT=$((FULL_OPTIONS + 5))
FULL_EXIT_PROGRAM=$((FULL_OPTIONS + 6))
OPTION_RUN_BEFORE_EXIT=0
OPTION_TIMED_EXIT=1
OPTION_HOTKEY=2
OPTION_SHORTCUT=3

# The open full menu: the tall popup window (the icon's tooltip is a popup
# window too, one line high).
full_menu_window() {
    local w
    for w in $(popup_windows); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$HEIGHT" -gt 100 ]; then echo "$w"; return 0; fi
    done
    return 1
}

# Opens the full menu with a right click on the icon and echoes its window.
# The mouse comes from elsewhere and clicks at once, before a tooltip shows.
open_full_menu() {
    local x y
    read -r x y < <(tray_slot_centre 0)
    xdotool mousemove 500 500 sleep 0.5 mousemove "$x" "$y" click 3
    wait_until 5 full_menu_window >/dev/null || return 1
    sleep 0.3
    full_menu_window
}

# Picks item POSITION of the full menu.
pick_full() {
    local menu
    menu=$(open_full_menu) || return 1
    xdotool mousemove $(menu_item_centre "$menu" "$1" "${FULL_MENU_ROWS[@]}") sleep 0.2 click 1
}

# The submenu opened beside MENU: a visible popup window to its right (the
# icon's tooltip is a popup window too, but it sits at the tray).
submenu_of() {
    local menu=$1 w menu_right
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    menu_right=$((X + WIDTH / 2))
    for w in $(popup_windows); do
        [ "$w" != "$menu" ] || continue
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$X" -ge "$menu_right" ]; then echo "$w"; return 0; fi
    done
    return 1
}

# Picks item POSITION of the Options submenu.
pick_option() {
    local menu sub
    menu=$(open_full_menu) || return 1
    xdotool mousemove $(menu_item_centre "$menu" "$FULL_OPTIONS" "${FULL_MENU_ROWS[@]}") sleep 0.2 click 1
    wait_until 5 submenu_of "$menu" >/dev/null || { screenshot no-submenu >&2; return 1; }
    sleep 0.3
    sub=$(submenu_of "$menu")
    xdotool mousemove $(menu_item_centre "$sub" "$1" "${OPTION_ROWS[@]}") sleep 0.2 click 1
}

# Waits for the dialog CAPTION (a regular expression), keeps its picture,
# and echoes its window.
expect_dialog() { # expect_dialog CAPTION ARTEFACT
    wait_until 10 has_window_named "$1" || { screenshot "missing-$2" >&2; return 1; }
    sleep 0.5
    local win; win=$(window_named "$1")
    screenshot "$2" "$win" >&2
    echo "$win"
}


# The witness (tests/programs/witness.cpp): a window that logs the session-end
# messages it receives, with times, to C:\e2e\NAME.log; "answer0" makes it
# refuse the session end, "hang" makes it stop answering.
start_witness() { # start_witness NAME [answer0|hang]
    cp -f "$DORVA_BUILD/witness.exe" "$E2E_WORK/witness.exe"
    rm -f "$E2E_WORK/$1.log"
    start_windows "$E2E_WORK/witness.exe" "C:\\e2e\\$1.log" ${2:-}
    wait_until 20 grep -q " start " "$E2E_WORK/$1.log"
}
# The events of a witness log in order, e.g. "start query end".
witness_events() { awk '{printf "%s%s", sep, $2; sep=" "}' "$E2E_WORK/$1.log" 2>/dev/null; }
witness_has() { grep -q " $2 " "$E2E_WORK/$1.log" 2>/dev/null; }   # witness_has NAME EVENT
# witness_time NAME EVENT [N]: the time (unix ms) of the Nth (1-based) EVENT
witness_time() { awk -v e="$2" -v n="${3:-1}" '$2 == e && ++k == n {print $1; exit}' "$E2E_WORK/$1.log" 2>/dev/null; }
