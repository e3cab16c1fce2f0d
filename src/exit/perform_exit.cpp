// Performing the selected exit in its fixed order: nothing while a timed exit
// is armed, the confirmation, the programs first, closing other applications,
// the drives, and at last the request of the exit type. The exit-type table
// says which steps a type takes and what it requests.
#include "exit/perform_exit.h"

#include "core/text.h"
#include "exit/drives.h"
#include "exit/run_programs.h"
#include "presence/block_reason.h"
#include "settings/registry_view.h"
#include "state/program_state.h"
#include "system/system_actions.h"
#include "system/windows_version.h"

namespace {
constexpr char ConfirmText[] = "Are you sure you want to exit ?";
constexpr char ConfirmCaption[] = "Confirm";
constexpr UINT ConfirmBoxFlags = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL;
constexpr char DeclinedText[] = "You have chosen not to exit";
constexpr char DeclinedCaption[] = "Abort";
constexpr UINT DeclinedBoxFlags = MB_OK | MB_ICONINFORMATION;

static_assert(LogoffFlags == EWX_LOGOFF && ShutdownFlags == EWX_SHUTDOWN && RebootFlags == EWX_REBOOT &&
                  PowerOffFlags == (EWX_SHUTDOWN | EWX_POWEROFF) &&
                  HybridShutdownFlags == (EWX_SHUTDOWN | EWX_HYBRID_SHUTDOWN) &&
                  BootOptionsFlags == (SHUTDOWN_RESTART | SHUTDOWN_RESTART_BOOTOPTIONS),
              "the exit-type table holds the session requests as ExitWindowsEx and InitiateShutdown flags");
static_assert(PlannedReason == (SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED),
              "a planned end of the session");

// Windows 8, the first with hybrid shutdown and the boot options restart.
constexpr DWORD Windows8Major = 6;
constexpr DWORD Windows8Minor = 2;

// What the boxes about an exit type say after its tip.
constexpr char NotAvailableWords[] = " is not available on this system";
constexpr char RefusedWords[] = " was refused by Windows";
constexpr size_t ExitTypeBoxSize = 256;

// Closing other applications.
constexpr DWORD ForceCloseAccess = SYNCHRONIZE | PROCESS_TERMINATE;
constexpr UINT EndSessionTimeoutMs = 500;
constexpr DWORD ProcessEndWaitMs = 500;
constexpr UINT ForcedExitCode = 0;

// Restarting the shell.
constexpr char ShellClassName[] = "Progman";
constexpr char ShellValueName[] = "Shell";
constexpr DWORD ShellValueSize = 260;
// A new shell started while the old one still runs only opens a folder
// window and ends: the old one gets this long to end first.
constexpr DWORD ShellQuitWaitMs = 10000;
constexpr char ShellStillRunning[] = "The shell did not end: no new shell was started";
// Where Winlogon names no shell it starts Explorer.
constexpr char DefaultShell[] = "explorer.exe";
constexpr char ShellUnreadWords[] = " could not read the shell to start";
constexpr char ShellNotStartedWords[] = " could not start ";
// WinExec reports a failure below 32, as the system's error code or 0 for
// the lack of memory.
constexpr UINT WinExecFailedBelow = 32;

// True when the user agrees to the exit, or was not asked. Only Yes is
// consent: a box that cannot be shown, or that ends because the program ends
// under it ("E&xit Program" picked while it is open), is a No, and a program
// on its way out shows no second box.
bool ConfirmExit()
{
    if (!State.ConfirmFlag) return true;
    if (MessageBoxA(nullptr, ConfirmText, ConfirmCaption, ConfirmBoxFlags) == IDYES) return true;
    // The box's own loop passes the quit message on to the main loop.
    if (!State.ProgramEnding) MessageBoxA(nullptr, DeclinedText, DeclinedCaption, DeclinedBoxFlags);
    return false;
}

// Reads the configured shell command line, Explorer where none is
// configured (no value, or an empty one); returns the reason when the value
// cannot be read (too long, say), else ERROR_SUCCESS. The buffer has one
// byte more than is read, so that a value stored without its terminator
// still ends as a text.
LONG ReadConfiguredShell(char (&shell)[ShellValueSize + 1])
{
    CopyText(shell, sizeof shell, DefaultShell);
    const RegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_QUERY_VALUE);
    if (!key) return ERROR_SUCCESS;
    char value[ShellValueSize + 1] = "";
    DWORD size = ShellValueSize;
    LONG result = RegQueryValueExA(key, ShellValueName, nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(value), &size);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    value[size <= ShellValueSize ? size : ShellValueSize] = '\0';
    if (value[0] != '\0') CopyText(shell, sizeof shell, value);
    return ERROR_SUCCESS;
}

// Tells the running shell to quit and waits for its process to end; false
// when it is still running after the wait. The quit goes only to a shell
// window that exists: posted to no window it would land in this program's
// own queue and end the program.
bool EndShell()
{
    HWND shellWindow = SysFindWindow(ShellClassName, nullptr);
    if (!shellWindow) return true;
    DWORD processId = 0;
    SysGetWindowThreadProcessId(shellWindow, &processId);
    HANDLE process = SysOpenProcess(SYNCHRONIZE, FALSE, processId);
    SysPostMessage(shellWindow, WM_QUIT, 0, 0);
    if (!process) return true;  // nothing to wait on
    const bool ended = SysWaitForSingleObject(process, ShellQuitWaitMs) == WAIT_OBJECT_0;
    SysCloseHandle(process);
    return ended;
}

// Ends the running shell and then starts the configured one. The shell to
// start is read first: with none to start, the running one is not ended.
void RestartShell(const ExitTypeInfo& type)
{
    char shell[ShellValueSize + 1];
    if (const LONG error = ReadConfiguredShell(shell)) {
        ExitTypeBox(type, ShellUnreadWords, static_cast<DWORD>(error));
        return;
    }
    if (!EndShell()) {
        ErrorBox(ShellStillRunning);
        return;
    }
    const UINT started = SysWinExec(shell, SW_SHOW);
    if (started >= WinExecFailedBelow) return;
    char words[sizeof ShellNotStartedWords + ShellValueSize];
    JoinText(words, sizeof words, {ShellNotStartedWords, shell});
    ExitTypeBox(type, words, started ? started : ERROR_NOT_ENOUGH_MEMORY);
}

// A refusal (no privilege, a policy, another program's veto already known)
// is said with the system's own words, and the program runs on: false then.
bool RequestExit(const ExitTypeInfo& type)
{
    switch (type.request) {
    case ExitRequest::EndSession:
        if (SysExitWindowsEx(type.requestFlags, PlannedReason)) return true;
        ExitTypeBox(type, RefusedWords, GetLastError());
        return false;
    case ExitRequest::Initiate:
        if (const DWORD error = SysInitiateShutdown(type.requestFlags, PlannedReason)) {
            ExitTypeBox(type, RefusedWords, error);
            return false;
        }
        return true;
    case ExitRequest::ScreenSaver: SysPostMessage(SysGetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0); break;
    case ExitRequest::RestartShell: RestartShell(type); break;
    case ExitRequest::Suspend:
    case ExitRequest::Lock: {
        const BOOL done = type.request == ExitRequest::Lock ? SysLockWorkStation()
                                                            : SysSetSuspendState(type.requestFlags, FALSE, FALSE);
        // The system's own words say why (hibernation switched off, no
        // sleep state, no right).
        if (!done) ExitTypeBox(type, RefusedWords, GetLastError());
        return done != FALSE;
    }
    }
    return true;
}

void SetBlock(int on)
{
    State.BlockFlag = on;
    UpdateBlockReason();
}

// The steps after the consent; `type` is nullptr for a stored number that is
// no exit type, which flushes the drives and makes no request.
void CarryOutExit(const ExitTypeInfo* type)
{
    if (State.RunBeforeExit && !RunProgramsBeforeExit()) return;
    if (State.ForceFlag && HasTrait(type, EndsSession)) SysEnumWindows(ForceCloseWindow, 0);
    if (!type || HasTrait(type, FlushesDrives)) FlushAndEjectDrives();
    // The program must not refuse the session end that it asks for itself;
    // a type after which the session goes on leaves Block Shutdown alone, and
    // a request that Windows refused puts it back.
    const int blocked = State.BlockFlag;
    if (blocked && !HasTrait(type, KeepsBlock)) SetBlock(0);
    if (type && !RequestExit(*type) && blocked != State.BlockFlag) SetBlock(blocked);
}

// One request, one exit: a hotkey or a click that waited in the queue while
// the exit ran (the drives flushed, the last program ended) would perform it
// all again.
void DropQueuedRequests()
{
    if (!State.MainWindow) return;
    MSG message;
    while (PeekMessageA(&message, State.MainWindow, WM_HOTKEY, WM_HOTKEY, PM_REMOVE)) {
    }
    while (PeekMessageA(&message, State.MainWindow, TrayMessage, TrayMessage, PM_REMOVE)) {
    }
}
}  // namespace

// One exit at a time: a call that arrives while the box is open or the
// programs run (the hotkey pressed again, a click) is ignored. An exit type
// that this system lacks is refused before anything happens.
void PerformExit()
{
    if (State.TimerRunning || State.ExitInProgress) return;
    State.ExitInProgress = 1;
    const ExitTypeInfo* type = FindExitType(State.ExitType);
    if (!(type && RefuseUnavailable(*type)) && ConfirmExit()) CarryOutExit(type);
    DropQueuedRequests();
    State.ExitInProgress = 0;
}

bool ExitTypeAvailable(const ExitTypeInfo& type)
{
    if (HasTrait(&type, NeedsWindows8) && !WindowsAtLeast(Windows8Major, Windows8Minor)) return false;
    switch (type.request) {
    case ExitRequest::Suspend: return SysHasSetSuspendState() != FALSE;
    case ExitRequest::Lock: return SysHasLockWorkStation() != FALSE;
    default: return true;
    }
}

bool RefuseUnavailable(const ExitTypeInfo& type)
{
    if (ExitTypeAvailable(type)) return false;
    ExitTypeBox(type, NotAvailableWords);
    return true;
}

void ExitTypeBox(const ExitTypeInfo& type, const char* words, DWORD error)
{
    char text[ExitTypeBoxSize];
    CopyText(text, sizeof text, type.tip);
    size_t length = AppendText(text, sizeof text, words);
    if (error) {
        length = AppendText(text, sizeof text, ":\n");
        if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                            text + length, static_cast<DWORD>(sizeof text - length), nullptr)) {
            text[length - 2] = '\0';
        }
    }
    ErrorBox(text);
}

BOOL CALLBACK ForceCloseWindow(HWND window, LPARAM)
{
    DWORD processId = 0;
    SysGetWindowThreadProcessId(window, &processId);
    if (processId == GetCurrentProcessId()) return TRUE;

    HANDLE process = SysOpenProcess(ForceCloseAccess, FALSE, processId);
    DWORD_PTR answer = 0;
    LRESULT sent = SysSendMessageTimeout(window, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG,
                                         EndSessionTimeoutMs, &answer);
    // A process that cannot be opened still gets the message, but nothing
    // is waited for or terminated.
    if (!process) return TRUE;
    if (!sent && SysWaitForSingleObject(process, ProcessEndWaitMs) != WAIT_OBJECT_0) {
        SysTerminateProcess(process, ForcedExitCode);
    }
    SysCloseHandle(process);
    return TRUE;
}
