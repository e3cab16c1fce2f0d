// The recorder behind the system-action seam for every test executable.
#include "support/recorder.h"

#include "core/text.h"
#include "core/time_of_day.h"
#include "system/system_actions.h"

#include <cstring>

namespace {
constexpr int MaxVirtualTimers = 32;
// Thread timers of virtual time.
struct VirtualTimer {
    UINT_PTR id;          // 0: free
    TIMERPROC callback;
    DWORD period;
    long long due;        // on virtualElapsed
};
// Virtual ids stay clear of the system's and are never reused.
constexpr UINT_PTR FirstVirtualTimerId = 0x7E000000;
// The tick count starts close to its wrap-around, so that a timer that
// compares ticks wrongly fails within a test.
constexpr DWORD VirtualTickStart = 0xFFFFFFFFu - 10 * 60 * 1000;
constexpr DWORD MinimumTimerPeriod = USER_TIMER_MINIMUM;
constexpr int MaxFiringsPerAdvance = 100000;
constexpr long long FileTimeUnitsPerMilli = 10000;
constexpr long long FileTimeMillisTo1970 = 11644473600000LL;
constexpr int MaxWaits = 512;

struct RecorderData {
    RecordedCall calls[Recorder::MaxCalls];
    int callCount;
    ScriptedWindow windows[Recorder::MaxWindows];
    int windowCount;
    ScriptedDrive drives[Recorder::MaxDrives];
    int driveCount;
    HWND shellWindow;
    UINT winExecResult;
    bool fixedClock;
    SYSTEMTIME clock;
    bool virtualTime;
    long long virtualUtc;     // UTC in ms from 1970-01-01
    ZoneRules zone;           // the virtual clock's time zone
    long long virtualElapsed; // ms since virtual time began
    DWORD virtualTickStart;
    VirtualTimer timers[MaxVirtualTimers];
    UINT_PTR nextTimerId;
    void (*timerObserver)(UINT_PTR id);
    int openVolumes;
    Recorder::CallObserver observer;
    bool refuseMachineWrites;
    bool wow64;
    bool powerActionsMissing;
    DWORD exitError;          // 0: the exit requests succeed
    bool wakingRefused;
    DWORD versionMajor, versionMinor;  // 0: the real version
    bool privilegeRefused, secretStored;
    char secret[64];
    DWORD secretError;
    bool fakePrograms;
    HANDLE program;           // the event standing for the last fake program
    bool trayTaken;
    HWND runningCopy;
    DWORD copyAppearsAfter;   // ms of SysSleep before FindWindowEx finds it
    DWORD slept;
    ScriptedProcess processes[Recorder::MaxProcesses];
    int processCount;
    // Waits are never reused: an ended wait's handle stays its own.
    struct Wait { int process; HWND window; UINT message; WPARAM tag; bool live; } waits[MaxWaits];
    int waitCount;
    bool jobWatchMissing, inputArrived;
    DWORD lastInput;
};
RecorderData Data = {};

// Fake handles: processes 0x7000 + window index, volumes 0x7100 + drive index.
constexpr uintptr_t ProcessHandleBase = 0x7000;
constexpr uintptr_t VolumeHandleBase = 0x7100;
constexpr uintptr_t WakeTimerHandle = 0x7200;
const HANDLE TrayMutex = reinterpret_cast<HANDLE>(0x7300);
// Scripted processes 0x7400 + index, their waits 0x8000 + index.
constexpr uintptr_t ScriptedProcessBase = 0x7400;
constexpr uintptr_t WaitHandleBase = 0x8000;

void Record(const char* name, uintptr_t a = 0, uintptr_t b = 0, uintptr_t c = 0, uintptr_t d = 0,
            const char* text = nullptr)
{
    // A full log keeps its first calls; the observer still sees every one.
    RecordedCall call = {};
    CopyText(call.name, sizeof call.name, name);
    call.arg[0] = a;
    call.arg[1] = b;
    call.arg[2] = c;
    call.arg[3] = d;
    CopyText(call.text, sizeof call.text, text ? text : "");
    if (Data.callCount < Recorder::MaxCalls) Data.calls[Data.callCount++] = call;
    if (Data.observer) Data.observer(call);
}

long long Moment(const SYSTEMTIME& time)
{
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return static_cast<long long>(((static_cast<unsigned long long>(file.dwHighDateTime) << 32) |
                                   file.dwLowDateTime) / FileTimeUnitsPerMilli) - FileTimeMillisTo1970;
}

void ShowMoment(long long moment, SYSTEMTIME* time)
{
    unsigned long long units = static_cast<unsigned long long>(moment + FileTimeMillisTo1970) * FileTimeUnitsPerMilli;
    FILETIME file = {static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
    FileTimeToSystemTime(&file, time);
}

// Time passes in the virtual clocks.
void PassTime(long long ms)
{
    Data.virtualElapsed += ms;
    Data.virtualUtc += ms;
}

SYSTEMTIME SwitchToSystem(const ZoneSwitch& at)
{
    SYSTEMTIME time = {};
    time.wMonth = static_cast<WORD>(at.month);
    time.wDayOfWeek = static_cast<WORD>(at.weekday);
    time.wDay = static_cast<WORD>(at.week);
    time.wHour = static_cast<WORD>(at.millisOfDay / 3600000);
    time.wMinute = static_cast<WORD>(at.millisOfDay / 60000 % 60);
    time.wSecond = static_cast<WORD>(at.millisOfDay / 1000 % 60);
    return time;
}

// Dispatches what is already posted; a quit message stays for whoever waits for it.
void DispatchPosted()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

VirtualTimer* NextDueTimer(long long until)
{
    VirtualTimer* next = nullptr;
    for (VirtualTimer& timer : Data.timers) {
        if (timer.id && timer.due <= until && (!next || timer.due < next->due)) next = &timer;
    }
    return next;
}

ScriptedWindow* WindowOf(HWND window)
{
    for (int i = 0; i < Data.windowCount; ++i) {
        if (Data.windows[i].window == window) return &Data.windows[i];
    }
    return nullptr;
}

ScriptedWindow* WindowOfProcess(HANDLE process)
{
    uintptr_t index = reinterpret_cast<uintptr_t>(process) - ProcessHandleBase;
    return index < static_cast<uintptr_t>(Data.windowCount) ? &Data.windows[index] : nullptr;
}

int HandleIndex(HANDLE handle, uintptr_t base, int count)
{
    const uintptr_t index = reinterpret_cast<uintptr_t>(handle) - base;
    return index < static_cast<uintptr_t>(count) ? static_cast<int>(index) : -1;
}
int ScriptedProcessOf(HANDLE process) { return HandleIndex(process, ScriptedProcessBase, Data.processCount); }

ScriptedDrive* DriveOfLetter(char letter)
{
    for (int i = 0; i < Data.driveCount; ++i) {
        if (Data.drives[i].letter == letter) return &Data.drives[i];
    }
    return nullptr;
}

// "X:" or "\\.\X:" -> 'X'
char LetterOf(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon && colon > name ? colon[-1] : 0;
}

ScriptedDrive* DriveOfVolume(HANDLE volume)
{
    uintptr_t index = reinterpret_cast<uintptr_t>(volume) - VolumeHandleBase;
    return index < static_cast<uintptr_t>(Data.driveCount) ? &Data.drives[index] : nullptr;
}
}  // namespace

namespace Recorder {
void Reset()
{
    if (Data.program) CloseHandle(Data.program);
    std::memset(&Data, 0, sizeof Data);
    Data.winExecResult = 33;
}
int CallCount() { return Data.callCount; }
const RecordedCall& Call(int index) { return Data.calls[index]; }
int CountOf(const char* name)
{
    int count = 0;
    for (int i = 0; i < Data.callCount; ++i) count += std::strcmp(Data.calls[i].name, name) == 0;
    return count;
}
int IndexOf(const char* name, int from)
{
    for (int i = from < 0 ? 0 : from; i < Data.callCount; ++i) {
        if (std::strcmp(Data.calls[i].name, name) == 0) return i;
    }
    return -1;
}
const RecordedCall* Find(const char* name, int occurrence)
{
    for (int i = 0; i < Data.callCount; ++i) {
        if (std::strcmp(Data.calls[i].name, name) == 0 && occurrence-- == 0) return &Data.calls[i];
    }
    return nullptr;
}
void Mark(const char* name, uintptr_t value) { Record(name, value); }
void OnCall(CallObserver observer) { Data.observer = observer; }
void AddWindow(const ScriptedWindow& window)
{
    if (Data.windowCount < MaxWindows) Data.windows[Data.windowCount++] = window;
}
void AddDrive(const ScriptedDrive& drive)
{
    if (Data.driveCount < MaxDrives) Data.drives[Data.driveCount++] = drive;
}
void SetShellWindow(HWND window) { Data.shellWindow = window; }
void SetWinExecResult(UINT result) { Data.winExecResult = result; }
void SetLocalTime(int hour, int minute, int second)
{
    Data.fixedClock = true;
    std::memset(&Data.clock, 0, sizeof Data.clock);
    Data.clock.wYear = 2026;
    Data.clock.wMonth = 12;
    Data.clock.wDay = 7;
    Data.clock.wHour = static_cast<WORD>(hour);
    Data.clock.wMinute = static_cast<WORD>(minute);
    Data.clock.wSecond = static_cast<WORD>(second);
}
void UseRealClock() { Data.fixedClock = false; }

void UseVirtualTime(int year, int month, int day, int hour, int minute, int second, const ZoneRules* zone)
{
    SYSTEMTIME start = {};
    start.wYear = static_cast<WORD>(year);
    start.wMonth = static_cast<WORD>(month);
    start.wDay = static_cast<WORD>(day);
    start.wHour = static_cast<WORD>(hour);
    start.wMinute = static_cast<WORD>(minute);
    start.wSecond = static_cast<WORD>(second);
    Data.virtualTime = true;
    Data.fixedClock = false;
    Data.zone = zone ? *zone : ZoneRules{};
    Data.virtualUtc = UtcWhenClockShows(Data.zone, Moment(start), 0);
    Data.virtualElapsed = 0;
    Data.virtualTickStart = VirtualTickStart;
    std::memset(Data.timers, 0, sizeof Data.timers);
    Data.nextTimerId = FirstVirtualTimerId;
}

void AdvanceTime(DWORD ms)
{
    long long until = Data.virtualElapsed + ms;
    for (int firings = 0; firings < MaxFiringsPerAdvance; ++firings) {
        DispatchPosted();
        VirtualTimer* timer = NextDueTimer(until);
        if (!timer) break;
        if (timer->due > Data.virtualElapsed) PassTime(timer->due - Data.virtualElapsed);
        timer->due = Data.virtualElapsed + timer->period;
        UINT_PTR id = timer->id;
        if (Data.timerObserver) Data.timerObserver(id);
        timer->callback(nullptr, WM_TIMER, id, SysGetTickCount());
    }
    if (until > Data.virtualElapsed) PassTime(until - Data.virtualElapsed);
    DispatchPosted();
}

void JumpClock(long long ms) { Data.virtualUtc += ms; }
void PassTimeAsleep(DWORD ms, bool tickStops)
{
    if (!tickStops) return PassTime(ms);
    Data.virtualUtc += ms;
    Data.virtualTickStart -= ms;  // the timers wait on the tick count
    for (VirtualTimer& timer : Data.timers) timer.due += ms;
    Data.virtualElapsed += ms;
}

void OnTimerFiring(void (*observer)(UINT_PTR id)) { Data.timerObserver = observer; }

int LiveVirtualTimers()
{
    int live = 0;
    for (const VirtualTimer& timer : Data.timers) live += timer.id != 0;
    return live;
}

int VirtualTimersMade() { return static_cast<int>(Data.nextTimerId - FirstVirtualTimerId); }

void VirtualLocalTime(SYSTEMTIME* time) { ShowMoment(LocalFromUtc(Data.zone, Data.virtualUtc), time); }
void RefuseMachineWrites(bool refuse) { Data.refuseMachineWrites = refuse; }
void SetWow64(bool wow64) { Data.wow64 = wow64; }
void LackPowerActions(bool missing) { Data.powerActionsMissing = missing; }
void TakeTray(bool taken, HWND window, DWORD appearsAfterMs)
{
    Data.trayTaken = taken;
    Data.runningCopy = window;
    Data.copyAppearsAfter = appearsAfterMs;
}
void RefuseExits(DWORD error) { Data.exitError = error; }
void RefuseWaking(bool refuse) { Data.wakingRefused = refuse; }
void SetWindowsVersion(DWORD major, DWORD minor) { Data.versionMajor = major, Data.versionMinor = minor; }
void RefusePrivilege(bool refuse) { Data.privilegeRefused = refuse; }
const char* StoredSecret() { return Data.secretStored ? Data.secret : nullptr; }
void RefuseSecrets(DWORD error) { Data.secretError = error; }
void FakePrograms(bool fake) { Data.fakePrograms = fake; }
void AddProcess(const ScriptedProcess& process)
{
    if (Data.processCount < MaxProcesses) Data.processes[Data.processCount++] = process;
}
// A wait runs once: it posts and is over.
void EndProcess(DWORD id)
{
    for (int i = 0; i < Data.processCount; ++i) {
        if (Data.processes[i].id != id || Data.processes[i].ended) continue;
        Data.processes[i].ended = true;
        for (auto& wait : Data.waits) {
            if (wait.live && wait.process == i) PostMessageA(wait.window, wait.message, wait.tag, 0);
            wait.live = wait.live && wait.process != i;
        }
    }
}
int RunningProcesses(const char* name)
{
    int running = 0;
    for (const ScriptedProcess& process : Data.processes) running += !process.ended && !lstrcmpiA(process.name, name);
    return running;
}
int LiveWaits()
{
    int live = 0;
    for (const auto& wait : Data.waits) live += wait.live;
    return live;
}
void LackJobWatch(bool missing) { Data.jobWatchMissing = missing; }
void InputArrives() { Data.inputArrived = true, Data.lastInput = SysGetTickCount(); }
void EndProgram() { SetEvent(Data.program); }
}  // namespace Recorder

// ---- the seam ----------------------------------------------------------------

BOOL SysExitWindowsEx(UINT flags, DWORD reason)
{
    Record("ExitWindowsEx", flags, reason);
    if (Data.exitError) SetLastError(Data.exitError);
    return !Data.exitError;
}

DWORD SysInitiateShutdown(DWORD flags, DWORD reason)
{
    Record("InitiateShutdown", flags, reason);
    return Data.exitError;
}

OSVERSIONINFOA SysWindowsVersion()
{
    OSVERSIONINFOA version = {sizeof version, Data.versionMajor, Data.versionMinor, 0, VER_PLATFORM_WIN32_NT, ""};
    if (!Data.versionMajor) GetVersionExA(&version);
    return version;
}

BOOL SysAdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* wanted, DWORD previousSize, TOKEN_PRIVILEGES* previous,
                              DWORD* returnedSize)
{
    if (!Data.privilegeRefused) return AdjustTokenPrivileges(token, FALSE, wanted, previousSize, previous, returnedSize);
    SetLastError(ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

DWORD SysLsaStorePrivateData(const wchar_t* name, const wchar_t* data)
{
    char key[64] = "";
    WideCharToMultiByte(CP_ACP, 0, name, -1, key, sizeof key, nullptr, nullptr);
    Record("LsaStorePrivateData", data != nullptr, 0, 0, 0, key);
    if (Data.secretError) return Data.secretError;
    Data.secretStored = data != nullptr;
    WideCharToMultiByte(CP_ACP, 0, data ? data : L"", -1, Data.secret, sizeof Data.secret, nullptr, nullptr);
    return ERROR_SUCCESS;
}

HWND SysGetDesktopWindow() { return GetDesktopWindow(); }

namespace {
BOOL PowerActionResult()
{
    DWORD error = Data.powerActionsMissing ? ERROR_PROC_NOT_FOUND : Data.exitError;
    SetLastError(error);
    return error == 0;
}
}  // namespace

BOOL SysSetSuspendState(BOOL hibernate, BOOL forceCritical, BOOL disableWakeEvent)
{
    Record("SetSuspendState", static_cast<uintptr_t>(hibernate), static_cast<uintptr_t>(forceCritical),
           static_cast<uintptr_t>(disableWakeEvent));
    return PowerActionResult();
}
BOOL SysLockWorkStation()
{
    Record("LockWorkStation");
    return PowerActionResult();
}
BOOL SysHasSetSuspendState() { return !Data.powerActionsMissing; }
BOOL SysHasLockWorkStation() { return !Data.powerActionsMissing; }

BOOL SysPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Record("PostMessage", reinterpret_cast<uintptr_t>(window), message, wParam,
           static_cast<uintptr_t>(lParam));
    return TRUE;
}

HWND SysFindWindow(const char* className, const char* windowName)
{
    Record("FindWindow", reinterpret_cast<uintptr_t>(windowName), 0, 0, 0, className);
    return Data.shellWindow;
}

UINT SysWinExec(const char* commandLine, UINT show)
{
    Record("WinExec", show, 0, 0, 0, commandLine);
    return Data.winExecResult;
}

BOOL SysCreateProcess(const char* application, char* commandLine, PROCESS_INFORMATION* started)
{
    if (Data.fakePrograms && Data.program) CloseHandle(Data.program);
    if (Data.fakePrograms) Data.program = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Record("CreateProcess", 0, 0, 0, 0, commandLine);
    STARTUPINFOA startup = {sizeof startup};
    if (!Data.fakePrograms) return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, started);
    HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, Data.program, self, &started->hProcess, 0, FALSE, DUPLICATE_SAME_ACCESS) &&
           DuplicateHandle(self, Data.program, self, &started->hThread, 0, FALSE, DUPLICATE_SAME_ACCESS);
}

BOOL SysEnumWindows(WNDENUMPROC callback, LPARAM parameter)
{
    Record("EnumWindows", static_cast<uintptr_t>(parameter));
    for (int i = 0; i < Data.windowCount; ++i) {
        if (!callback(Data.windows[i].window, parameter)) break;
    }
    return TRUE;
}

DWORD SysGetWindowThreadProcessId(HWND window, DWORD* processId)
{
    ScriptedWindow* scripted = WindowOf(window);
    if (!scripted) return GetWindowThreadProcessId(window, processId);
    if (processId) *processId = scripted->processId;
    return 1;
}

HANDLE SysOpenProcess(DWORD access, BOOL inherit, DWORD processId)
{
    Record("OpenProcess", access, static_cast<uintptr_t>(inherit), processId);
    for (int i = 0; i < Data.processCount; ++i) {
        const ScriptedProcess& process = Data.processes[i];
        if (process.id == processId && !process.ended) return process.canOpen ? reinterpret_cast<HANDLE>(ScriptedProcessBase + i) : nullptr;
    }
    for (int i = 0; i < Data.windowCount; ++i) {
        if (Data.windows[i].processId == processId && Data.windows[i].canOpen) {
            return reinterpret_cast<HANDLE>(ProcessHandleBase + i);
        }
    }
    return nullptr;
}

LRESULT SysSendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT flags, UINT timeoutMs, DWORD_PTR* result)
{
    Record("SendMessageTimeout", reinterpret_cast<uintptr_t>(window), message, wParam,
           static_cast<uintptr_t>(lParam));
    Record("SendMessageTimeout.flags", flags, timeoutMs);
    if (result) *result = 0;
    ScriptedWindow* scripted = WindowOf(window);
    if (!scripted && IsWindow(window)) return SendMessageTimeoutA(window, message, wParam, lParam, flags, timeoutMs,
                                                                  result);
    return scripted ? scripted->sendResult : 0;
}

DWORD SysWaitForSingleObject(HANDLE handle, DWORD timeoutMs)
{
    Record("WaitForSingleObject", reinterpret_cast<uintptr_t>(handle), timeoutMs);
    if (handle == TrayMutex) return Data.trayTaken ? WAIT_TIMEOUT : WAIT_OBJECT_0;
    const int process = ScriptedProcessOf(handle);
    if (process >= 0) return Data.processes[process].ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    ScriptedWindow* scripted = WindowOfProcess(handle);
    return scripted ? scripted->waitResult : WAIT_FAILED;
}

BOOL SysTerminateProcess(HANDLE process, UINT exitCode)
{
    Record("TerminateProcess", reinterpret_cast<uintptr_t>(process), exitCode);
    return TRUE;
}

BOOL SysCloseHandle(HANDLE handle)
{
    // A volume handle carries its drive letter in the record, as the volume
    // calls do.
    ScriptedDrive* drive = DriveOfVolume(handle);
    char letter[2] = {drive ? drive->letter : '\0', 0};
    Record("CloseHandle", reinterpret_cast<uintptr_t>(handle), 0, 0, 0, letter);
    if (drive) --Data.openVolumes;
    return TRUE;
}

DWORD SysGetLogicalDrives()
{
    Record("GetLogicalDrives");
    DWORD mask = 0;
    for (int i = 0; i < Data.driveCount; ++i) mask |= 1u << (Data.drives[i].letter - 'A');
    return mask;
}

UINT SysGetDriveType(const char* rootName)
{
    Record("GetDriveType", 0, 0, 0, 0, rootName);
    ScriptedDrive* drive = DriveOfLetter(LetterOf(rootName));
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

UINT SysSetErrorMode(UINT mode)
{
    Record("SetErrorMode", mode);
    static UINT current = 0;
    UINT previous = current;
    current = mode;
    return previous;
}

BOOL SysGetDiskFreeSpace(const char* rootName)
{
    Record("GetDiskFreeSpace", 0, 0, 0, 0, rootName);
    ScriptedDrive* drive = DriveOfLetter(LetterOf(rootName));
    return drive && drive->ready;
}

HANDLE SysCreateFile(const char* name, DWORD access, DWORD share, DWORD disposition)
{
    Record("CreateFile", access, share, disposition, 0, name);
    ScriptedDrive* drive = DriveOfLetter(LetterOf(name));
    if (!drive || !drive->canOpen) return INVALID_HANDLE_VALUE;
    ++Data.openVolumes;
    return reinterpret_cast<HANDLE>(VolumeHandleBase + (drive - Data.drives));
}

BOOL SysFlushFileBuffers(HANDLE volume)
{
    ScriptedDrive* drive = DriveOfVolume(volume);
    char letter[2] = {drive ? drive->letter : '?', 0};
    Record("FlushFileBuffers", reinterpret_cast<uintptr_t>(volume), 0, 0, 0, letter);
    return drive != nullptr;
}

BOOL SysDeviceIoControl(HANDLE volume, DWORD code, void* input, DWORD inputSize)
{
    ScriptedDrive* drive = DriveOfVolume(volume);
    char letter[2] = {drive ? drive->letter : '?', 0};
    uintptr_t firstByte = input && inputSize ? *static_cast<unsigned char*>(input) : 0xFFFF;
    Record("DeviceIoControl", reinterpret_cast<uintptr_t>(volume), code, inputSize, firstByte, letter);
    return drive && drive->failingControl != code;
}

UINT_PTR SysSetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC callback)
{
    if (!Data.virtualTime) return SetTimer(window, id, elapseMs, callback);
    for (VirtualTimer& timer : Data.timers) {
        if (timer.id) continue;
        timer.id = Data.nextTimerId++;
        timer.callback = callback;
        timer.period = elapseMs < MinimumTimerPeriod ? MinimumTimerPeriod : elapseMs;
        timer.due = Data.virtualElapsed + timer.period;
        return timer.id;
    }
    return 0;
}

BOOL SysKillTimer(HWND window, UINT_PTR id)
{
    if (!Data.virtualTime) return KillTimer(window, id);
    for (VirtualTimer& timer : Data.timers) {
        if (timer.id == id) {
            timer.id = 0;
            return TRUE;
        }
    }
    return FALSE;
}

DWORD SysGetTickCount()
{
    if (!Data.virtualTime) return GetTickCount();
    return Data.virtualTickStart + static_cast<DWORD>(Data.virtualElapsed);
}

HANDLE SysCreateWaitableTimer() { return reinterpret_cast<HANDLE>(WakeTimerHandle); }
// Recorded with the due time in seconds from 1970, never set.
BOOL SysSetWaitableTimer(HANDLE, LONGLONG dueUtc, BOOL resume)
{
    Record("SetWaitableTimer", static_cast<uintptr_t>((dueUtc / FileTimeUnitsPerMilli - FileTimeMillisTo1970) / 1000), resume);
    SetLastError(Data.wakingRefused ? ERROR_NOT_SUPPORTED : ERROR_SUCCESS);
    return TRUE;
}
BOOL SysCancelWaitableTimer(HANDLE)
{
    Record("CancelWaitableTimer");
    return TRUE;
}

void SysGetSystemTime(SYSTEMTIME* time)
{
    if (Data.virtualTime) {
        ShowMoment(Data.virtualUtc, time);
    } else if (Data.fixedClock) {
        *time = Data.clock;  // in UTC
    } else {
        GetSystemTime(time);
    }
}

DWORD SysGetTimeZoneInformation(TIME_ZONE_INFORMATION* zone)
{
    if (!Data.virtualTime && !Data.fixedClock) return GetTimeZoneInformation(zone);
    *zone = {};
    zone->Bias = Data.zone.bias;
    zone->StandardBias = Data.zone.standardBias;
    zone->DaylightBias = Data.zone.daylightBias;
    zone->StandardDate = SwitchToSystem(Data.zone.toStandard);
    zone->DaylightDate = SwitchToSystem(Data.zone.toDaylight);
    return zone->StandardDate.wMonth ? TIME_ZONE_ID_STANDARD : TIME_ZONE_ID_UNKNOWN;
}

void SysGetLocalTime(SYSTEMTIME* time)
{
    if (Data.virtualTime) {
        Recorder::VirtualLocalTime(time);
    } else if (Data.fixedClock) {
        *time = Data.clock;
    } else {
        GetLocalTime(time);
    }
}

namespace {
constexpr REGSAM WriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | DELETE | WRITE_DAC | WRITE_OWNER;
bool Refused(HKEY root, REGSAM access)
{
    return Data.refuseMachineWrites && root == HKEY_LOCAL_MACHINE && (access & WriteAccess) != 0;
}
}  // namespace

// Every open and create is recorded with its root, access and path.
LONG SysRegOpenKeyEx(HKEY root, const char* path, REGSAM access, HKEY* key)
{
    Record("RegOpenKeyEx", reinterpret_cast<uintptr_t>(root), access, 0, 0, path);
    if (Refused(root, access)) return ERROR_ACCESS_DENIED;
    return RegOpenKeyExA(root, path, 0, access, key);
}

LONG SysRegCreateKeyEx(HKEY root, const char* path, const char* keyClass, REGSAM access, HKEY* key)
{
    Record("RegCreateKeyEx", reinterpret_cast<uintptr_t>(root), access, 0, 0, path);
    if (Refused(root, access)) return ERROR_ACCESS_DENIED;
    return RegCreateKeyExA(root, path, 0, const_cast<char*>(keyClass), REG_OPTION_NON_VOLATILE, access, nullptr, key, nullptr);
}

BOOL SysIsWow64() { return Data.wow64; }

HANDLE SysCreateMutex(const char*) { return TrayMutex; }
HANDLE SysOpenMutex(const char*) { return Data.trayTaken ? TrayMutex : nullptr; }
HWND SysFindWindowEx(HWND after, const char*, const char*)
{
    return after || Data.slept < Data.copyAppearsAfter ? nullptr : Data.runningCopy;
}

// Virtual time passes while the second start sleeps.
void SysSleep(DWORD ms)
{
    Data.slept += ms;
    PassTime(ms);
}

BOOL SysWriteStandardOutput(const char* text, DWORD length)
{
    Record("WriteStandardOutput", length, 0, 0, 0, text);
    return TRUE;
}

BOOL SysShutdownBlockReasonCreate(HWND window, const wchar_t* reason)
{
    char text[MAX_PATH] = "";
    WideCharToMultiByte(CP_ACP, 0, reason, -1, text, sizeof text, nullptr, nullptr);
    Record("ShutdownBlockReasonCreate", reinterpret_cast<uintptr_t>(window), 0, 0, 0, text);
    return TRUE;
}

BOOL SysShutdownBlockReasonDestroy(HWND window)
{
    Record("ShutdownBlockReasonDestroy", reinterpret_cast<uintptr_t>(window));
    return TRUE;
}

BOOL SysListProcesses(ProcessVisitor visit, void* context)
{
    Record("ListProcesses");
    for (int i = 0; i < Data.processCount && !Data.jobWatchMissing; ++i) {
        const ScriptedProcess& process = Data.processes[i];
        if (!process.ended && !visit(process.id, process.name, !process.otherSession, context)) break;
    }
    return !Data.jobWatchMissing;
}
HANDLE SysWatchObject(HANDLE object, HWND window, UINT message, WPARAM tag)
{
    const int process = ScriptedProcessOf(object);
    if (Data.jobWatchMissing || process < 0 || Data.waitCount == MaxWaits) return nullptr;
    Data.waits[Data.waitCount] = {process, window, message, tag, true};
    return reinterpret_cast<HANDLE>(WaitHandleBase + Data.waitCount++);
}
void SysUnwatchObject(HANDLE wait)
{
    if (const int index = HandleIndex(wait, WaitHandleBase, Data.waitCount) + 1) Data.waits[index - 1].live = false;
}BOOL SysGetLastInputTick(DWORD* tick)
{
    *tick = Data.inputArrived ? Data.lastInput : Data.virtualTime ? Data.virtualTickStart : SysGetTickCount();
    return !Data.jobWatchMissing;
}
