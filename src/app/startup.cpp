// Start-up in its fixed order, the message loop and teardown.
#include "app/startup.h"

#include "app/main_window.h"
#include "app/menus.h"
#include "app/second_start.h"
#include "app/single_instance.h"
#include "cmdline/command_line.h"
#include "core/text.h"
#include "dialogs/hotkey.h"
#include "exit/perform_exit.h"
#include "presence/block_reason.h"
#include "presence/tray_icon.h"
#include "settings/settings_store.h"
#include "state/program_state.h"
#include "system/on_demand.h"
#include "system/windows_version.h"
#include "timer/scheduler.h"

namespace {
constexpr char Win9xMessage[] = "This program will not run under Windows 95/98";
constexpr char PrivilegeMessage[] = "Cannot change program privileges";
constexpr DWORD TokenAccess = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;  // 0x28
constexpr char NoWindowMessage[] = "Cannot create the program's window";
constexpr int NoWindowResult = 1;

// The command line, lower-cased in a copy of its own: the system's buffer
// behind GetCommandLineA stays as it was. As long as any command line.
constexpr int CommandLineSize = 32768;
char LoweredCommandLine[CommandLineSize];

const char* LowerCaseCopy(const char* commandLine)
{
    CopyText(LoweredCommandLine, sizeof LoweredCommandLine, commandLine ? commandLine : "");
    CharLowerA(LoweredCommandLine);
    return LoweredCommandLine;
}

}  // namespace

// The full menu's exit types and the short menu come from the exit-type table.
void LoadMenus()
{
    State.FullMenu = GetSubMenu(LoadMenuA(State.Instance, "Dorva1"), 0);
    State.ShortMenu = CreatePopupMenu();
    InsertExitTypeItems(State.FullMenu);
    InsertExitTypeItems(State.ShortMenu);
    State.Accelerators = LoadAcceleratorsA(State.Instance, "Dorva3");
}

// The adjustment succeeds also when it granted nothing, and then says so
// with ERROR_NOT_ALL_ASSIGNED: an account without the privilege fails here,
// not silently at its first exit.
BOOL EnableShutdownPrivilege()
{
    LUID id = {};
    if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &id)) return FALSE;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TokenAccess, &token)) return FALSE;
    TOKEN_PRIVILEGES wanted = {};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = id;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous = {};
    DWORD previousSize = sizeof previous;
    SetLastError(ERROR_SUCCESS);
    const BOOL adjusted = SysAdjustTokenPrivileges(token, &wanted, sizeof previous, &previous, &previousSize);
    const bool granted = adjusted && GetLastError() != ERROR_NOT_ALL_ASSIGNED;
    CloseHandle(token);
    return granted;
}

void SetDefaults()
{
    SetSettingDefaults();
    State.WarningTextAuto = 0;
    State.WarningTextEdited = 0;
    State.WarningTextOwn = 0;
    State.NoIconMode = 0;
    State.TimerRunning = 0;
    State.PickToExit = 0;
    State.HideIconFlag = 0;
}

bool StartProgram(HINSTANCE instance, const char* commandLine, int* result)
{
    *result = 0;
    if (!IsWindowsNt()) {
        ErrorBox(Win9xMessage);
        return false;
    }
    // The option list, "/c", "/q" and a start that finds the tray taken go no
    // further; they need no privilege.
    const char* options = LowerCaseCopy(commandLine);
    if (AnswerWithoutStarting(options, commandLine, result)) return false;
    if (!EnableShutdownPrivilege()) {
        ErrorBox(PrivilegeMessage);
        return false;
    }
    SetDefaults();
    State.Instance = instance;
    if (!ParseCommandLine(options, commandLine)) {
        *result = ExitNothingDone;
        return false;
    }

    if (State.NoIconMode) {
        if (State.TimerFlag) {
            // Without an icon, a timed exit that could not be armed leaves
            // nothing to wait for.
            if (!StartTimedExit()) return false;
        } else if (!ArmsWhenChosen(State)) {
            PerformExit();
            return false;
        }
    }

    // Without its window the program could neither be seen nor ended.
    if (!RegisterMainWindowClass() || !CreateMainWindow()) {
        ErrorBox(NoWindowMessage);
        *result = NoWindowResult;
        return false;
    }
    TimedExitWindowMade();
    if (!State.NoIconMode) AcceptHandOvers(State.MainWindow);
    UpdateBlockReason();
    // A timed exit armed by the command line already holds the hotkey off:
    // registering it now would let it start a second one.
    if (State.HotkeyFlag && !State.TimerRunning) SetHotkey(1);
    ShowExitTypeIcon(true);
    if (State.TimerRunning) ShowTimedExitIcon();
    LoadMenus();
    UpdateFullMenu();
    InitializeCom();
    return true;
}

int RunMessageLoop()
{
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0)) {
        if (!TranslateAcceleratorA(State.MainWindow, State.Accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

void Teardown()
{
    DeleteTrayIcon(State.MainWindow);
    SetHotkey(0);
    UninitializeCom();
}

int ProgramMain(HINSTANCE instance, const char* commandLine)
{
    ResetProgramState();
    int result = 0;
    if (!StartProgram(instance, commandLine, &result)) return result;
    result = RunMessageLoop();
    Teardown();
    return result;
}
