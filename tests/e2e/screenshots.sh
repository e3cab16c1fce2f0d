#!/usr/bin/env bash
# The pictures of the README, taken from the real program under Wine: the tray
# icon, its menus, the countdown window and every dialog, each cropped to
# what it shows. Run by `make screenshots`; writes docs/images/*.png.
# Usage: screenshots.sh EXE PREFIX OUT_DIR
. "$(dirname "$0")/lib.sh"
out=$E2E_ARTIFACTS
# The helpers' own screenshots go elsewhere: only the crops land in OUT_DIR.
E2E_ARTIFACTS=$(mktemp -d)

# Crops the screen to a window (plus MARGIN pixels) into OUT_DIR/NAME.png.
keep() { # keep NAME WINDOW [MARGIN] [EXTRA_BELOW]
    local margin=${3:-0}
    eval "$(xdotool getwindowgeometry --shell "$2")"
    local x=$((X - margin)) y=$((Y - margin))
    [ "$x" -ge 0 ] || x=0
    [ "$y" -ge 0 ] || y=0
    import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin + ${4:-0}))+$x+$y" +repage \
        "$out/$1.png" 2>/dev/null
    log "kept $out/$1.png"
}
# Crops the screen from the tray's corner to the bottom right of WINDOW.
keep_from_tray() { # keep_from_tray NAME WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2")"
    import -window root -crop "$((X + WIDTH + 8))x$((Y + HEIGHT + 8))+0+0" +repage "$out/$1.png" 2>/dev/null
    log "kept $out/$1.png"
}
close_dialog() { xdotool key Escape; wait_until 5 eval "! has_window_named '$1'"; }

start_program /z /t:12 /w:10
check "the tray shows the icon" wait_until 20 tray_slot_filled 0

read -r x y < <(tray_slot_centre 0)
xdotool mousemove "$x" "$y"
wait_until 5 has_popup && sleep 0.3 && keep_from_tray tray-tip "$(popup_window)"

menu=$(open_full_menu) && keep_from_tray tray-menu "$menu"
xdotool mousemove $(menu_item_centre "$menu" "$FULL_TOGGLES" "${FULL_MENU_ROWS[@]}") click 1
if wait_until 5 submenu_of "$menu" >/dev/null; then
    sleep 0.3
    keep_from_tray tray-menu-toggles "$(submenu_of "$menu")"
fi
# A click away from the menus closes both (keys sent to a menu may not reach it).
xdotool mousemove 600 600 sleep 0.2 click 1
wait_until 3 eval '! has_popup' || fail "the menus closed"

# Shift and a left click: the short menu of exit types. Wine learns of the
# Shift key only from a key event sent to one of its windows.
tray=$(tray_window)
xdotool mousemove 500 500 sleep 0.3 mousemove "$x" "$y" sleep 0.2 keydown --window "$tray" shift sleep 0.2 \
    click 1 sleep 0.2 keyup --window "$tray" shift
wait_until 5 has_popup && sleep 0.3 && keep_from_tray tray-menu-short "$(popup_window)"
xdotool mousemove 600 600 sleep 0.2 click 1
wait_until 3 eval '! has_popup' || fail "the short menu closed"

pick_option "$OPTION_TIMED_EXIT"
if win=$(expect_dialog "Timed Exit Options" timed-exit 2>/dev/null); then
    keep dialog-timed-exit "$win"
    # The Countdown Text button (the middle button at the bottom).
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove "$((X + WIDTH / 2))" "$((Y + HEIGHT - 30))" click 1
    if text=$(expect_dialog "Enter warning window text" warning-text 2>/dev/null); then
        keep dialog-warning-text "$text"
        close_dialog "Enter warning window text"
    fi
    close_dialog "Timed Exit Options"
fi

for item in "$FULL_ABOUT:About:dialog-about" "$FULL_REGISTRY:Registry:dialog-registry"; do
    IFS=: read -r position caption name <<<"$item"
    pick_full "$position"
    win=$(expect_dialog "$caption" "$name" 2>/dev/null) && keep "$name" "$win" && close_dialog "$caption"
done
for item in "$OPTION_RUN_BEFORE_EXIT:Program(s) to run:dialog-run-before-exit" \
            "$OPTION_HOTKEY:Set Hotkey:dialog-hotkey" "$OPTION_SHORTCUT:Shortcut:dialog-shortcut"; do
    IFS=: read -r position caption name <<<"$item"
    pattern=${caption//(/\\(}
    pattern=${pattern//)/\\)}
    pick_option "$position"
    win=$(expect_dialog "$pattern" "$name" 2>/dev/null) && keep "$name" "$win" && close_dialog "$pattern"
done

# A click arms the 12-second exit; the countdown opens 2 seconds later.
xdotool mousemove 500 500 sleep 0.3 mousemove "$x" "$y" click 1
if wait_until 10 has_window_named Countdown; then
    sleep 1.2
    keep countdown "$(window_named Countdown)"
    keep_from_tray tray-timed-exit "$(tray_window)"
fi
# Cancel with a click on the icon: nothing is shut down.
xdotool mousemove 500 500 sleep 0.3 mousemove "$x" "$y" click 1
wait_until 5 eval '! has_window_named Countdown'
close_program

# At 192 DPI (200%): the tray icon at its size there and the About box, whose
# link font grows with the dialog, side by side. The prefix's DPI is set for
# these pictures only.
set_dpi() {
    if [ "$1" = 96 ]; then
        "$DORVA_WINE" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
    else
        "$DORVA_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    fi
    "$DORVA_WINESERVER" -k; "$DORVA_WINESERVER" -w
    E2E_DPI=$1
}
set_dpi 192
start_program /z
if wait_until 20 tray_slot_filled 0 && sleep 1 && keep_from_tray dpi-192-tray "$(tray_window)" &&
        pick_full "$FULL_ABOUT" && win=$(expect_dialog About dpi-192-about 2>/dev/null); then
    keep dpi-192-about "$win"
    convert "$out/dpi-192-tray.png" "$out/dpi-192-about.png" -background white -gravity north \
        +append "$out/dpi-192.png"
    close_dialog About
else
    fail "the pictures at 192 DPI"
fi
rm -f "$out/dpi-192-tray.png" "$out/dpi-192-about.png"
close_program
set_dpi 96
finish
