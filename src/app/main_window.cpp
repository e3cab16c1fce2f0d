// The hidden main window and its procedure.
#include "app/main_window.h"

#include "app/menus.h"
#include "app/single_instance.h"
#include "app/tray_clicks.h"
#include "exit/perform_exit.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "timer/scheduler.h"

namespace {
LRESULT OnDestroy()
{
    State.ProgramEnding = 1;
    PostQuitMessage(0);
    DestroyMenu(State.FullMenu);
    DestroyMenu(State.ShortMenu);
    return 0;
}

// Another program asks to end the session: refuse while Block Shutdown is on.
LRESULT OnQueryEndSession() { return State.BlockFlag ? 0 : 1; }

// Only the hotkey this program registered counts: another program can post
// the same message. While an exit is being performed it does nothing.
LRESULT OnHotkey(WPARAM id)
{
    if (static_cast<int>(id) != HotkeyId || !State.HotkeyFlag || !State.HotkeyRegistered) return 0;
    if (State.ExitInProgress) return 0;
    if (TimedExitChosen(State)) {
        if (TimedExitConditionCanArm() && !StartTimedExit()) ErrorBox(TimerNotStarted);
    } else {
        PerformExit();
    }
    return 0;
}

// Nobody sees this window, yet it can hold the keyboard after a menu closed:
// Alt+F4 would close it and Alt+Space open its window menu, ending the
// program and dropping an armed exit. A close that another program asks for
// (WM_CLOSE) still ends it; the screen saver and the monitor's power commands
// that reach the foreground window keep their default handling.
bool IsKeyboardWindowCommand(WPARAM command)
{
    const WPARAM type = command & 0xFFF0;
    return type == SC_CLOSE || type == SC_KEYMENU;
}

// While the exit waits for a program it started, messages sent to the main
// window are answered, but no command or hotkey that the user or another
// program sends runs; the tray icon's clicks can only stop the wait.
bool IsUserInput(UINT message) { return message == WM_COMMAND || message == WM_HOTKEY; }
}  // namespace

bool RegisterMainWindowClass()
{
    WNDCLASSA windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = State.Instance;
    windowClass.hIcon = LoadProgramIcon(ProgramIcon);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = MainClassName;
    // Registered already (a second start-up in one process) is as good.
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CreateMainWindow()
{
    State.MainWindow = CreateWindowExA(0, MainClassName, MainClassName, WS_SYSMENU | WS_MINIMIZEBOX,
                                       0, 0, 0, 0, nullptr, nullptr, State.Instance, nullptr);
    return State.MainWindow != nullptr;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (State.WaitingForProgram && IsUserInput(message)) return 0;
    switch (message) {
    case WM_DESTROY: return OnDestroy();
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_COMMAND: DispatchCommand(wParam); return 0;
    case WM_HOTKEY: return OnHotkey(wParam);
    case WM_SYSCOMMAND:
        if (IsKeyboardWindowCommand(wParam)) return 0;
        break;
    case TrayMessage: OnTrayMessage(wParam, lParam); return 0;
    case WM_COPYDATA:
        return OnHandOverMessage(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case HeldBoxesMessage: ShowHeldBoxes(); return 0;
    case ProcessEndedMessage: TimedExitProcessEnded(); return 0;
    case WM_TIMECHANGE: TimedExitClockChanged(); break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) TimedExitResumed();
        return TRUE;
    default:
        if (message == TaskbarCreatedMessage() && message != 0) {
            RestoreTrayIcon();
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
