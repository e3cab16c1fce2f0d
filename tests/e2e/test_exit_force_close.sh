#!/usr/bin/env bash
# Force-close before the session ends ("/n /e:l /f:f"): a witness that has
# stopped serving messages is terminated after about one second (half a
# second for the message, half a second for the process to end), while a
# witness that answers is only told the session ends and is left to the
# session end itself, which then asks and ends it as usual.
. "$(dirname "$0")/lib.sh"

cd "$E2E_WORK" || exit 1

check "a witness that will hang starts" start_witness hung hang
hung=$E2E_LAST_PID
check "a responsive witness starts" start_witness responsive
responsive=$E2E_LAST_PID
screenshot exit-force-close-before
sleep 0.5

started=$(now_ms)
start_program /n /e:l /f:f /z
program=$E2E_LAST_PID
check "the hung witness is terminated" wait_until 30 process_gone "$hung"
hung_gone=$(now_ms)
check "the responsive witness is told first, then asked and ended by the session end" \
    wait_until 30 eval '[[ "$(witness_events responsive)" == "start end query end"* ]]'
log "responsive witness events: $(witness_events responsive); hung: $(witness_events hung)"
told=$(witness_time responsive end 1)
asked=$(witness_time responsive query 1)
check "the hung witness was gone before the session end asked anyone" [ "$hung_gone" -le "$((asked + 60))" ]
check "the hung witness heard no session end" eval '! witness_has hung query'
if [ "$told" -le "$hung_gone" ]; then
    # Reached after the responsive one: the hung one costs its two half seconds.
    took=$((hung_gone - told))
    check "terminated about one second after its turn came ($took ms)" \
        [ "$took" -ge 900 -a "$took" -le 2500 ]
else
    took=$((hung_gone - started))
    check "terminated about one second after the start ($took ms)" \
        [ "$took" -ge 1000 -a "$took" -le 4000 ]
fi
check "the responsive witness was told with TRUE" grep -q " end 1 " "$E2E_WORK/responsive.log"
check "the responsive witness is ended by the session end" wait_until 20 process_gone "$responsive"
check "the program ends" wait_until 20 process_gone "$program"
finish
