#!/usr/bin/env bash
# "E&xit Program", the last item of the full menu, ends the program: its
# tray icon goes away and the process ends with result 0.
. "$(dirname "$0")/lib.sh"

EXIT_PROGRAM_POSITION=17

start_program /z
pid=$E2E_LAST_PID
check "the tray icon appears" wait_until 20 tray_slot_filled 0
tray_click 0 3
check "the full menu opens" wait_until 5 has_popup
menu=$(popup_window)
screenshot exit_menu "$menu"
menu_item_click "$menu" $EXIT_PROGRAM_POSITION "${FULL_MENU_ROWS[@]}"
check "the program ends" wait_until 10 process_gone "$pid"
wait "$pid"
result=$?
check "with result 0" [ "$result" = 0 ]
check "its tray icon is gone" wait_until 5 bash -c "[ -z \"\$(xdotool search --name '^Wine System Tray\$' 2>/dev/null)\" ]"
screenshot exit_after
finish
