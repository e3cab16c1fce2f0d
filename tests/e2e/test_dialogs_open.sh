#!/usr/bin/env bash
# The five dialogs of the tray menu open from the real menu, show what a user
# reads in them, and close again; the Shortcut dialog really writes its link.
# Each open dialog is kept as a screenshot.
. "$(dirname "$0")/lib.sh"

start_program /z
program=$E2E_LAST_PID
check "the tray shows the icon" wait_until 20 tray_slot_filled 0

# Keys go in as real input to the active dialog: keys sent to a window with
# --window can leave Wine's key state behind and swallow a later menu pick.
# The key goes to the X window with the focus. Without a window manager a
# dialog opened from a submenu may leave it on the tray's window, where the
# last click went: the dialog is given the focus first.
closes_on_escape() { # closes_on_escape CAPTION
    local win
    win=$(window_named "$1") && xdotool windowfocus "$win"
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
