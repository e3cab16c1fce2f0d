#!/usr/bin/env bash
# Runs a command with a display: the user's DISPLAY when there is one that
# can be opened (unless DORVA_OWN_XVFB=1), otherwise a private Xvfb on a free
# display number, which is stopped afterwards.
set -u
if [ -n "${DISPLAY:-}" ] && [ "${DORVA_OWN_XVFB:-0}" != 1 ]; then
    timeout 10 xdpyinfo >/dev/null 2>&1 && exec "$@"
    echo "with-xvfb: DISPLAY=$DISPLAY cannot be opened" >&2
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 number <"$fifo" || { echo "with-xvfb: Xvfb did not start" >&2; kill $xvfb_pid 2>/dev/null; rm -f "$fifo"; exit 1; }
rm -f "$fifo"
export DISPLAY=:$number
echo "with-xvfb: started Xvfb on $DISPLAY" >&2
"$@"
rc=$?
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
exit $rc
