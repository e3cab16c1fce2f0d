#!/usr/bin/env bash
# Only consent ends the session, and no process stays that nobody can reach:
#  - "E&xit Program" picked from the tray menu while "Are you sure you want to
#    exit ?" is open ends the program, not the session, without a second box;
#  - keys typed into the countdown window change nothing ("X" used to end the
#    program and drop the armed exit);
#  - in icon-less mode, Abort in the countdown ends the program.
. "$(dirname "$0")/lib.sh"

cd "$E2E_WORK" || exit 1
EXIT_PROGRAM_POSITION=14

# The countdown's Abort button, right of Close at the bottom of the window.
click_abort() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH * 84 / 115)) $((Y + HEIGHT - 25)) sleep 0.2 click 1
}

check "a witness window is up" start_witness consent
start_program /z /e:l /f:c
program=$E2E_LAST_PID
check "the icon appears" wait_until 20 tray_slot_filled 0
tray_click 0 1
check "the confirmation is asked" wait_until 10 has_window_named Confirm
check "E&xit Program is picked under it" pick_full $EXIT_PROGRAM_POSITION
check "the program ends" wait_until 10 process_gone "$program"
wait "$program"
check "with result 0" [ $? = 0 ]
check "without \"You have chosen not to exit\"" eval '! has_window_named Abort'
sleep 1
check "and the session goes on (witness: $(witness_events consent))" [ "$(witness_events consent)" = start ]

start_program /z /e:l /t:60 /w:60
program=$E2E_LAST_PID
check "the icon appears again" wait_until 20 tray_slot_filled 0
tray_click 0 1
countdown=$(expect_dialog Countdown consent-countdown)
xdotool key --window "$countdown" shift+o shift+x
sleep 1
check "keys typed into the countdown end nothing" process_alive "$program"
check "the timed exit is still armed" [ "$(tray_slot_icon 0)" = icon_7 ]
close_program
check "the program ends when asked" wait_until 10 process_gone "$program"

start_program /z /n /t:60 /w:60 /e:l
program=$E2E_LAST_PID
countdown=$(expect_dialog Countdown consent-iconless)
click_abort "$countdown"
check "Abort in icon-less mode ends the program" wait_until 10 process_gone "$program"
check "without a session end (witness: $(witness_events consent))" [ "$(witness_events consent)" = start ]
finish
