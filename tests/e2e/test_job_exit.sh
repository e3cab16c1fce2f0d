#!/usr/bin/env bash
# The exits that wait for a job, with real processes: of two job.exe, "/p:job" logs off after the second
# ends, not the first; "/w:5" counts down once the job ends; an unknown name is refused; both are chosen
# in Timed Exit Options with the mouse; "/i:1" logs off a minute after the last input, which moves it.
. "$(dirname "$0")/lib.sh"

job() { cp -f "$DORVA_BUILD/marker.exe" "$E2E_WORK/$1job.exe"; start_windows "$E2E_WORK/$1job.exe" "C:\\e2e\\$1.log" "$1" "$2"; }
ended() { grep -q -- "$1-" "$E2E_WORK/$1.log" 2>/dev/null; }
slot_shows() { [ "$(tray_slot_icon 0)" = "$1" ]; }
query() { "$DORVA_WINE" "$E2E_EXE" /q 2>/dev/null </dev/null | tr -d '\r'; }
says() { [ "$(query)" = "$1" ]; }
restart() { "$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -w 2>/dev/null; start_witness job-witness; }
saw() { witness_has job-witness "$1"; }
after() { echo $(( $(witness_time job-witness query) - $1 )); }
within() { local t; t=$(after "$1"); log "the logoff came $t ms after"; [ "$t" -ge "$2" ] && [ "$t" -le "$3" ]; }
# click_du WINDOW X Y: a point of the dialog in its units (8-point MS Sans Serif: 109/100 as high as wide).
click_du() { eval "$(xdotool getwindowgeometry --shell "$1")"; local s=$(( (WIDTH - 6) * 100 / 390 ))
    xdotool mousemove $((X + 3 + $2 * s / 100)) $((Y + HEIGHT - 3 - (166 - $3) * s * 109 / 10000)) sleep 0.3 click 1; }

restart
rm -f "$E2E_WORK"/[abc].log; job a 3000; job a 7000
start_program /z /e:l /p:ajob
check "the hourglass shows" wait_until 20 slot_shows icon_7
check "/q tells what it waits for" says "Timed Exit: Logoff when ajob.exe ends"
check "the first ajob.exe ends" wait_until 10 ended a
check "no logoff while the second runs" eval 'sleep 1; ! saw query'
check "the second ends" wait_until 10 eval '[ "$(grep -c a- "$E2E_WORK/a.log")" = 2 ]'
last=$(now_ms)
check "the logoff comes at once" eval 'wait_until 10 saw end && within $last 0 1500'

restart; job b 2000
start_program /z /e:l /p:BJOB.EXE /w:5
check "armed for BJOB.EXE" wait_until 20 slot_shows icon_7
check "the job ends" wait_until 10 ended b
last=$(now_ms)
check "the countdown opens" wait_until 5 has_window_named Countdown
check "the logoff comes 5 s later" eval 'wait_until 12 saw end && within $last 4500 8000'

restart; start_program /z /p:nosuch
check "an unknown name is refused" wait_until 20 has_window_named Error
check "with its name" grep -q "No running program is named nosuch" <<<"$(ocr_window "$(window_named Error)")"
check "and no icon" eval '! tray_slot_filled 0'

# List shows the running programs (cjob.exe sorts first); a pick fills the name and OK arms it.
restart; job c 60000
start_program /z /e:l
check "the Logoff icon shows" wait_until 20 slot_shows icon_3
pick_option "$OPTION_TIMED_EXIT"
if win=$(expect_dialog "Timed Exit Options" job-dialog); then
    click_du "$win" 214 62
    check "List shows the running programs" wait_until 5 has_popup
    screenshot job-list; eval "$(xdotool getwindowgeometry --shell "$(popup_window)")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 12)) sleep 0.3 click 1 sleep 0.5; click_du "$win" 44 148
    check "OK arms the program picked" wait_until 5 says "Timed Exit: Logoff when cjob.exe ends"
    tray_click 0 1
    check "a click cancels it" wait_until 5 slot_shows icon_3
fi
pick_option "$OPTION_TIMED_EXIT"
win=$(expect_dialog "Timed Exit Options" idle-dialog) && click_du "$win" 37 81 && click_du "$win" 44 148
check "OK arms the inactivity" wait_until 5 says "Timed Exit: Logoff after 30 min without input"

restart; start_program /z /e:l /i:1
check "armed for a minute without input" wait_until 20 slot_shows icon_7
armed=$(now_ms); read -r x y < <(tray_slot_centre 0)
sleep 20; xdotool mousemove $((x + 5)) "$y" sleep 0.2 mousemove "$x" "$y"; moved=$(now_ms)
check "input moves it: no logoff a minute after arming" eval 'sleep $(( (armed + 62000 - $(now_ms)) / 1000 )); ! saw query'
check "the logoff comes a minute after the input" eval 'wait_until 20 saw end && within $moved 59000 63000'
finish
