#!/usr/bin/env bash
# The exits that wait for a job, with real processes: two copies of job.exe
# run, "/p:job" logs off once the second has ended, not the first; with "/w:5"
# the countdown opens when the job ends; a name nothing runs under is refused;
# "/i:1" logs off a minute after the last input, which input moves; and both
# are chosen in Timed Exit Options with the mouse.
. "$(dirname "$0")/lib.sh"

cp -f "$DORVA_BUILD/marker.exe" "$E2E_WORK/job.exe"
job() { rm -f "$E2E_WORK/$1.log"; start_windows "$E2E_WORK/job.exe" "C:\\e2e\\$1.log" "$1" "$2"; }
ended() { grep -q -- "$1-" "$E2E_WORK/$1.log" 2>/dev/null; }
slot_shows() { [ "$(tray_slot_icon 0)" = "$1" ]; }
query() { "$DORVA_WINE" "$E2E_EXE" /q 2>/dev/null </dev/null | tr -d '\r'; }
restart() { "$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -w 2>/dev/null; start_witness job-witness; }
saw() { witness_has job-witness "$1"; }
after() { echo $(( $(witness_time job-witness query) - $1 )); }

check "the witness is up" start_witness job-witness
job a 3000; job b 7000
start_program /z /e:l /p:job
check "the hourglass shows" wait_until 20 slot_shows icon_7
check "/q tells what it waits for ($(query))" eval '[ "$(query)" = "Timed Exit: Logoff when job.exe ends" ]'
check "the first job.exe ends" wait_until 10 ended a
sleep 1
check "no logoff while the second runs" eval '! saw query'
check "the second job.exe ends" wait_until 10 ended b
b_end=$(now_ms)
check "the witness sees the session end" wait_until 10 saw end
log "logoff asked $(after "$b_end") ms after the last job.exe ended"
check "it comes at once ($(after "$b_end") ms)" eval "[ $(after "$b_end") -le 1500 ]"

restart
job c 2000
start_program /z /e:l /p:JOB.EXE /w:5
check "armed for JOB.EXE" wait_until 20 slot_shows icon_7
check "the job ends" wait_until 10 ended c
c_end=$(now_ms)
check "the countdown opens when it ends" wait_until 5 has_window_named Countdown
screenshot job-countdown
check "the session ends 5 s later" wait_until 12 saw end
check "after the countdown ($(after "$c_end") ms)" eval "[ $(after "$c_end") -ge 4500 ] && [ $(after "$c_end") -le 8000 ]"

restart
start_program /z /p:nosuch
check "an unknown name is refused" wait_until 20 has_window_named Error
text=$(ocr_window "$(window_named Error)")
check "with its name ($text)" grep -q "No running program is named nosuch" <<<"$text"
check "and no icon" eval '! tray_slot_filled 0'

# In the dialog, with the mouse: List shows the running programs (aajob.exe
# sorts first), a pick fills the name and chooses it; OK arms. Then the
# inactivity choice with its default of 30 minutes.
restart
cp -f "$DORVA_BUILD/marker.exe" "$E2E_WORK/aajob.exe"
start_windows "$E2E_WORK/aajob.exe" "C:\\e2e\\aa.log" aa 60000
start_program /z /e:l
check "the Logoff icon shows" wait_until 20 slot_shows icon_3
# click_du WINDOW X Y: a point of the dialog in dialog units (8-point MS Sans Serif: 109/100 as high as wide).
click_du() { eval "$(xdotool getwindowgeometry --shell "$1")"; local s=$(( (WIDTH - 6) * 100 / 243 ))
    xdotool mousemove $((X + 3 + $2 * s / 100)) $((Y + HEIGHT - 3 - (166 - $3) * s * 109 / 10000)) sleep 0.3 click 1; }
pick_option "$OPTION_TIMED_EXIT"
if win=$(expect_dialog "Timed Exit Options" job-dialog); then
    click_du "$win" 214 62
    check "List shows the running programs" wait_until 5 has_popup
    screenshot job-list
    eval "$(xdotool getwindowgeometry --shell "$(popup_window)")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + 12)) sleep 0.3 click 1
    sleep 0.5; screenshot job-picked "$win"; click_du "$win" 44 148
    check "OK arms the program's end" wait_until 5 slot_shows icon_7
    check "for the program picked ($(query))" eval '[ "$(query)" = "Timed Exit: Logoff when aajob.exe ends" ]'
    tray_click 0 1
    check "a click cancels it" wait_until 5 slot_shows icon_3
fi
pick_option "$OPTION_TIMED_EXIT"
if win=$(expect_dialog "Timed Exit Options" idle-dialog); then
    click_du "$win" 37 81; sleep 0.3; click_du "$win" 44 148
    check "OK arms the inactivity ($(query))" wait_until 5 eval '[ "$(query)" = "Timed Exit: Logoff after 30 min without input" ]'
fi

restart
start_program /z /e:l /i:1
check "armed for a minute without input" wait_until 20 slot_shows icon_7
armed=$(now_ms)
read -r x y < <(tray_slot_centre 0)
sleep 20
xdotool mousemove $((x + 5)) "$y" sleep 0.2 mousemove "$x" "$y"
moved=$(now_ms)
check "input moves it: no logoff a minute after arming" eval 'sleep $(( (armed + 62000 - $(now_ms)) / 1000 )); ! saw query'
check "the logoff comes a minute after the input" wait_until 20 saw end
check "($(after "$moved") ms after it)" eval "[ $(after "$moved") -ge 59000 ] && [ $(after "$moved") -le 63000 ]"
finish
