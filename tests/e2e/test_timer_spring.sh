#!/usr/bin/env bash
# The night summer time starts in Berlin, unannounced (every clock shifted by faketime):
# 03:00:05 armed at 01:59:50 comes when the clock first shows it after its jump.
. "$(dirname "$0")/lib.sh"
export TZ=Europe/Berlin NO_FAKE_STAT=1 FAKETIME_DONT_FAKE_MONOTONIC=1 LD_PRELOAD=$(find /usr/lib -name libfaketime.so.1 | head -n 1)
export FAKETIME="+$(( $(date -d '2027-03-28 01:59:50' +%s) - $(date +%s) ))"
start_witness spring-witness
start_program /z /e:l /a:030005
check "the witness sees the session end" wait_until 40 witness_has spring-witness end
late=$(( $(witness_time spring-witness query) - $(date -d '2027-03-28 03:00:05' +%s) * 1000 ))
check "it comes at 03:00:05 summer time, within 2 s (${late} ms late)" eval "[ $late -ge -300 ] && [ $late -le 2000 ]"
finish
