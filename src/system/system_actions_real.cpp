// The real system actions, linked into the product only.
#include "system/system_actions.h"

#include "system/on_demand.h"

#include <ntsecapi.h>
#include <psapi.h>
#include <tlhelp32.h>

BOOL SysExitWindowsEx(UINT flags, DWORD reason) { return ExitWindowsEx(flags, reason); }
HWND SysGetDesktopWindow() { return GetDesktopWindow(); }
BOOL SysPostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return PostMessageA(window, message, wParam, lParam);
}
HWND SysFindWindow(const char* className, const char* windowName)
{
    return FindWindowA(className, windowName);
}
UINT SysWinExec(const char* commandLine, UINT show) { return WinExec(commandLine, show); }

BOOL SysCreateProcess(const char* application, char* commandLine, PROCESS_INFORMATION* started)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, started);
}

BOOL SysEnumWindows(WNDENUMPROC callback, LPARAM parameter) { return EnumWindows(callback, parameter); }
DWORD SysGetWindowThreadProcessId(HWND window, DWORD* processId)
{
    return GetWindowThreadProcessId(window, processId);
}
HANDLE SysOpenProcess(DWORD access, BOOL inherit, DWORD processId)
{
    return OpenProcess(access, inherit, processId);
}
LRESULT SysSendMessageTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT flags, UINT timeoutMs, DWORD_PTR* result)
{
    return SendMessageTimeoutA(window, message, wParam, lParam, flags, timeoutMs, result);
}
DWORD SysWaitForSingleObject(HANDLE handle, DWORD timeoutMs) { return WaitForSingleObject(handle, timeoutMs); }
BOOL SysTerminateProcess(HANDLE process, UINT exitCode) { return TerminateProcess(process, exitCode); }
BOOL SysCloseHandle(HANDLE handle) { return CloseHandle(handle); }

DWORD SysGetLogicalDrives() { return GetLogicalDrives(); }
UINT SysGetDriveType(const char* rootName) { return GetDriveTypeA(rootName); }
UINT SysSetErrorMode(UINT mode) { return SetErrorMode(mode); }
BOOL SysGetDiskFreeSpace(const char* rootName)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    return GetDiskFreeSpaceA(rootName, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
}
HANDLE SysCreateFile(const char* name, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileA(name, access, share, nullptr, disposition, 0, nullptr);
}
BOOL SysFlushFileBuffers(HANDLE volume) { return FlushFileBuffers(volume); }
BOOL SysDeviceIoControl(HANDLE volume, DWORD code, void* input, DWORD inputSize)
{
    DWORD returned = 0;
    return DeviceIoControl(volume, code, input, inputSize, nullptr, 0, &returned, nullptr);
}

UINT_PTR SysSetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC callback)
{
    return SetTimer(window, id, elapseMs, callback);
}
BOOL SysKillTimer(HWND window, UINT_PTR id) { return KillTimer(window, id); }
DWORD SysGetTickCount() { return GetTickCount(); }
void SysGetLocalTime(SYSTEMTIME* time) { GetLocalTime(time); }
void SysGetSystemTime(SYSTEMTIME* time) { GetSystemTime(time); }
HANDLE SysCreateWaitableTimer() { return CreateWaitableTimerA(nullptr, TRUE, nullptr); }
BOOL SysSetWaitableTimer(HANDLE timer, LONGLONG dueUtc, BOOL resume)
{
    LARGE_INTEGER due;
    due.QuadPart = dueUtc;  // positive: an absolute time
    return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, resume);
}
BOOL SysCancelWaitableTimer(HANDLE timer) { return CancelWaitableTimer(timer); }
DWORD SysGetTimeZoneInformation(TIME_ZONE_INFORMATION* zone) { return GetTimeZoneInformation(zone); }

LONG SysRegOpenKeyEx(HKEY root, const char* path, REGSAM access, HKEY* key)
{
    return RegOpenKeyExA(root, path, 0, access, key);
}
LONG SysRegCreateKeyEx(HKEY root, const char* path, const char* keyClass, REGSAM access, HKEY* key)
{
    // The class text is only read.
    return RegCreateKeyExA(root, path, 0, const_cast<char*>(keyClass), REG_OPTION_NON_VOLATILE, access, nullptr, key, nullptr);
}

HANDLE SysCreateMutex(const char* name) { return CreateMutexA(nullptr, FALSE, name); }
HANDLE SysOpenMutex(const char* name) { return OpenMutexA(SYNCHRONIZE, FALSE, name); }
HWND SysFindWindowEx(HWND after, const char* className, const char* windowName)
{
    return FindWindowExA(nullptr, after, className, windowName);
}
void SysSleep(DWORD ms) { Sleep(ms); }

// A program of the Windows subsystem has no console of its own: started from
// one without a redirection, it writes to its parent's (AttachConsole, which
// NT 4 and 2000 lack, is looked up).
BOOL SysWriteStandardOutput(const char* text, DWORD length)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE opened = INVALID_HANDLE_VALUE;
    if (!out || out == INVALID_HANDLE_VALUE || GetFileType(out) == FILE_TYPE_UNKNOWN) {
        using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
        auto attach = reinterpret_cast<AttachConsoleFn>(SystemFunction("kernel32.dll", "AttachConsole"));
        if (!attach || !attach(ATTACH_PARENT_PROCESS)) return FALSE;
        out = opened = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE) return FALSE;
    }
    DWORD written = 0;
    const BOOL done = WriteFile(out, text, length, &written, nullptr) && written == length;
    if (opened != INVALID_HANDLE_VALUE) CloseHandle(opened);
    return done;
}

namespace {
using BlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using BlockReasonDestroyFn = BOOL(WINAPI*)(HWND);
using SetSuspendStateFn = BOOLEAN(WINAPI*)(BOOLEAN, BOOLEAN, BOOLEAN);
using LockWorkStationFn = BOOL(WINAPI*)();

// Looked up at run time so that the program still starts on NT 4, 2000 and XP.
FARPROC User32Function(const char* name) { return SystemFunction("user32.dll", name); }

FARPROC SuspendFunction() { return SystemFunction("powrprof.dll", "SetSuspendState"); }
FARPROC LockFunction() { return User32Function("LockWorkStation"); }
}  // namespace

// A function that cannot be found fails with the error its search left.
BOOL SysSetSuspendState(BOOL hibernate, BOOL forceCritical, BOOL disableWakeEvent)
{
    auto suspend = reinterpret_cast<SetSuspendStateFn>(SuspendFunction());
    return suspend && suspend(static_cast<BOOLEAN>(hibernate), static_cast<BOOLEAN>(forceCritical),
                              static_cast<BOOLEAN>(disableWakeEvent));
}
BOOL SysLockWorkStation()
{
    auto lock = reinterpret_cast<LockWorkStationFn>(LockFunction());
    return lock && lock();
}
BOOL SysHasSetSuspendState() { return SuspendFunction() != nullptr; }
BOOL SysHasLockWorkStation() { return LockFunction() != nullptr; }

// Looked up at run time: IsWow64Process is missing before XP SP2, and a
// system without it runs no 32-bit program on 64-bit Windows.
BOOL SysIsWow64()
{
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(SystemFunction("kernel32.dll", "IsWow64Process"));
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

BOOL SysShutdownBlockReasonCreate(HWND window, const wchar_t* reason)
{
    auto create = reinterpret_cast<BlockReasonCreateFn>(User32Function("ShutdownBlockReasonCreate"));
    return create ? create(window, reason) : FALSE;
}

BOOL SysShutdownBlockReasonDestroy(HWND window)
{
    auto destroy = reinterpret_cast<BlockReasonDestroyFn>(User32Function("ShutdownBlockReasonDestroy"));
    return destroy ? destroy(window) : FALSE;
}

DWORD SysInitiateShutdown(DWORD flags, DWORD reason)
{
    using InitiateShutdownFn = DWORD(WINAPI*)(LPWSTR, LPWSTR, DWORD, DWORD, DWORD);
    auto initiate = reinterpret_cast<InitiateShutdownFn>(SystemFunction("advapi32.dll", "InitiateShutdownW"));
    return initiate ? initiate(nullptr, nullptr, 0, flags, reason) : ERROR_PROC_NOT_FOUND;
}

BOOL SysAdjustTokenPrivileges(HANDLE token, TOKEN_PRIVILEGES* wanted, DWORD previousSize, TOKEN_PRIVILEGES* previous,
                              DWORD* returnedSize)
{
    return AdjustTokenPrivileges(token, FALSE, wanted, previousSize, previous, returnedSize);
}

OSVERSIONINFOA SysWindowsVersion()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&version);
#pragma GCC diagnostic pop
    return version;
}

namespace {
using LsaOpenPolicyFn = NTSTATUS(WINAPI*)(PLSA_UNICODE_STRING, PLSA_OBJECT_ATTRIBUTES, ACCESS_MASK, PLSA_HANDLE);
using LsaStorePrivateDataFn = NTSTATUS(WINAPI*)(LSA_HANDLE, PLSA_UNICODE_STRING, PLSA_UNICODE_STRING);
using LsaCloseFn = NTSTATUS(WINAPI*)(LSA_HANDLE);
using LsaNtStatusToWinErrorFn = ULONG(WINAPI*)(NTSTATUS);

FARPROC LsaFunction(const char* name) { return SystemFunction("advapi32.dll", name); }

// The text without its terminator, as the authority keeps it.
LSA_UNICODE_STRING LsaText(const wchar_t* text)
{
    const USHORT bytes = static_cast<USHORT>(lstrlenW(text) * sizeof(wchar_t));
    return LSA_UNICODE_STRING{bytes, static_cast<USHORT>(bytes + sizeof(wchar_t)), const_cast<wchar_t*>(text)};
}
}  // namespace

DWORD SysLsaStorePrivateData(const wchar_t* name, const wchar_t* data)
{
    auto open = reinterpret_cast<LsaOpenPolicyFn>(LsaFunction("LsaOpenPolicy"));
    auto store = reinterpret_cast<LsaStorePrivateDataFn>(LsaFunction("LsaStorePrivateData"));
    auto close = reinterpret_cast<LsaCloseFn>(LsaFunction("LsaClose"));
    auto toError = reinterpret_cast<LsaNtStatusToWinErrorFn>(LsaFunction("LsaNtStatusToWinError"));
    if (!open || !store || !close || !toError) return ERROR_PROC_NOT_FOUND;
    LSA_OBJECT_ATTRIBUTES attributes = {};
    attributes.Length = sizeof attributes;
    LSA_HANDLE policy = nullptr;
    NTSTATUS status = open(nullptr, &attributes, POLICY_CREATE_SECRET, &policy);
    if (status != 0) return toError(status);
    LSA_UNICODE_STRING key = LsaText(name);
    LSA_UNICODE_STRING secret = data ? LsaText(data) : LSA_UNICODE_STRING{};
    status = store(policy, &key, data ? &secret : nullptr);
    close(policy);
    return toError(status);
}

namespace {
using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessStepFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using SessionOfFn = BOOL(WINAPI*)(DWORD, DWORD*);
using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using ModuleBaseNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using RegisterWaitFn = BOOL(WINAPI*)(PHANDLE, HANDLE, WAITORTIMERCALLBACK, PVOID, ULONG, ULONG);
using UnregisterWaitFn = BOOL(WINAPI*)(HANDLE, HANDLE);
using LastInputFn = BOOL(WINAPI*)(PLASTINPUTINFO);

// A system without sessions (NT 4 before Terminal Server) runs every process
// in this one.
struct SessionTest {
    SessionOfFn sessionOf;
    DWORD own;
    bool Same(DWORD id) const
    {
        DWORD session = 0;
        return !sessionOf || !sessionOf(id, &session) || session == own;
    }
};

SessionTest ThisSession()
{
    SessionTest test = {reinterpret_cast<SessionOfFn>(SystemFunction("kernel32.dll", "ProcessIdToSessionId")), 0};
    if (test.sessionOf && !test.sessionOf(GetCurrentProcessId(), &test.own)) test.sessionOf = nullptr;
    return test;
}

BOOL ListWithToolhelp(ProcessVisitor visit, void* context, const SessionTest& session)
{
    auto snapshot = reinterpret_cast<SnapshotFn>(SystemFunction("kernel32.dll", "CreateToolhelp32Snapshot"));
    auto first = reinterpret_cast<ProcessStepFn>(SystemFunction("kernel32.dll", "Process32First"));
    auto next = reinterpret_cast<ProcessStepFn>(SystemFunction("kernel32.dll", "Process32Next"));
    if (!snapshot || !first || !next) return FALSE;
    HANDLE list = snapshot(TH32CS_SNAPPROCESS, 0);
    if (list == INVALID_HANDLE_VALUE) return FALSE;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(list, &entry); more; more = next(list, &entry)) {
        entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
        if (!visit(entry.th32ProcessID, entry.szExeFile, session.Same(entry.th32ProcessID), context)) break;
        entry.dwSize = sizeof entry;
    }
    CloseHandle(list);
    return TRUE;
}

// NT 4: the ids, then each process's first module. A process that cannot be
// opened to read its name is still passed on, without a name.
BOOL ListWithPsapi(ProcessVisitor visit, void* context, const SessionTest& session)
{
    auto enumProcesses = reinterpret_cast<EnumProcessesFn>(SystemFunction("psapi.dll", "EnumProcesses"));
    auto enumModules = reinterpret_cast<EnumModulesFn>(SystemFunction("psapi.dll", "EnumProcessModules"));
    auto baseName = reinterpret_cast<ModuleBaseNameFn>(SystemFunction("psapi.dll", "GetModuleBaseNameA"));
    if (!enumProcesses || !enumModules || !baseName) return FALSE;
    static DWORD ids[4096];
    DWORD bytes = 0;
    if (!enumProcesses(ids, sizeof ids, &bytes)) return FALSE;
    for (DWORD i = 0; i < bytes / sizeof ids[0]; ++i) {
        char name[MAX_PATH] = "";
        if (HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i])) {
            HMODULE module = nullptr;
            DWORD needed = 0;
            if (enumModules(process, &module, sizeof module, &needed)) baseName(process, module, name, sizeof name);
            CloseHandle(process);
        }
        if (!visit(ids[i], name, session.Same(ids[i]), context)) break;
    }
    return TRUE;
}

// The wait's callback runs on a thread of the pool: it only posts.
struct WaitTarget {
    HWND window;
    UINT message;
};
WaitTarget Target;

void CALLBACK ObjectSignalled(PVOID tag, BOOLEAN)
{
    PostMessageA(Target.window, Target.message, reinterpret_cast<WPARAM>(tag), 0);
}
}  // namespace

BOOL SysListProcesses(ProcessVisitor visit, void* context)
{
    const SessionTest session = ThisSession();
    return ListWithToolhelp(visit, context, session) || ListWithPsapi(visit, context, session);
}

HANDLE SysWatchObject(HANDLE object, HWND window, UINT message, WPARAM tag)
{
    auto registerWait = reinterpret_cast<RegisterWaitFn>(SystemFunction("kernel32.dll", "RegisterWaitForSingleObject"));
    if (!registerWait) return nullptr;
    Target = {window, message};  // one window and message for every wait
    HANDLE wait = nullptr;
    const ULONG once = WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD;
    return registerWait(&wait, object, ObjectSignalled, reinterpret_cast<PVOID>(tag), INFINITE, once) ? wait : nullptr;
}

void SysUnwatchObject(HANDLE wait)
{
    auto unregister = reinterpret_cast<UnregisterWaitFn>(SystemFunction("kernel32.dll", "UnregisterWaitEx"));
    if (unregister && wait) unregister(wait, INVALID_HANDLE_VALUE);
}

BOOL SysGetLastInputTick(DWORD* tick)
{
    auto lastInput = reinterpret_cast<LastInputFn>(SystemFunction("user32.dll", "GetLastInputInfo"));
    LASTINPUTINFO info = {};
    info.cbSize = sizeof info;
    if (!lastInput || !lastInput(&info)) return FALSE;
    *tick = info.dwTime;
    return TRUE;
}
