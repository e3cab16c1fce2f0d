#!/usr/bin/env bash
# Block Shutdown ("/f:b"): a session end that another program asks for is
# refused. The program, started first, stays alive with its icon, and a
# witness started after it is not ended (it hears nothing at all). The
# program's own exit afterwards is not refused: it clears the block first.
. "$(dirname "$0")/lib.sh"

cd "$E2E_WORK" || exit 1

start_program /f:b /z
program=$E2E_LAST_PID
check "the program shows its icon" wait_until 20 tray_slot_filled 0
check "a witness starts after the program" start_witness witness-block
witness=$E2E_LAST_PID

# What ExitWindowsEx does under Wine, asked for by another program.
log "another program asks to end the session"
timeout 60 "$DORVA_WINE" wineboot --end-session >/dev/null 2>&1 </dev/null
sleep 1
screenshot exit-block-refused
check "the program is still running" process_alive "$program"
check "its icon is still there" tray_slot_filled 0
check "the witness is still running" process_alive "$witness"
check "the witness heard nothing (events: $(witness_events witness-block))" \
    eval '! witness_has witness-block query && ! witness_has witness-block end'

# A click on the icon performs the selected exit (Shutdown) for real.
tray_click 0 1
check "the program's own exit reaches the witness" wait_until 30 witness_has witness-block end
check "the witness is asked before it is ended (events: $(witness_events witness-block))" \
    eval '[[ "$(witness_events witness-block)" == "start query end"* ]]'
check "the program does not refuse its own exit and ends" wait_until 30 process_gone "$program"
finish
