#!/usr/bin/env bash
# `make bench`: the program's size, start-up, timer accuracy, idle behaviour
# and click latency, printed as a table and written to build/bench.md. No
# pass/fail: the figures are compared with their goals by the reader.
set -u
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
out=$top/build/bench.md
runs=${BENCH_RUNS:-7}
rows=()
row() { rows+=("| $1 | $2 | $3 |"); }

size() { stat -c %s "$1"; }
row "exe size x64" "$(size "$top/build/win64/DorvaNT.exe") bytes" "<= 65536"
row "exe size x86" "$(size "$top/build/win32/DorvaNT.exe") bytes" "<= 65536"

# Everything under Wine runs on one display and one warm wineserver.
run_wine_part() {
    . "$here/wine-env.sh" win64 "$top/build/win64/wineprefix-bench"
    "$here/wine-prefix.sh" win64 "$WINEPREFIX" || exit 1
    "$DORVA_WINESERVER" -k 2>/dev/null; "$DORVA_WINESERVER" -p 2>/dev/null
    now_us() { echo $(( $(date +%s%N) / 1000 )); }
    tray_visible() { [ -n "$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null)" ]; }
    # Microseconds from starting EXE to its tray icon being shown.
    start_to_tray() {
        local exe=$1 t0 t1 pid
        shift
        t0=$(now_us)
        "$DORVA_WINE" "$exe" "$@" >/dev/null 2>&1 &
        pid=$!
        until tray_visible; do
            [ $(( $(now_us) - t0 )) -lt 20000000 ] || { echo 0; kill $pid; return; }
            sleep 0.005
        done
        t1=$(now_us)
        "$DORVA_WINE" taskkill /im "$(basename "$exe")" >/dev/null 2>&1
        wait $pid 2>/dev/null
        for _ in $(seq 100); do tray_visible || break; sleep 0.02; done
        echo $((t1 - t0))
    }
    median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
    # Warm-up: the first start of a wineserver loads more than any later one.
    start_to_tray "$top/build/win64/min_tray.exe" >/dev/null
    program=() minimal=()
    for _ in $(seq "$runs"); do
        minimal+=("$(start_to_tray "$top/build/win64/min_tray.exe")")
        program+=("$(start_to_tray "$top/build/win64/DorvaNT.exe" /z)")
    done
    p=$(printf '%s\n' "${program[@]}" | median)
    m=$(printf '%s\n' "${minimal[@]}" | median)
    echo "TRAY $p $m"
    # In-process figures from the bench executable (recorder linked, nothing
    # is really shut down).
    if [ -f "$top/build/win64/bench_program.exe" ]; then
        "$DORVA_WINE" "$top/build/win64/bench_program.exe" 2>/dev/null | grep '^BENCH'
    fi
    job_to_exit
    "$DORVA_WINESERVER" -k 2>/dev/null
}
# The real exe waits for two copies of a program ("/p"): the milliseconds from
# the end of the second to the session end that a witness window is asked
# for. Last, since the logoff ends the Wine session.
job_to_exit() {
    local work=$WINEPREFIX/drive_c/bench build=$top/build/win64 ended deadline
    mkdir -p "$work"; rm -f "$work"/*.log
    cp -f "$build/marker.exe" "$work/benchjob.exe"
    seen() { grep -c -- "$1" "$2" 2>/dev/null || true; }
    wait_for() { deadline=$(( $(now_us) + 20000000 )); until eval "$1"; do [ "$(now_us)" -lt "$deadline" ] || return 1; sleep 0.005; done; }
    "$DORVA_WINE" "$build/witness.exe" 'C:\bench\witness.log' >/dev/null 2>&1 &
    wait_for '[ "$(seen " start " "$work/witness.log")" -ge 1 ]' || return
    for ms in 3000 5000; do "$DORVA_WINE" "$work/benchjob.exe" 'C:\bench\job.log' j "$ms" >/dev/null 2>&1 & done
    wait_for '[ "$(seen "j+" "$work/job.log")" = 2 ]' || return
    "$DORVA_WINE" "$build/DorvaNT.exe" /z /e:l /p:benchjob >/dev/null 2>&1 &
    wait_for '[ "$(seen "j-" "$work/job.log")" = 2 ]' || return
    ended=$(( $(now_us) / 1000 ))
    wait_for '[ "$(seen " query " "$work/witness.log")" -ge 1 ]' || return
    echo "JOB $(( $(awk '$2 == "query" {print $1; exit}' "$work/witness.log") - ended ))"
}
export -f run_wine_part job_to_exit
export here top runs
# Windows programs end their lines with CR LF: the CR would break the table.
results=$(DORVA_OWN_XVFB=${DORVA_OWN_XVFB:-1} "$here/with-xvfb.sh" bash -c run_wine_part 2>/dev/null | tr -d '\r')

read -r _ p m < <(grep '^TRAY' <<<"$results")
if [ -n "${p:-}" ] && [ "${m:-0}" -gt 0 ]; then
    row "start to tray icon, program (median of $runs)" "$((p / 1000)) ms" ""
    row "start to tray icon, minimal tray program" "$((m / 1000)) ms" ""
    row "start to tray icon, ratio" "$(awk -v p="$p" -v m="$m" 'BEGIN {printf "%.2f", p / m}')" "<= 1.10"
fi
read -r _ job < <(grep '^JOB' <<<"$results")
[ -z "${job:-}" ] || row "program's last process ended to the exit request (real exe, /p)" "$job ms" "<= 250 ms"
while read -r _ name value unit goal; do
    [ -n "${name:-}" ] || continue
    row "${name//_/ }" "$value $unit" "${goal//_/ }"
done < <(grep '^BENCH' <<<"$results")

{
    echo "| measure | value | goal |"
    echo "|---|---|---|"
    printf '%s\n' "${rows[@]}"
} | tee "$out"
echo "(written to $out)"
