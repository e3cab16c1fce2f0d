#!/usr/bin/env bash
# A second start as a user and a script would: "/q", "/c" and "/?" without a
# copy in the tray; with one, a plain start brings back the icon "/f:h" hid,
# "/q" tells, "/c" cancels (0, then 1), "/e:l /t:6" logs off in six seconds.
. "$(dirname "$0")/lib.sh"

# second ARGS...: a second start; its code in CODE, its standard output (a
# file here) in OUT. said CODE PATTERN checks both.
second() {
    "$DORVA_WINE" "$E2E_EXE" "$@" >"$E2E_WORK/out.txt" 2>/dev/null </dev/null
    CODE=$?
    OUT=$(tr -d '\r' <"$E2E_WORK/out.txt")
}
said() { [ "$CODE" = "$1" ] && [[ "$OUT" == $2 ]]; }
answers() { second /q; [ "$CODE" != 2 ]; }
slot_shows() { [ "$(tray_slot_icon 0)" = "$1" ]; }

second /q; check "/q without a copy: 2 ($CODE, $OUT)" said 2 "Dorva NT is not running"
second /c; check "/c without a copy: 2 ($CODE)" said 2 ""
second /?; check "/? lists the options, one a line ($CODE)" said 0 $'Usage: DorvaNT.exe*\n  /t*\n  /q *'
second /q; check "... and none of them started a copy ($CODE)" said 2 "Dorva NT is not running"

check "the witness is up" start_witness second-witness
start_program /z /f:h
program=$E2E_LAST_PID
check "the copy started with /f:h answers: nothing armed (1)" eval 'wait_until 20 answers && said 1 "No timed exit is armed"'
check "its icon is hidden" eval '(set +u; ! tray_slot_filled 0)'
second; check "a plain start is done (0, $CODE)" said 0 ""
check "and brings the Shutdown icon back" wait_until 10 slot_shows icon_1
second /c; check "/c with nothing armed: 1 ($CODE)" said 1 ""
second /e:l /t:6; check "/e:l /t:6 handed over: 0 ($CODE)" said 0 ""
check "the hourglass shows at once" wait_until 3 slot_shows icon_7
second /q; check "/q tells what and when: 0 ($OUT)" said 0 "Timed Exit: Logoff at [0-2][0-9]:[0-5][0-9]:[0-5][0-9]"
second /d:1; check "/d:1 postpones it: 0 ($CODE)" said 0 ""
shopt -s extglob; m() { date -u -d @$(($(date +%s) + $1)) +%H:%M; }
second /q; check "/q tells a minute more ($OUT)" said 0 "Timed Exit: Logoff at @($(m 62)|$(m 66)):[0-5][0-9]"
second /c; check "/c cancels: 0 ($CODE)" said 0 ""
check "the Logoff picture comes back" wait_until 3 slot_shows icon_3
second /c; check "/c again: 1 ($CODE)" said 1 ""

second /e:l /t:6
handed=$(now_ms)
check "handed over again: 0 ($CODE)" said 0 ""
check "the witness sees the session end" wait_until 15 witness_has second-witness end
query_at=$(witness_time second-witness query)
ended=$(( ${query_at:-0} - handed ))
check "the logoff comes about 6 s after the hand-over (${ended} ms)" eval "[ $ended -ge 5000 ] && [ $ended -le 7000 ]"
check "the copy in the tray has ended with the session" wait_until 10 process_gone "$program"
finish
