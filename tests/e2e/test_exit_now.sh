#!/usr/bin/env bash
# Icon-less exits performed at once: "/n /e:l" logs off and "/n /e:s" shuts
# down. A witness window started before the program receives the session-end
# query and the session end, is ended with the session, and the program ends.
. "$(dirname "$0")/lib.sh"

cd "$E2E_WORK" || exit 1

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
