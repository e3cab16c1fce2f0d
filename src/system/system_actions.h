// The seam between the program and everything that ends the session or
// touches the machine. The product links system_actions_real.cpp; test
// executables link a recorder instead, so a test can never shut anything
// down, terminate a process or eject a volume. The functions mirror the
// system calls one to one: the decisions stay in the program's own code.
#ifndef DORVA_SYSTEM_ACTIONS_H
#define DORVA_SYSTEM_ACTIONS_H

#include <windows.h>

// Session and shell. Both session-end requests carry the reason Windows logs.
BOOL SysExitWindowsEx(UINT flags, DWORD reason);
// InitiateShutdownW for this computer, at once and with no message; looked up
// at run time (Vista and later). Returns its error code: ERROR_SUCCESS, or
// ERROR_PROC_NOT_FOUND where the system lacks it.
DWORD SysInitiateShutdown(DWORD flags, DWORD reason);
HWND SysGetDesktopWindow();
BOOL SysPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND SysFindWindow(const char* className, const char* windowName);
UINT SysWinExec(const char* commandLine, UINT show);

// Sleep, hibernation and the workstation lock. Looked up at run time, so
// that the program still starts on NT 4, which has neither SetSuspendState
// (powrprof.dll) nor LockWorkStation; where one is missing its call fails,
// and the Has... call says so beforehand.
BOOL SysSetSuspendState(BOOL hibernate, BOOL forceCritical, BOOL disableWakeEvent);
BOOL SysLockWorkStation();
BOOL SysHasSetSuspendState();
BOOL SysHasLockWorkStation();

// A program run before the exit, started with the default start-up record;
// the process and thread handles are the caller's to close.
BOOL SysCreateProcess(const char* application, char* commandLine, PROCESS_INFORMATION* started);

// Closing other applications.
BOOL SysEnumWindows(WNDENUMPROC callback, LPARAM parameter);
DWORD SysGetWindowThreadProcessId(HWND window, DWORD* processId);
HANDLE SysOpenProcess(DWORD access, BOOL inherit, DWORD processId);
LRESULT SysSendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT flags, UINT timeoutMs, DWORD_PTR* result);
DWORD SysWaitForSingleObject(HANDLE handle, DWORD timeoutMs);
BOOL SysTerminateProcess(HANDLE process, UINT exitCode);
BOOL SysCloseHandle(HANDLE handle);

// The end of a job. The processes of the system, each with its id, its
// file name and whether it runs in this program's session, passed to
// `visit` (which returns false to stop): through Toolhelp where the system
// has it, else PSAPI (NT 4), both looked up at run time. FALSE when neither
// can list them.
using ProcessVisitor = bool (*)(DWORD id, const char* fileName, bool thisSession, void* context);
BOOL SysListProcesses(ProcessVisitor visit, void* context);
// A wait for `object` (a process handle opened with SYNCHRONIZE) that posts
// `message` with wParam `tag` to `window` once it signals: a registered wait
// of the system's thread pool, looked up at run time (Windows 2000 and
// later). nullptr where the system has none or refuses it. Unwatch ends it
// and returns once no post of it can still come.
HANDLE SysWatchObject(HANDLE object, HWND window, UINT message, WPARAM tag);
void SysUnwatchObject(HANDLE wait);
// The tick count of the session's last keyboard or mouse input
// (GetLastInputInfo, Windows 2000 and later, looked up at run time); FALSE
// where the system cannot tell.
BOOL SysGetLastInputTick(DWORD* tick);

// Drives and volumes.
DWORD SysGetLogicalDrives();
UINT SysGetDriveType(const char* rootName);
UINT SysSetErrorMode(UINT mode);
BOOL SysGetDiskFreeSpace(const char* rootName);
HANDLE SysCreateFile(const char* name, DWORD access, DWORD share, DWORD disposition);
BOOL SysFlushFileBuffers(HANDLE volume);
BOOL SysDeviceIoControl(HANDLE volume, DWORD code, void* input, DWORD inputSize);

// AdjustTokenPrivileges without disabling all: the start-up enables the
// shutdown privilege with it.
BOOL SysAdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* wanted, DWORD previousSize, TOKEN_PRIVILEGES* previous,
                              DWORD* returnedSize);

// The system's version record (8-bit), as GetVersionExA fills it.
OSVERSIONINFOA SysWindowsVersion();

// The local security authority's private data `name` (a secret such as
// Winlogon's "DefaultPassword"): stored, or deleted when `data` is nullptr.
// Needs the right to create secrets (an administrator). Looked up at run
// time; returns the Win32 error, ERROR_SUCCESS when done.
DWORD SysLsaStorePrivateData(const wchar_t* name, const wchar_t* data);

// Opening and creating registry keys, for the settings and the system
// switches. Windows refuses writes under HKEY_LOCAL_MACHINE to a program that
// runs without elevation; Wine never does, so tests refuse them here.
LONG SysRegOpenKeyEx(HKEY root, const char* path, REGSAM access, HKEY* key);
LONG SysRegCreateKeyEx(HKEY root, const char* path, const char* keyClass, REGSAM access, HKEY* key);
// True for a 32-bit program on 64-bit Windows, whose registry view differs.
BOOL SysIsWow64();

// The timers and clocks of the timed exit: thread timers, the tick count
// that a timeout is measured by, and the local time of a time-of-day exit.
UINT_PTR SysSetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC callback);
BOOL SysKillTimer(HWND window, UINT_PTR id);
DWORD SysGetTickCount();
void SysGetLocalTime(SYSTEMTIME* time);
// The waitable timer that resumes the computer from sleep or hibernation for
// an armed exit: test programs record it and set none, so that a test run on
// a real Windows never wakes anyone's computer. `dueUtc` counts 100 ns units
// from 1601 (a FILETIME); a system that cannot resume for it still sets it
// and says ERROR_NOT_SUPPORTED.
HANDLE SysCreateWaitableTimer();
BOOL SysSetWaitableTimer(HANDLE timer, LONGLONG dueUtc, BOOL resume);
BOOL SysCancelWaitableTimer(HANDLE timer);

// UTC and the time zone's rules, from which the moment a time of day comes is
// known across a daylight-saving switch that no message announces.
void SysGetSystemTime(SYSTEMTIME* time);
DWORD SysGetTimeZoneInformation(TIME_ZONE_INFORMATION* zone);

// The tray's lock (a named mutex, waited for with SysWaitForSingleObject)
// and a second start: the program's windows on this desktop (where the
// running copy is), the wait for a copy still starting, and the text it
// writes out: to the standard output it was given (a console, a pipe, a
// file) or else to the console of the program that started it; FALSE when
// it has neither.
HANDLE SysCreateMutex(const char* name);
HANDLE SysOpenMutex(const char* name);
HWND SysFindWindowEx(HWND after, const char* className, const char* windowName);
void SysSleep(DWORD ms);
BOOL SysWriteStandardOutput(const char* text, DWORD length);

// The reason shown by Windows Vista and later while the program holds back a
// session end; missing on older systems, where both calls do nothing.
BOOL SysShutdownBlockReasonCreate(HWND window, const wchar_t* reason);
BOOL SysShutdownBlockReasonDestroy(HWND window);

#endif
