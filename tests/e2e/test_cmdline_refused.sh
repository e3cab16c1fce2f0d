#!/usr/bin/env bash
# Two exit types on the command line: the program says so, and after OK it
# ends without ever showing a tray icon.
. "$(dirname "$0")/lib.sh"

no_tray_icon() { ! tray_slot_filled 0; }

start_program /e:s /x:r
pid=$E2E_LAST_PID
check "the error box appears" wait_until 20 has_window_named "Error"
box=$(window_named "Error")
screenshot refused_box "$box"
text=$(ocr_window "$box")
check "it reads Too many options specified (read: $text)" grep -q "Too many options specified" <<<"$text"
check "no tray icon while the box is shown" no_tray_icon
check "the program waits for the box" process_alive "$pid"
xdotool key --window "$box" Return
check "the program ends after OK" wait_until 10 process_gone "$pid"
check "the box is gone" wait_until 5 bash -c "! xdotool search --name '^Error\$' >/dev/null 2>&1"
check "no tray icon was ever added" no_tray_icon
finish
