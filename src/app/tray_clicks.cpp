// The tray icon's mouse events: a click performs the exit or starts or
// cancels a timed exit, Shift with a click opens the short menu, the right
// button the full menu.
#include "app/tray_clicks.h"

#include "app/menus.h"
#include "exit/perform_exit.h"
#include "exit/run_programs.h"
#include "state/program_state.h"
#include "timer/scheduler.h"

namespace {
bool ShiftIsDown() { return GetAsyncKeyState(VK_SHIFT) < 0; }

// Shows a popup menu at the cursor and returns the command picked, 0 for
// none. The pick comes back from the menu itself, so that nothing else that
// arrives meanwhile (the re-selection posted when a timed exit fires while
// the menu is open) can pass for it.
UINT ShowPopupMenu(HMENU menu)
{
    SetForegroundWindow(State.MainWindow);
    POINT cursor = {};
    GetCursorPos(&cursor);
    UINT picked = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD, cursor.x, cursor.y, 0, State.MainWindow, nullptr));
    PostMessageA(State.MainWindow, WM_NULL, 0, 0);
    return picked;
}

// A pick from the short menu selects its exit type and performs that exit,
// once.
void OnLeftButtonDown()
{
    State.PickToExit = 0;
    if (!ShiftIsDown() || State.WaitingForProgram) {
        if (State.ClickFlag) TrayClickAction();
        return;
    }
    UpdateShortMenu();
    UINT pick = ShowPopupMenu(State.ShortMenu);
    if (!pick) return;
    State.PickToExit = 1;
    DispatchCommand(pick);
}

void OnRightButtonDown()
{
    UpdateFullMenu();
    if (UINT pick = ShowPopupMenu(State.FullMenu)) DispatchCommand(pick);
}
}  // namespace

void OnTrayMessage(WPARAM, LPARAM mouseMessage)
{
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDOWN: OnLeftButtonDown(); break;
    case WM_LBUTTONDBLCLK:
        if (!State.ClickFlag) TrayClickAction();
        break;
    case WM_RBUTTONDOWN: OnRightButtonDown(); break;
    // The tip is read when the pointer rests on the icon: an exit due on
    // another day is "today" once midnight has passed.
    case WM_MOUSEMOVE: RefreshTimedExitTip(); break;
    default: break;
    }
}

void TrayClickAction()
{
    if (State.TimerRunning) {
        CancelTimedExit();
    } else if (State.WaitingForProgram) {
        AskToStopWaiting();
    } else if (State.ExitInProgress) {
        return;  // one exit at a time: not even a timed one beside it
    } else if (State.TimerFlag) {
        if (!StartTimedExit()) ErrorBox(TimerNotStarted);
    } else {
        PerformExit();
    }
}
