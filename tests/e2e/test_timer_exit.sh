#!/usr/bin/env bash
# A timed exit with the real exe, as a user sees it: started with "/t:4 /w:2",
# a click on the icon shows the hourglass, a window titled "Countdown" opens
# about two seconds later, and the real session ends once the four seconds
# are up (a witness window logs it). A second run is cancelled by another
# click on the icon, and nothing ends; a third, "/t:4" alone, ends the session
# four seconds after the click.
. "$(dirname "$0")/lib.sh"

witness_saw() { witness_has timer-witness "$1"; }
slot_shows() { [ "$(tray_slot_icon 0)" = "$1" ]; }
between() { [ "$1" -ge "$2" ] && [ "$1" -le "$3" ]; }

# ---- 1: the timed exit runs out ---------------------------------------------
check "the witness is up" start_witness timer-witness
start_program /z /t:4 /w:2
program=$E2E_LAST_PID
check "the tray shows an icon" wait_until 20 tray_slot_filled 0
check "it is the Shutdown picture" slot_shows icon_1

tray_click 0 1
clicked=$(now_ms)
check "the click shows the hourglass" wait_until 3 slot_shows icon_7
screenshot timer-armed
check "a window titled Countdown appears" wait_until 8 has_window_named Countdown
opened=$(( $(now_ms) - clicked ))
screenshot timer-countdown
log "countdown window seen ${opened} ms after the click"
check "it appears about 2 s after the click (${opened} ms)" between "$opened" 1700 3200

# The exit timer cancels first, closing the countdown window, then performs
# the exit. Under Wine without a window manager the close of a captioned
# window waits up to 2 s for the manager that is not there, so the request
# comes up to that much after the exit time (run 3 times a timeout alone).
check "the witness sees the session end" wait_until 12 witness_saw end
query_at=$(witness_time timer-witness query)
ended=$(( ${query_at:-0} - clicked ))
log "session end asked ${ended} ms after the click"
check "the session ends after 4 s, once the window is closed (${ended} ms)" between "$ended" 3900 6800
check "the program has ended with the session" wait_until 10 process_gone "$program"

# ---- 2: a click cancels ---------------------------------------------------------
"$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -w 2>/dev/null
check "the witness is up again" start_witness timer-witness
start_program /z /t:4 /w:2
program=$E2E_LAST_PID
check "the tray shows an icon again" wait_until 20 tray_slot_filled 0
tray_click 0 1
check "the click arms the timed exit" wait_until 3 slot_shows icon_7
sleep 1
tray_click 0 1
check "a second click cancels: the Shutdown picture is back" wait_until 3 slot_shows icon_1
screenshot timer-cancelled
sleep 5
check "no countdown window came" eval '! has_window_named Countdown'
check "the session did not end" eval '! witness_saw query'
check "the program runs on" process_alive "$program"

close_program
check "the program ends when asked to" wait_until 15 process_gone "$program"
check "the witness never saw a session end" eval '! witness_saw end'

# ---- 3: a timeout alone ends the session at its time ---------------------------
"$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -w 2>/dev/null
check "the witness is up a third time" start_witness timer-witness
start_program /z /t:4
program=$E2E_LAST_PID
check "the tray shows an icon a third time" wait_until 20 tray_slot_filled 0
tray_click 0 1
clicked=$(now_ms)
check "the hourglass shows again" wait_until 3 slot_shows icon_7
check "the witness sees this session end too" wait_until 10 witness_saw end
query_at=$(witness_time timer-witness query)
ended=$(( ${query_at:-0} - clicked ))
log "session end asked ${ended} ms after the click (no countdown)"
check "it comes 4 s after the click (${ended} ms)" between "$ended" 3900 4600
check "the program has ended with this session" wait_until 10 process_gone "$program"
finish
