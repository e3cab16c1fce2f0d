#!/usr/bin/env bash
# Postpone and weekdays as a user and a script would: "&Postpone" in the
# countdown window and "/d:1" move the armed exit, "/q" tells the new time; a
# time of day with "/r" but not today's digit waits for its day, with today's
# digit it comes at its time.
. "$(dirname "$0")/lib.sh"

second() {
    "$DORVA_WINE" "$E2E_EXE" "$@" >"$E2E_WORK/out.txt" 2>/dev/null </dev/null
    CODE=$?
    OUT=$(tr -d '\r' <"$E2E_WORK/out.txt")
}
# tells SECONDS: /q names the local time (UTC here) that many seconds after the epoch, give or take 3 s,
# and its weekday when that is not today.
tells() {
    second /q
    local t day; for t in $(seq $(($1 - 3)) $(($1 + 3))); do
        day=; [ "$(date -u -d "@$t" +%F)" = "$(date -u +%F)" ] || day=" on $(date -u -d "@$t" +%a)"
        [ "$OUT" = "Timed Exit: Logoff at $(date -u -d "@$t" +%T)$day" ] && return 0
    done
    log "/q said: $OUT"; return 1
}

check "the witness is up" start_witness postpone-witness
start_program /z /f:w /e:l /t:20 /w:15
program=$E2E_LAST_PID
check "/f:w is accepted: the icon shows" wait_until 20 tray_slot_filled 0
tray_click 0 1
armed=$(date +%s)
countdown=$(expect_dialog Countdown postpone-countdown)
eval "$(xdotool getwindowgeometry --shell "$countdown")"
xdotool mousemove $((X + WIDTH * 84 / 169)) $((Y + HEIGHT - 25)) sleep 0.2 click 1  # Postpone
check "Postpone closes the countdown window" wait_until 5 eval '! has_window_named Countdown'
check "/q tells the time ten minutes later" tells $((armed + 620))
second /d:1; check "/d:1 moves it: 0 ($CODE)" [ "$CODE" = 0 ]
check "/q tells a minute more" tells $((armed + 680))
second /c; second /d:1; check "/d:1 with nothing armed: 1 ($CODE)" [ "$CODE" = 1 ]

today=$(date -u +%u)
other=$((today % 7 + 1))
close_program
check "the copy ends when asked to" wait_until 15 process_gone "$program"
start_program /z /e:l /a:"$(date -u -d @$(($(date +%s) + 8)) +%H%M%S)" /r:$other
program=$E2E_LAST_PID
check "the icon shows again" wait_until 20 tray_slot_filled 0
check "a time of day on another weekday is armed" tells $(($(date +%s) + 86400 + 5))
sleep 6
check "its time passes without an exit" eval '! witness_has postpone-witness query'
second /a:"$(date -u -d @$(($(date +%s) + 4)) +%H%M%S)" /r:$today
check "with today's digit it comes at its time" wait_until 10 witness_has postpone-witness end
check "the copy in the tray has ended with the session" wait_until 10 process_gone "$program"
finish
