#!/usr/bin/env bash
# Restart Shell with the real exe: the old shell (a stand-in "Progman" window
# that takes two seconds to end) is told to quit, and the configured shell (a
# marker program that logs its start) starts only after it has ended. A shell
# that does not end within the wait is reported, and no second one starts.
. "$(dirname "$0")/lib.sh"

cd "$E2E_WORK" || exit 1
cp -f "$DORVA_BUILD/progman.exe" "$DORVA_BUILD/marker.exe" "$E2E_WORK/"
set_shell() {
    "$DORVA_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon' /v Shell /t REG_SZ \
        /d "$1" /f >/dev/null 2>&1
}
log_has() { grep -q "$2" "$E2E_WORK/$1" 2>/dev/null; }

rm -f shell.log
set_shell 'C:\e2e\marker.exe C:\e2e\shell.log shell'
start_windows "$E2E_WORK/progman.exe" 'C:\e2e\shell.log' 2000
check "the stand-in shell is up" wait_until 20 log_has shell.log "progman+"
start_program /n /x:r /z
program=$E2E_LAST_PID
check "the new shell starts" wait_until 30 log_has shell.log "shell+"
check "only after the old shell ended (log: $(tr -d '\r' < shell.log | tr '\n' ' '))" \
    eval '[ "$(tr -d "\r" < shell.log | tr "\n" " ")" = "progman+ progman- shell+ shell- " ]'
check "the program ends" wait_until 20 process_gone "$program"

# A shell that outlasts the wait: the program says so and starts nothing.
rm -f slow.log
set_shell 'C:\e2e\marker.exe C:\e2e\slow.log shell'
start_windows "$E2E_WORK/progman.exe" 'C:\e2e\slow.log' 15000
check "the slow stand-in shell is up" wait_until 20 log_has slow.log "progman+"
start_program /n /x:r /z
check "a box appears after the wait" wait_until 25 has_window_named "Error"
box=$(window_named "Error")
screenshot restart-shell-did-not-end "$box"
text=$(ocr_window "$box")
check "it says the shell did not end (read: $text)" grep -q "shell did not end" <<<"$text"
check "no new shell was started" eval '! log_has slow.log "shell+"'
finish
