#!/usr/bin/env bash
# Ctrl+Alt+X pressed on a Wine window reaches the program as its hotkey and
# performs the exit: a witness window sees the session end. Without the
# hotkey switched on, the same keys do nothing.
. "$(dirname "$0")/lib.sh"

WITNESS=${DORVA_BUILD:-$(dirname "$E2E_EXE")}/witness.exe
LOG_NAME=hotkey-witness.log
LOG=$E2E_WORK/$LOG_NAME
rm -f "$LOG"

start_windows "$WITNESS" "C:\\e2e\\$LOG_NAME"
check "the witness runs" wait_until 20 grep -q " start " "$LOG"
witness_window=$(window_named "DorvaWitness .*")
check "the witness window is there" [ -n "$witness_window" ]

press_ctrl_alt_x() { xdotool key --window "$witness_window" ctrl+alt+x; }

# Without the hotkey: nothing happens.
start_program /z
program=$E2E_LAST_PID
check "the program shows its icon" wait_until 20 tray_slot_filled 0
press_ctrl_alt_x
sleep 2
check "without the hotkey the keys do nothing" eval '! grep -q " query " "$LOG"'
check "the program still runs" process_alive "$program"
close_program
check "the program ends when asked" wait_until 15 process_gone "$program"

# With the hotkey on (Ctrl+Alt+X, the default letter): the exit.
start_program /z /h
program=$E2E_LAST_PID
check "the program shows its icon again" wait_until 20 tray_slot_filled 0
screenshot hotkey-before
press_ctrl_alt_x
check "the witness is asked to end the session" wait_until 20 grep -q " query " "$LOG"
check "the witness sees the session end" wait_until 20 grep -q " end 1 " "$LOG"
check "the program is gone with the session" wait_until 20 process_gone "$program"
log "witness log: $(tr '\r\n' '  ' <"$LOG")"
cp "$LOG" "$E2E_ARTIFACTS/$LOG_NAME" 2>/dev/null
finish
