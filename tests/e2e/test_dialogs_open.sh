#!/usr/bin/env bash
# The five dialogs of the tray menu open from the real menu, show what a user
# reads in them, and close again; the Shortcut dialog really writes its link.
# Each open dialog is kept as a screenshot.
. "$(dirname "$0")/lib.sh"

OPTION_ROWS=(n n n n n)
FULL_REGISTRY=12
FULL_ABOUT=13
FULL_OPTIONS=8
OPTION_RUN_BEFORE_EXIT=0
OPTION_HOTKEY=2
OPTION_SHORTCUT=3

start_program /z
program=$E2E_LAST_PID
check "the tray shows the icon" wait_until 20 tray_slot_filled 0

# The open full menu: the tall popup window (the icon's tooltip is a popup
# window too, one line high).
full_menu_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
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
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
        [ "$w" != "$menu" ] || continue
        xwininfo -id "$w" 2>/dev/null | grep -q 'Override Redirect State: yes' || continue
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

# Keys go in as real input to the active dialog: keys sent to a window with
# --window can leave Wine's key state behind and swallow a later menu pick.
closes_on_escape() { # closes_on_escape CAPTION
    xdotool key Escape
    wait_until 5 eval "! has_window_named '$1'"
}

# About: the texts the box draws itself are there to read.
pick_full "$FULL_ABOUT"
about=$(expect_dialog "About" dialog-about)
check "the About box opens from the menu" [ -n "$about" ]
if [ -n "$about" ]; then
    text=$(ocr_window "$about")
    check "About shows the version line (read: $text)" grep -q "version 2.6.0.0" <<<"$text"
    # OCR reads the small link font loosely: the words around it must do.
    check "About shows the maker" grep -q "Software" <<<"$text"
    check "About shows the warranty notice" grep -q "warranty of any kind" <<<"$text"
    check "About shows both link labels" grep -q "E-mail:.*Website:" <<<"$text"
    check "About closes" closes_on_escape "About"
fi

# Registry: opening reads the switches and changes nothing.
pick_full "$FULL_REGISTRY"
registry=$(expect_dialog "Registry" dialog-registry)
check "the Registry dialog opens from the menu" [ -n "$registry" ]
if [ -n "$registry" ]; then
    text=$(ocr_window "$registry")
    check "Registry shows its choices (read: $text)" grep -q "Save current settings" <<<"$text"
    check "Registry closes" closes_on_escape "Registry"
fi

pick_option "$OPTION_RUN_BEFORE_EXIT"
programs=$(expect_dialog 'Program\(s\) to run' dialog-run-before-exit)
check "the Run-before-exit dialog opens from the menu" [ -n "$programs" ]
[ -n "$programs" ] && check "Run-before-exit closes" closes_on_escape 'Program\(s\) to run'

pick_option "$OPTION_HOTKEY"
hotkey=$(expect_dialog "Set Hotkey" dialog-hotkey)
check "the Set Hotkey dialog opens from the menu" [ -n "$hotkey" ]
[ -n "$hotkey" ] && check "Set Hotkey closes" closes_on_escape "Set Hotkey"

# Shortcut: OK on the preselected desktop writes Dorva.lnk there.
desktop=$(find "$E2E_DRIVE_C/users" -mindepth 2 -maxdepth 2 -name Desktop ! -path '*/Public/*' | head -n 1)
rm -f "$desktop/Dorva.lnk"
pick_option "$OPTION_SHORTCUT"
shortcut=$(expect_dialog "Shortcut" dialog-shortcut)
check "the Shortcut dialog opens from the menu" [ -n "$shortcut" ]
if [ -n "$shortcut" ]; then
    xdotool key Return
    check "the outcome box appears" wait_until 10 has_window_named "Ok"
    box=$(window_named "Ok")
    [ -n "$box" ] && screenshot shortcut-created "$box" >&2
    [ -n "$box" ] && xdotool key Return
    check "the Shortcut dialog closes after success" wait_until 5 eval '! has_window_named Shortcut'
    check "Dorva.lnk is on the desktop" [ -f "$desktop/Dorva.lnk" ]
    rm -f "$desktop/Dorva.lnk"
fi

check "the program still runs" process_alive "$program"
close_program
check "the program ends when asked" wait_until 15 process_gone "$program"
finish
