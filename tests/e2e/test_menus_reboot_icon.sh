#!/usr/bin/env bash
# A right-click pick of "&Reboot" selects the exit type: the tray icon's
# picture changes from the Shutdown computer to the Reboot arrow, and a pick
# of "&Shutdown" brings the computer back. A pick of "Loc&k" shows the padlock,
# and a click then asks Wine to lock the workstation: its LockWorkStation
# fails (ERROR_CALL_NOT_IMPLEMENTED), and the program says so and runs on.
. "$(dirname "$0")/lib.sh"

REBOOT_POSITION=$(exit_type_position Reboot)
SHUTDOWN_POSITION=$(exit_type_position Shutdown)
LOCK_POSITION=$(exit_type_position Lock)

no_popup() { ! has_popup; }
slot_shows() { [ "$(tray_slot_icon 0)" = "$1" ]; }

# pick_from_full_menu POSITION NAME: right-click the icon, pick the item.
pick_from_full_menu() {
    check "the full menu opens and $2 is picked" pick_full "$1"
    check "the menu closes after picking $2" wait_until 5 no_popup
}

start_program /z
pid=$E2E_LAST_PID
check "the tray icon appears" wait_until 20 tray_slot_filled 0
check "it shows the Shutdown picture" wait_until 5 slot_shows icon_1
screenshot reboot_before

pick_from_full_menu $REBOOT_POSITION reboot
check "the icon shows the Reboot picture" wait_until 5 slot_shows icon_2
screenshot reboot_after
check "the program still runs" process_alive "$pid"

pick_from_full_menu $SHUTDOWN_POSITION shutdown
check "the Shutdown picture is back" wait_until 5 slot_shows icon_1

pick_from_full_menu $LOCK_POSITION lock
check "the icon shows the padlock" wait_until 5 slot_shows icon_11
tray_click 0 1
check "the refused lock is reported" wait_until 20 has_window_named "Error"
box=$(window_named "Error")
screenshot lock_refused "$box"
text=$(ocr_window "$box")
check "it reads Lock was refused by Windows (read: $text)" grep -q "Lock was refused by Windows" <<<"$text"
xdotool key --window "$box" Return
check "the box goes away" wait_until 5 bash -c "! xdotool search --name '^Error\$' >/dev/null 2>&1"
check "the program still runs" process_alive "$pid"
check "with the padlock" slot_shows icon_11
finish
