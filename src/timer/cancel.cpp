// Ending an armed timed exit: its timers and countdown window go, the hotkey
// comes back, and the exit type's icon is put back in place of the hourglass.
#include "timer/cancel.h"

#include "core/exit_types.h"
#include "dialogs/hotkey.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "system/system_actions.h"
#include "timer/job_watch.h"

void KillTimerOnce(UINT_PTR* id)
{
    if (*id) SysKillTimer(nullptr, *id);
    *id = 0;
}

void CloseCountdownWindow()
{
    HWND window = State.CountdownWindow;
    State.CountdownWindow = nullptr;
    if (window && IsWindow(window)) DestroyWindow(window);
}

void CancelTimedExit()
{
    State.TimerRunning = 0;
    // Ids are cleared once killed: the system reuses them for later timers.
    KillTimerOnce(&State.ExitTimerId);
    KillTimerOnce(&State.WarnTimerId);
    CloseCountdownWindow();
    StopWatchingProcesses();
    if (State.Armed.wakeUtc) SysCancelWaitableTimer(State.WakeTimer);
    State.Armed.wakeUtc = 0;
    SetHotkey(State.HotkeyFlag);
    // Posted, so the exit type's icon comes back after the current handler
    // (for the exit timer: after the exit it performs). A stored number that
    // is no exit type is not posted: as a command it could toggle a setting,
    // open a dialog or end the program (100, 120, 130, ...): its icon comes
    // back at once.
    if (FindExitType(State.ExitType)) {
        PostMessageA(State.MainWindow, WM_COMMAND, static_cast<WPARAM>(State.ExitType), 0);
    } else {
        ShowExitTypeIcon(false);
    }
}
