// Arming, firing and cancelling a timed exit: one system timer holds the exit
// for its whole delay, a one-shot warning timer opens the countdown window,
// and nothing polls.
#include "timer/scheduler.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/tray_icon.h"
#include "core/decimal.h"
#include "core/time_of_day.h"
#include "dialogs/hotkey.h"
#include "exit/perform_exit.h"
#include "exit/system_actions.h"
#include "timer/countdown.h"

#include <climits>

namespace {
constexpr char TimedExitIcon[] = "Icon_7";
constexpr char TimedExitTip[] = "Timed Exit";
constexpr char WarningTooLongText[] = "Warning time is bigger than timeout";
constexpr UINT CountdownPeriodMs = 1000;
constexpr int MillisPerSecond = 1000;

// Where the warning of the armed exit stands. WarnTimerId holds the warning
// timer while Pending and the one-second countdown timer while Counting.
enum class WarningStage { None, Pending, Counting };

// What the scheduler remembers of the exit it armed, so that a clock change
// or a resume can arm the same time of day again. Everything else lives in
// State; this is cleared by every cancel.
struct ArmedExit {
    bool atTimeOfDay;          // armed from AtValue, not from a timeout
    int hour, minute, second;  // the time of day it is due
    int warnSeconds;           // the warning length it was armed with
    WarningStage warning;
};
ArmedExit Armed = {};
// Counts the timed exits armed so far: tells whether the one that a message
// box was shown for is still the one armed once the box is dismissed.
unsigned ArmingCount = 0;

// SetTimer takes an unsigned delay; a negative one would wrap to weeks.
UINT TimerDelay(long long millis)
{
    if (millis < 0) return 0;
    if (millis > INT_MAX) return INT_MAX;
    return static_cast<UINT>(millis);
}

long long WarningLead(int millisToExit, int warnSeconds)
{
    return static_cast<long long>(millisToExit) - static_cast<long long>(warnSeconds) * MillisPerSecond;
}

void KillTimerOnce(UINT_PTR* id)
{
    if (*id) KillTimer(nullptr, *id);
    *id = 0;
}

// The warning time has come: a one-second countdown timer replaces the
// warning timer and counts `seconds` down. With `openWindow` the countdown
// window opens (its first tick shows `seconds`); otherwise an existing window
// is refreshed and a closed one stays closed.
void StartCountdown(int seconds, bool openWindow)
{
    KillTimerOnce(&State.WarnTimerId);
    State.WarnTimerId = SetTimer(nullptr, 0, CountdownPeriodMs, CountdownTick);
    if (!State.WarnTimerId) {
        Armed.warning = WarningStage::None;
        return;
    }
    Armed.warning = WarningStage::Counting;
    State.CountdownLeft = seconds + 1;
    if (openWindow) {
        State.CountdownWindow = CreateDialogParamA(State.Instance, MAKEINTRESOURCEA(IDD_COUNTDOWN),
                                                   State.MainWindow, CountdownProc, 0);
    } else {
        CountdownTick(nullptr, 0, 0, 0);
    }
}

void CloseCountdownWindow()
{
    HWND window = State.CountdownWindow;
    State.CountdownWindow = nullptr;
    if (window && IsWindow(window)) DestroyWindow(window);
}

// The exit timer of a time-of-day exit has just been armed again: bring its
// warning in line with the new delay.
//  - Warning still to come: its timer is armed again for the new lead, or,
//    when the warning time has already been reached, the countdown opens now
//    showing the real seconds left.
//  - Countdown running and the exit now within the warning time: it goes on,
//    re-counted from the real seconds left and ticking in step with the new
//    exit timer.
//  - Countdown running but the exit moved further away than the warning
//    time: the countdown stops; if its window was still shown, the warning is
//    armed again and opens at its new time. A window the user closed is not
//    shown again for this timed exit.
void RearmWarning()
{
    long long lead = WarningLead(State.MillisToExit, Armed.warnSeconds);
    int secondsLeft = State.MillisToExit / MillisPerSecond;
    switch (Armed.warning) {
    case WarningStage::None: return;
    case WarningStage::Pending:
        KillTimerOnce(&State.WarnTimerId);
        if (lead > 0) {
            State.WarnTimerId = SetTimer(nullptr, 0, TimerDelay(lead), WarningTimerProc);
            if (!State.WarnTimerId) Armed.warning = WarningStage::None;
        } else {
            StartCountdown(secondsLeft, true);
        }
        return;
    case WarningStage::Counting:
        if (lead <= 0) {
            StartCountdown(secondsLeft, false);
            return;
        }
        {
            bool windowShown = State.CountdownWindow && IsWindow(State.CountdownWindow);
            KillTimerOnce(&State.WarnTimerId);
            CloseCountdownWindow();
            Armed.warning = WarningStage::None;
            if (!windowShown) return;
            State.WarnTimerId = SetTimer(nullptr, 0, TimerDelay(lead), WarningTimerProc);
            if (State.WarnTimerId) Armed.warning = WarningStage::Pending;
        }
        return;
    }
}
}  // namespace

int ParseAtValue()
{
    State.AtNumber = DecimalToInt(State.AtValue);
    if (!SplitTimeOfDay(State.AtNumber, &State.AtHour, &State.AtMinute, &State.AtSecond)) return 0;
    SYSTEMTIME now = {};
    SysGetLocalTime(&now);
    State.MillisToExit = MillisUntilTimeOfDay(State.AtHour, State.AtMinute, State.AtSecond,
                                              now.wHour, now.wMinute, now.wSecond);
    return 1;
}

void StartTimedExit()
{
    // Only one timed exit at a time: a second start (the hotkey registered at
    // start-up while a time-of-day exit already runs) would leave the first
    // timers running with their ids lost.
    if (State.TimerRunning) return;
    if (State.AtFlag && !ParseAtValue()) return;
    if (State.TimerFlag) {
        State.MillisToExit = static_cast<int>(static_cast<unsigned>(State.TimeoutSeconds) * MillisPerSecond);
    }
    State.ExitTimerId = SetTimer(nullptr, 0, TimerDelay(State.MillisToExit), ExitTimerProc);
    State.TimerRunning = State.ExitTimerId;
    if (!State.ExitTimerId) return;

    ++ArmingCount;
    Armed = {};
    Armed.atTimeOfDay = State.AtFlag && !State.TimerFlag;
    Armed.hour = State.AtHour;
    Armed.minute = State.AtMinute;
    Armed.second = State.AtSecond;
    Armed.warnSeconds = State.WarnSeconds;

    ModifyTrayIcon(LoadProgramIcon(TimedExitIcon), TimedExitTip);
    SetHotkey(0);
    if (State.WarnFlag) ArmWarning();
}

void ArmWarning()
{
    long long lead = WarningLead(State.MillisToExit, State.WarnSeconds);
    if (lead < 0) {
        unsigned arming = ArmingCount;
        ErrorBox(WarningTooLongText);
        // The exit timer may have fired, or the exit been cancelled and armed
        // anew, while the box was open: only the timed exit this warning
        // belongs to is ended, and an exit that already happened is not
        // re-selected a second time.
        if (State.TimerRunning && ArmingCount == arming) CancelTimedExit();
        if (State.NoIconMode) PostQuitMessage(0);
        return;
    }
    State.WarnTimerId = SetTimer(nullptr, 0, TimerDelay(lead), WarningTimerProc);
    Armed.warnSeconds = State.WarnSeconds;
    Armed.warning = State.WarnTimerId ? WarningStage::Pending : WarningStage::None;
}

void CALLBACK WarningTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    // A timer message still queued from a killed timer is not the warning.
    if (id != State.WarnTimerId || Armed.warning != WarningStage::Pending) return;
    StartCountdown(State.WarnSeconds, true);
}

void CALLBACK ExitTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    // After a cancel nothing may exit, even a timer message already queued.
    if (!State.TimerRunning || id != State.ExitTimerId) return;
    CancelTimedExit();
    PerformExit();  // does nothing while TimerRunning is set: cancel first
    EndIfUnreachable();
}

void CancelTimedExit()
{
    State.TimerRunning = 0;
    // Ids are cleared once killed: the system reuses them for later timers.
    KillTimerOnce(&State.ExitTimerId);
    KillTimerOnce(&State.WarnTimerId);
    Armed = {};
    CloseCountdownWindow();
    SetHotkey(State.HotkeyFlag);
    // Posted, so the exit type's icon comes back after the current handler
    // (for the exit timer: after the exit it performs). A stored number that
    // is no exit type is not posted: as a command it could toggle a setting,
    // open a dialog or end the program (100, 120, 130, ...).
    if (FindExitType(State.ExitType)) {
        PostMessageA(State.MainWindow, WM_COMMAND, static_cast<WPARAM>(State.ExitType), 0);
    }
}

void RearmTimeOfDayExit()
{
    if (!State.TimerRunning || !Armed.atTimeOfDay) return;
    SYSTEMTIME now = {};
    SysGetLocalTime(&now);
    int millis = MillisUntilTimeOfDay(Armed.hour, Armed.minute, Armed.second, now.wHour, now.wMinute,
                                      now.wSecond);
    // The new timer is made before the old one goes, so a refusal leaves the
    // exit armed as it was.
    UINT_PTR id = SetTimer(nullptr, 0, TimerDelay(millis), ExitTimerProc);
    if (!id) return;
    KillTimer(nullptr, State.ExitTimerId);
    State.ExitTimerId = id;
    State.TimerRunning = id;
    State.MillisToExit = millis;
    RearmWarning();
}
