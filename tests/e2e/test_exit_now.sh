#!/usr/bin/env bash
# Icon-less exits performed at once: "/n /e:l" logs off and "/n /e:s" shuts
# down. A witness window started before the program receives the session-end
# query and the session end, is ended with the session, and the program ends.
. "$(dirname "$0")/lib.sh"

cp "$DORVA_BUILD/witness.exe" "$E2E_WORK/witness.exe"
cd "$E2E_WORK" || exit 1

# start_witness NAME [answer0|hang]: a witness logging to C:\e2e\NAME.log
start_witness() {
    rm -f "$E2E_WORK/$1.log"
    start_windows "$E2E_WORK/witness.exe" "C:\\e2e\\$1.log" ${2:-}
    wait_until 20 grep -q " start " "$E2E_WORK/$1.log"
}
# The events of a witness log in order, e.g. "start query end".
witness_events() { awk '{printf "%s%s", sep, $2; sep=" "}' "$E2E_WORK/$1.log" 2>/dev/null; }
witness_has() { grep -q " $2 " "$E2E_WORK/$1.log" 2>/dev/null; }

for option in /e:l /e:s; do
    name=witness-${option#/e:}
    check "a witness window is up before $option" start_witness "$name"
    witness=$E2E_LAST_PID
    screenshot "exit-now-${option#/e:}-before"
    start_program /n "$option" /z
    program=$E2E_LAST_PID
    check "$option: the witness is asked and told the session ends" \
        wait_until 30 witness_has "$name" end
    check "$option: query, then the end with TRUE (events: $(witness_events "$name"))" \
        eval '[[ "$(witness_events "$name")" == "start query end"* ]] && grep -q " end 1 " "$E2E_WORK/$name.log"'
    check "$option: the witness is ended with the session" wait_until 20 process_gone "$witness"
    check "$option: the program ends" wait_until 20 process_gone "$program"
    # The next exit starts from a fresh session.
    "$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -w 2>/dev/null
done
finish
