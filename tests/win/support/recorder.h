// The test side of the system-action seam: every call is recorded in order,
// and results are played back from a script set up by the test. Nothing here
// ends a session, terminates a process or touches a volume.
#ifndef DORVA_TEST_RECORDER_H
#define DORVA_TEST_RECORDER_H

#include <windows.h>

#include <cstdint>

#include "core/time_zone.h"

struct RecordedCall {
    char name[40];        // the system call, e.g. "ExitWindowsEx"
    uintptr_t arg[4];     // its numeric arguments, in order
    char text[MAX_PATH];  // its text argument, if any
};

// A top-level window that the recorder's EnumWindows reports.
struct ScriptedWindow {
    HWND window;          // any distinct value; it need not be a real window
    DWORD processId;
    bool canOpen;         // OpenProcess succeeds
    LRESULT sendResult;   // SendMessageTimeout result: 0 = failed or timed out
    DWORD waitResult;     // WaitForSingleObject on its process
};

// A drive that the recorder's volume calls report.
struct ScriptedDrive {
    char letter;          // 'A'..'Z'
    UINT type;            // GetDriveType value
    bool ready;           // GetDiskFreeSpace succeeds
    bool canOpen;         // CreateFile on \\.\X: succeeds
    DWORD failingControl; // DeviceIoControl code that fails, 0 = none
};

// A process that the recorder's process list reports.
struct ScriptedProcess {
    DWORD id;
    char name[MAX_PATH];  // its file name
    bool canOpen;         // OpenProcess for waiting succeeds (not another user's)
    bool otherSession;
    bool ended;
};

namespace Recorder {
constexpr int MaxCalls = 512;
constexpr int MaxProcesses = 96;
constexpr int MaxWindows = 16;
constexpr int MaxDrives = 26;

void Reset();                       // forget calls and script
int CallCount();
const RecordedCall& Call(int index);
int CountOf(const char* name);
int IndexOf(const char* name, int from = 0);  // -1 when absent
const RecordedCall* Find(const char* name, int occurrence = 0);

// The program's own marks in the same log (e.g. a helper program started).
void Mark(const char* name, uintptr_t value = 0);

// Called with every call right after it was recorded (marks included), so a
// test can look at the world at that moment; nullptr for none. Reset clears it.
using CallObserver = void (*)(const RecordedCall& call);
void OnCall(CallObserver observer);

void AddWindow(const ScriptedWindow& window);
void AddDrive(const ScriptedDrive& drive);
void SetShellWindow(HWND window);   // what FindWindow("Progman") returns
// The version that SysWindowsVersion reports (an NT system); 0, 0 for the
// real one, as after Reset.
void SetWindowsVersion(DWORD major, DWORD minor);
// The shutdown privilege is not granted: the adjustment succeeds with
// ERROR_NOT_ALL_ASSIGNED. Otherwise the real token is adjusted.
void RefusePrivilege(bool refuse);
// The secret last stored with SysLsaStorePrivateData, nullptr when none is
// (never stored, or deleted); stores fail with `error` when it is not 0.
const char* StoredSecret();
void RefuseSecrets(DWORD error);
void SetWinExecResult(UINT result);  // else 33, a started program
void SetLocalTime(int hour, int minute, int second);  // else the real clock
// Registry keys are opened for real; with this set, opening or creating one
// under HKEY_LOCAL_MACHINE with any write access is refused with
// ERROR_ACCESS_DENIED, as for a program without elevation.
void RefuseMachineWrites(bool refuse);
void SetWow64(bool wow64);          // what IsWow64Process says
// Sleep, hibernation and the workstation lock: missing from the system (as
// on NT 4). Every exit request (those, ExitWindowsEx and InitiateShutdown)
// refused with the given error (0: they succeed).
void LackPowerActions(bool missing);
void RefuseExits(DWORD error);
// The waking timer is set but cannot resume the computer (ERROR_NOT_SUPPORTED).
void RefuseWaking(bool refuse);
void UseRealClock();
// Another program holds the tray's lock (else this one claims it); a second
// start finds `window` once it has slept `appearsAfterMs` (a copy still
// starting). A real window of the test gets what is sent to it for real.
void TakeTray(bool taken, HWND window = nullptr, DWORD appearsAfterMs = 0);
// With FakePrograms a program run first is no process, and never ends until EndProgram.
void FakePrograms(bool fake);
void EndProgram();

// Processes run from AddProcess until EndProcess, which signals their
// handles and posts the message of every wait on them, as the system's pool
// does. LackJobWatch: no process list, waits or last input. Input arrives at
// the tick count of now; before the first, at the start of virtual time.
void AddProcess(const ScriptedProcess& process);
void EndProcess(DWORD id);
int RunningProcesses(const char* name);
int LiveWaits();
void LackJobWatch(bool missing);
void InputArrives();

// Virtual time. Off after Reset: the timers, the tick count and the local
// clock are the system's (or the fixed time above). On: the thread timers
// made through the seam wait for AdvanceTime, and the tick count and the
// local clock (starting at the given date and time) move only with it.
// The clock is in `zone` (none: UTC, no daylight saving).
void UseVirtualTime(int year, int month, int day, int hour, int minute, int second,
                    const ZoneRules* zone = nullptr);
// Time passes: each due timer fires in the order of its due time, after the
// messages already posted have been dispatched (the system makes a timer
// message only when nothing else is waiting). A timer repeats after its
// period, counted from when it fired.
void AdvanceTime(DWORD ms);
// The clock is changed by `ms` (either way) while no time passes. No message
// is sent.
void JumpClock(long long ms);
// The computer sleeps for `ms`: the clock runs on, and the tick count too
// unless `tickStops` (as Windows counts it, sleep included); no timer fires.
// The resume message is the test's to send; the overdue timers fire at the
// next AdvanceTime.
void PassTimeAsleep(DWORD ms, bool tickStops = false);
// Called right before each virtual timer fires; nullptr for none.
void OnTimerFiring(void (*observer)(UINT_PTR id));
int LiveVirtualTimers();
int VirtualTimersMade();
void VirtualLocalTime(SYSTEMTIME* time);
}  // namespace Recorder

#endif
