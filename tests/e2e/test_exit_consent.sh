#!/usr/bin/env bash
# Only consent ends the session, and no process stays that nobody can reach:
# "E&xit Program" picked while "Are you sure you want to exit ?" is open ends
# the program (result 0, its icon gone), not the session, without a second
# box; keys typed into the countdown change nothing; in icon-less mode,
# Abort ends the program.
. "$(dirname "$0")/lib.sh"
cd "$E2E_WORK" || exit 1

check "a witness window is up" start_witness consent
start_program /z /e:l /f:c
program=$E2E_LAST_PID
check "the icon appears" wait_until 20 tray_slot_filled 0
tray_click 0 1
check "the confirmation is asked" wait_until 10 has_window_named Confirm
check "E&xit Program is picked under it" pick_full "$FULL_EXIT_PROGRAM"
check "the program ends, without a second box" wait_until 10 process_gone "$program"
wait "$program"
result=$?
check "with result 0 ($result)" [ "$result" = 0 ]
check "its icon is gone" wait_until 5 eval '! tray_slot_filled 0'
check "nor a session end" eval 'sleep 1; ! has_window_named Abort && [ "$(witness_events consent)" = start ]'

start_program /z /e:l /t:60 /w:60
program=$E2E_LAST_PID
check "the icon appears again" wait_until 20 tray_slot_filled 0
tray_click 0 1
countdown=$(expect_dialog Countdown consent-countdown)
xdotool key --window "$countdown" shift+o shift+x
check "keys typed into the countdown end nothing" eval 'sleep 1; process_alive $program'
check "the timed exit stays armed" [ "$(tray_slot_icon 0)" = icon_7 ]
close_program

start_program /z /n /t:60 /w:60 /e:l
program=$E2E_LAST_PID
countdown=$(expect_dialog Countdown consent-iconless)
eval "$(xdotool getwindowgeometry --shell "$countdown")"
xdotool mousemove $((X + WIDTH * 139 / 169)) $((Y + HEIGHT - 25)) sleep 0.2 click 1  # Abort
check "Abort in icon-less mode ends the program" wait_until 10 process_gone "$program"
check "without a session end" [ "$(witness_events consent)" = start ]
finish
