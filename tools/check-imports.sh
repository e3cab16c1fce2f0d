#!/usr/bin/env bash
# Proves the link-time seam: the product imports the real system actions and
# no test executable does, nor the waitable timer that wakes the computer.
# Sleep, hibernation, the workstation lock, the restart to the boot options
# and the logon secret are looked up at run time (NT 4 lacks them), so nobody
# imports those; so are the message filter that
# lets a second start reach an elevated copy and the parent's console, and
# the process list, the registered waits and the time of the last input. Nor
# can a test find a running copy of the program to hand a command line to, nor
# list, wait on or watch the input of the machine's processes.
# Usage: tools/check-imports.sh OBJDUMP PRODUCT_EXE TEST_EXE...
set -u
objdump=$1 product=$2
shift 2
# A test may list processes for its own ends (Toolhelp), never wait on them or
# read the input through the program's calls.
waits='RegisterWaitForSingleObject|UnregisterWaitEx|GetLastInputInfo|EnumProcesses|ProcessIdToSessionId'
job="CreateToolhelp32Snapshot|Process32First|Process32Next|EnumProcessModules|GetModuleBaseNameA|$waits"
forbidden="ExitWindowsEx|DeviceIoControl|FlushFileBuffers|WinExec|SetWaitableTimer|SetSuspendState|LockWorkStation|InitiateShutdown[AW]?|LsaStorePrivateData|FindWindowExA|$waits"
looked_up="SetSuspendState|LockWorkStation|InitiateShutdown[AW]?|LsaStorePrivateData|ChangeWindowMessageFilter(Ex)?|AttachConsole|$job"
status=0
imports() { "$objdump" -p "$1" | grep -E '^\s+[0-9a-f]+\s+[0-9]+\s+\w+' | awk '{print $3}'; }
for name in ExitWindowsEx DeviceIoControl FlushFileBuffers WinExec SetWaitableTimer FindWindowExA; do
    if ! imports "$product" | grep -qx "$name"; then
        echo "FAIL: product $product does not import $name (is the check looking at the right table?)"
        status=1
    fi
done
hits=$(imports "$product" | grep -Ex "$looked_up" | tr '\n' ' ')
if [ -n "$hits" ]; then
    echo "FAIL: product $product imports $hits (it would not start on NT 4)"
    status=1
fi
for name in SetSuspendState LockWorkStation InitiateShutdownW LsaStorePrivateData ChangeWindowMessageFilterEx AttachConsole \
    CreateToolhelp32Snapshot EnumProcesses RegisterWaitForSingleObject UnregisterWaitEx GetLastInputInfo; do
    grep -q "$name" "$product" || { echo "FAIL: product $product never looks up $name"; status=1; }
done
for exe in "$@"; do
    hits=$(imports "$exe" | grep -Ex "$forbidden" | tr '\n' ' ')
    if [ -n "$hits" ]; then
        echo "FAIL: test executable $exe imports $hits"
        status=1
    else
        echo "ok: $(basename "$exe")"
    fi
done
[ $# -gt 0 ] || { echo "FAIL: no test executables given"; status=1; }
exit $status
