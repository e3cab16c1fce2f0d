#!/usr/bin/env bash
# The night summer time starts, which no message announces: the clock of every
# Wine process is shifted (faketime) to 01:59:50 in Berlin on 2027-03-28, and
# a time of day armed for 03:00:05 comes 15 s later, when the clock first
# shows it after its jump from 02:00 to 03:00.
. "$(dirname "$0")/lib.sh"

libfaketime=$(find /usr/lib -name libfaketime.so.1 2>/dev/null | head -n 1)
[ -n "$libfaketime" ] || { fail "faketime is not installed"; finish; }
export TZ=Europe/Berlin NO_FAKE_STAT=1 FAKETIME_DONT_FAKE_MONOTONIC=1
export FAKETIME="+$(( $(date -d '2027-03-28 01:59:50' +%s) - $(date +%s) ))" LD_PRELOAD=$libfaketime

# From here on every clock, the shell's too, is the shifted one.
check "the witness is up" start_witness spring-witness
start_program /z /e:l /a:030005
check "the witness sees the session end" wait_until 40 witness_has spring-witness end
late=$(( $(witness_time spring-witness query) - $(date -d '2027-03-28 03:00:05' +%s) * 1000 ))
check "it comes at 03:00:05 summer time, within 2 s (${late} ms late)" eval "[ $late -ge -300 ] && [ $late -le 2000 ]"
finish
