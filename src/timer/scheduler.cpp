// Arming, firing and cancelling a timed exit. A timeout is a deadline on the
// tick count; a time of day is a moment on the local clock, turned into UTC by
// the time zone's rules (so that a daylight-saving switch, which no message
// announces, moves nothing) and read again at every wake, clock change and
// resume. One exit timer wakes the program at the due time, a one-shot
// warning timer opens the countdown window, and every wake looks at the
// clocks before it acts: an early or forged timer message exits nothing.
#include "timer/scheduler.h"

#include "core/exit_types.h"
#include "core/time_of_day.h"
#include "dialogs/hotkey.h"
#include "exit/perform_exit.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "system/system_actions.h"
#include "timer/clocks.h"
#include "timer/countdown.h"

#include <climits>
#include <cstring>

namespace {
constexpr char TimedExitIcon[] = "Icon_7";
constexpr char WarningTooLongText[] = "Warning time is bigger than timeout";
constexpr UINT CountdownPeriodMs = 1000;
constexpr int MillisPerSecond = 1000;
constexpr long long MillisPerMinute = 60 * MillisPerSecond;
constexpr int DaysToFindAWeekday = 8;  // today's time may have passed, and a week after it
// A timer this close before its due time is on time.
constexpr int EarlyToleranceMs = 250;
// A time of day found passed by more than this was slept through; one the
// computer was woken for may take longer to resume (from hibernation).
constexpr long long LateLimitMs = 60 * 1000;
constexpr long long WokenLateLimitMs = 10 * 60 * 1000;
constexpr char CannotWakeText[] = "This computer cannot be woken for the exit:\nit comes when the computer is awake";
constexpr long long FileTimeUnitsPerMilli = 10000;
constexpr long long FileTimeMillisTo1970 = 11644473600000LL;

// The clock events come last.
enum class Wake { ExitTimer, WarningTimer, ClockChange, Resume };

// SetTimer takes an unsigned delay; a negative one would wrap to weeks. No
// delay here exceeds a timeout of 999999 s or a day.
UINT TimerDelay(int millis) { return millis < 0 ? 0 : static_cast<UINT>(millis); }

// The new timer is made before the old one goes: a refusal leaves the old one,
// which repeats, so its next wake looks again.
bool ReplaceTimer(UINT_PTR* id, int millis, TIMERPROC callback)
{
    UINT_PTR made = SysSetTimer(nullptr, 0, TimerDelay(millis), callback);
    if (!made) return false;
    if (*id) SysKillTimer(nullptr, *id);
    *id = made;
    return true;
}

// The countdown shows whole seconds, rounded; it is only shown while the
// exit is still ahead.
int SecondsShown(int millis) { return (millis + MillisPerSecond / 2) / MillisPerSecond; }

// The UTC moment a time of day is due: when the local clock first shows it
// after the last look.
long long DueUtc(const ArmedTimedExit& armed, const Clocks& now)
{
    return UtcWhenClockShows(now.zone, armed.dueLocal, armed.checkedUtc);
}

// The local date and time at which the clock next shows the time of day on
// one of `days` (0: any day), from the UTC moment `from` on: today's, unless
// the clock has shown it already (a time equal to `from` to the second counts
// as shown then). On the night daylight saving ends, a time the clock shows
// twice is due again at its second showing; on the night it starts, a time
// the clock jumps over counts as shown at the jump.
long long NextShowing(const Clocks& now, int hour, int minute, int second, int days, long long from)
{
    const long long today = NextTimeOfDay(now.today, 0, hour, minute, second, true);
    const long long fromSecond = from - from % MillisPerSecond;
    long long local = today;
    for (int day = 0; day < DaysToFindAWeekday; ++day, local += MillisPerDay) {
        if (days && !IsChosenWeekday(days, now.today + day)) continue;
        if (UtcWhenClockShows(now.zone, local, fromSecond) >= fromSecond) return local;
    }
    return local;  // no weekday chosen among seven: not reached, days is never 0 here
}

// One that came again after its exit is not due again at that showing, even
// when the clock is put back to it.
long long NextShowing(const Clocks& now, const ArmedTimedExit& armed)
{
    return NextShowing(now, armed.hour, armed.minute, armed.second, armed.days,
                       armed.repeatsAfterUtc > now.utc ? armed.repeatsAfterUtc : now.utc);
}

// Saturated: a clock put years away needs no exact count.
int MillisLeft(const ArmedTimedExit& armed, const Clocks& now)
{
    long long left = armed.atTimeOfDay ? DueUtc(armed, now) - now.utc
                                       : static_cast<long long>(armed.delayMs) - static_cast<DWORD>(now.tick - armed.armTick);
    return left > INT_MAX ? INT_MAX : left < INT_MIN ? INT_MIN : static_cast<int>(left);
}

int MillisLeft(const Clocks& now) { return MillisLeft(State.Armed, now); }

// The warning is at most 999999 s, and `left` within a day or a timeout then.
int WarningLead(int left) { return left - State.Armed.warnSeconds * MillisPerSecond; }

// The time left in whole seconds, rounded up: a time of day is due to the
// second, so one armed within its second still has that second left.
int SecondsLeftUp(int left) { return (left + MillisPerSecond - 1) / MillisPerSecond; }

// How long ago, in time that really passed, the clock reached the due time.
// Since the last look the clock is taken to have run with the tick count, so
// a jump forward over the due time (the clock put forward) reaches it now,
// and a jump back does not make it late. After a resume the clock is taken
// to have run on through the sleep.
long long MillisLate(const Clocks& now, Wake wake)
{
    const ArmedTimedExit& armed = State.Armed;
    const long long due = DueUtc(armed, now);
    if (wake == Wake::Resume) return now.utc - due;
    long long ran = armed.checkedUtc + static_cast<DWORD>(now.tick - armed.checkedTick);
    return (ran < now.utc ? ran : now.utc) - due;
}

// The local date and time that the clock shows at the due time.
long long DueLocal(const Clocks& now)
{
    const int left = MillisLeft(now);
    return LocalFromUtc(now.zone, now.utc + (left > 0 ? left : 0));
}

int DueSecondOfDay(const Clocks& now) { return static_cast<int>(DueLocal(now) % MillisPerDay / MillisPerSecond); }

// What happens when: the time of day that the clock shows at the due time,
// and its day when that is not today.
void MakeArmedTip(const Clocks& now, char* out, size_t outSize)
{
    const int dueDay = static_cast<int>(DueLocal(now) / MillisPerDay);
    MakeTimedExitTip(State.ExitType, DueSecondOfDay(now), out, outSize, dueDay == now.today ? Today : Weekday(dueDay));
}

// The hourglass, with the tip. Once shown, it changes only when that time
// does (the clock was changed, the exit moved to the next day or postponed).
void ShowTimedExitIcon(const Clocks& now, bool shown)
{
    char tip[sizeof State.TrayData.szTip];
    MakeArmedTip(now, tip, sizeof tip);
    if (shown && std::strcmp(tip, State.TrayData.szTip) == 0) return;
    ModifyTrayIcon(LoadProgramIcon(TimedExitIcon), tip);
}

bool ArmExitTimer(int left)
{
    if (!ReplaceTimer(&State.ExitTimerId, left, ExitTimerProc)) return false;
    State.TimerRunning = State.ExitTimerId;
    return true;
}

// With "Wake the computer for the exit" a waitable timer set for the due
// moment resumes the computer from sleep or hibernation; it follows the due
// moment when that moves. A system that cannot wake for it says so once, at
// arming, and the exit stays armed.
void SyncWakeTimer(const Clocks& now, int left, bool arming)
{
    ArmedTimedExit& armed = State.Armed;
    const long long due = now.utc + (left > 0 ? left : 0);
    // A timeout's due moment is read from two clocks: a few ms is no move.
    if (!State.WakeFlag || (armed.wakeUtc && (due - armed.wakeUtc) / MillisPerSecond == 0)) return;
    if (!State.WakeTimer) State.WakeTimer = SysCreateWaitableTimer();
    SetLastError(ERROR_SUCCESS);
    const BOOL set = State.WakeTimer &&
                     SysSetWaitableTimer(State.WakeTimer, (due + FileTimeMillisTo1970) * FileTimeUnitsPerMilli, TRUE);
    const bool wakes = set && GetLastError() != ERROR_NOT_SUPPORTED;
    armed.wakeUtc = wakes ? due : 0;
    if (!wakes && arming) ErrorBox(CannotWakeText);
}

// A refused timer leaves the warning pending: the next wake tries again.
void ArmWarningTimer(int lead)
{
    ReplaceTimer(&State.WarnTimerId, lead, WarningTimerProc);
    State.Armed.warning = WarningStage::Pending;
}

// The warning time has come: a one-second countdown timer replaces the
// warning timer and counts `seconds` down. With `openWindow` the countdown
// window opens (its first tick shows `seconds`); otherwise an existing window
// is refreshed and a closed one stays closed.
void StartCountdown(int seconds, bool openWindow)
{
    KillTimerOnce(&State.WarnTimerId);
    State.WarnTimerId = SysSetTimer(nullptr, 0, CountdownPeriodMs, CountdownTick);
    if (!State.WarnTimerId) {
        State.Armed.warning = WarningStage::None;
        return;
    }
    State.Armed.warning = WarningStage::Counting;
    State.CountdownLeft = seconds + 1;
    if (openWindow) {
        State.CountdownWindow = CreateDialogParamA(State.Instance, MAKEINTRESOURCEA(IDD_COUNTDOWN),
                                                   State.MainWindow, CountdownProc, 0);
    } else {
        CountdownTick(nullptr, 0, 0, 0);
    }
}

// Brings the warning in line with the time left:
//  - Warning still to come: its timer waits for the warning time, or, when
//    that has come (on time, or the clock jumped into the warning time), the
//    countdown opens showing the real seconds left.
//  - Countdown running and the exit within the warning time: it goes on,
//    re-counted from the real seconds left when the clock moved.
//  - Countdown running but the exit now further away than the warning time
//    (the clock was put back): the countdown stops; if its window was still
//    shown, the warning waits for its new time. A window the user closed is
//    not shown again for this timed exit.
void SyncWarning(int left)
{
    int lead = WarningLead(left);
    int seconds = SecondsShown(left);
    switch (State.Armed.warning) {
    case WarningStage::None: return;
    case WarningStage::Pending:
        if (lead > EarlyToleranceMs) {
            ArmWarningTimer(lead);
        } else {
            StartCountdown(seconds, true);
        }
        return;
    case WarningStage::Counting:
        if (lead <= EarlyToleranceMs) {
            StartCountdown(seconds, false);
            return;
        }
        {
            bool windowShown = State.CountdownWindow && IsWindow(State.CountdownWindow);
            KillTimerOnce(&State.WarnTimerId);
            CloseCountdownWindow();
            State.Armed.warning = WarningStage::None;
            if (windowShown) ArmWarningTimer(lead);
        }
        return;
    }
}

// A time of day that was slept through is not performed late: it moves to
// `next`, the next time the clock shows it, and its warning with it.
void MoveToNextDay(long long next)
{
    ArmedTimedExit& armed = State.Armed;
    armed.dueLocal = next;
    armed.postponed = 0;
    if (!armed.warnSeconds) return;
    KillTimerOnce(&State.WarnTimerId);
    CloseCountdownWindow();
    armed.warning = WarningStage::Pending;
}

bool StartTimedExitFrom(const Clocks& now, long long fromUtc);

// A time of day limited to weekdays comes again on the next chosen day when
// the program runs on after its exit (as the settings still ask for it). The
// exit just performed is not due again: the next showing is after its own.
bool RepeatsAfterExit(const ArmedTimedExit& fired)
{
    return fired.atTimeOfDay && fired.days && State.AtFlag && !State.NoIconMode && !State.TimerRunning &&
           HasTrait(FindExitType(State.ExitType), KeepsBlock);
}

void FireExit(const Clocks& now)
{
    const ArmedTimedExit fired = State.Armed;
    const long long dueUtc = fired.atTimeOfDay ? DueUtc(fired, now) : 0;
    CancelTimedExit();
    PerformExit();  // does nothing while TimerRunning is set: cancel first
    if (RepeatsAfterExit(fired)) {
        const Clocks after = ReadClocks();
        const long long next = dueUtc + MillisPerSecond;
        if (StartTimedExitFrom(after, next > after.utc ? next : after.utc)) State.Armed.repeatsAfterUtc = next;
    }
    EndIfUnreachable();
}

// Sets the timers, the waking timer, the tip and the warning for the time
// that is really left.
void FollowDueTime(const Clocks& now, int left)
{
    ArmedTimedExit& armed = State.Armed;
    armed.checkedUtc = now.utc;
    armed.checkedTick = now.tick;
    ArmExitTimer(left);
    SyncWakeTimer(now, left, false);
    ShowTimedExitIcon(now, true);
    SyncWarning(left);
}

// Every wake of a timer, clock change and resume comes here: the exit is
// performed when its due time has come, and otherwise the timers are set for
// the time that is really left.
void CheckTimedExit(Wake wake)
{
    if (!State.TimerRunning) return;
    ArmedTimedExit& armed = State.Armed;
    // A timeout counts the time that passes, whatever the clock shows.
    if (!armed.atTimeOfDay && wake >= Wake::ClockChange) return;
    Clocks now = ReadClocks();
    // A clock put back shows the time of day again before the day it was due:
    // the exit comes the first time the clock shows it. A postponed one comes
    // at its new time.
    long long next = NextShowing(now, armed);
    if (armed.atTimeOfDay && !armed.postponed && next < armed.dueLocal) armed.dueLocal = next;
    int left = MillisLeft(now);
    if (left <= EarlyToleranceMs) {
        if (!armed.atTimeOfDay || MillisLate(now, wake) <= (armed.wakeUtc ? WokenLateLimitMs : LateLimitMs)) {
            FireExit(now);
            return;
        }
        MoveToNextDay(next);
        left = MillisLeft(now);
    }
    FollowDueTime(now, left);
}

// Each kind of timed exit moves its own due time `by` later: a timeout's
// deadline, a time of day's moment (once: the time the user set stays for
// its next day). False when the exit would lie beyond what a timer counts.
bool MoveDueTime(const Clocks& now, long long by)
{
    ArmedTimedExit& armed = State.Armed;
    const int left = MillisLeft(now);
    if (left > INT_MAX - by) return false;
    if (armed.atTimeOfDay) {
        armed.dueLocal = LocalFromUtc(now.zone, DueUtc(armed, now) + by);
        armed.postponed = 1;
    } else {
        armed.armTick = now.tick;
        armed.delayMs = static_cast<DWORD>((left > 0 ? left : 0) + by);
    }
    return true;
}

// The timed exit that the settings select, as it would be armed now; false
// when they select none that can be armed. A warning longer than the time
// left is refused with its box before anything is armed (an armed one that
// it would replace stays): nothing happens behind the box.
bool PlanTimedExit(const Clocks& now, long long fromUtc, ArmedTimedExit* plan)
{
    ArmedTimedExit armed = {};
    if (State.TimerFlag) {
        if (!IsTimedSeconds(State.TimeoutSeconds)) return false;
        armed.armTick = now.tick;
        armed.delayMs = static_cast<DWORD>(State.TimeoutSeconds) * MillisPerSecond;
    } else if (State.AtFlag) {
        TimeOfDay time;
        if (!ParseTimeOfDay(State.AtValue, &time)) return false;
        armed.atTimeOfDay = 1;
        armed.hour = time.hour;
        armed.minute = time.minute;
        armed.second = time.second;
        // Weekdays that are no digits 1 to 7 are refused where they are
        // entered; a hand-edited stored value limits nothing.
        if (!ParseWeekdays(State.AtDays, &armed.days)) armed.days = 0;
        armed.dueLocal = NextShowing(now, armed.hour, armed.minute, armed.second, armed.days, fromUtc);
    } else {
        return false;
    }
    armed.checkedUtc = now.utc;
    armed.checkedTick = now.tick;
    armed.warnSeconds = State.WarnFlag && State.WarnSeconds > 0 ? State.WarnSeconds : 0;
    if (armed.warnSeconds > SecondsLeftUp(MillisLeft(armed, now))) {
        ErrorBox(WarningTooLongText);
        return false;
    }
    *plan = armed;
    return true;
}

bool StartTimedExitFrom(const Clocks& now, long long fromUtc)
{
    ArmedTimedExit plan;
    if (!PlanTimedExit(now, fromUtc, &plan)) return false;
    if (State.TimerRunning) CancelTimedExit();
    State.Armed = plan;
    int left = MillisLeft(now);
    if (!ArmExitTimer(left)) return false;
    ShowTimedExitIcon(now, false);
    SetHotkey(0);
    if (plan.warnSeconds) ArmWarningTimer(WarningLead(left));
    SyncWakeTimer(now, left, true);
    return true;
}
}  // namespace

int MillisUntilClockShows(const TimeOfDay& time, int days)
{
    const Clocks now = ReadClocks();
    const long long local = NextShowing(now, time.hour, time.minute, time.second, days, now.utc);
    const long long due = UtcWhenClockShows(now.zone, local, now.utc);
    return static_cast<int>(due - (now.utc - now.utc % MillisPerSecond));
}

bool StartTimedExit(bool replace)
{
    // Only one timed exit at a time: a second start (the hotkey registered at
    // start-up while a time-of-day exit already runs) would leave the first
    // timers running with their ids lost. A replacement cancels the armed one
    // once the new one is known to start.
    if (State.TimerRunning && !replace) return false;
    const Clocks now = ReadClocks();
    return StartTimedExitFrom(now, now.utc);
}

int PostponeMinutesSetting()
{
    return IsPostponeMinutes(State.PostponeMinutes) ? State.PostponeMinutes : DefaultPostponeMinutes;
}

bool PostponeTimedExit(int minutes)
{
    if (!State.TimerRunning || !IsPostponeMinutes(minutes)) return false;
    const Clocks now = ReadClocks();
    if (!MoveDueTime(now, minutes * MillisPerMinute)) return false;
    // The countdown goes; it comes again at the warning time of the new due time.
    ArmedTimedExit& armed = State.Armed;
    if (armed.warnSeconds) {
        KillTimerOnce(&State.WarnTimerId);
        CloseCountdownWindow();
        armed.warning = WarningStage::Pending;
    }
    FollowDueTime(now, MillisLeft(now));
    return true;
}

int TimedExitDueSecond() { return DueSecondOfDay(ReadClocks()); }
void MakeArmedTip(char* out, size_t outSize) { MakeArmedTip(ReadClocks(), out, outSize); }

void CALLBACK WarningTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    // A timer message still queued from a killed timer is not the warning.
    if (id != State.WarnTimerId) return;
    CheckTimedExit(Wake::WarningTimer);
}

void CALLBACK ExitTimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    // After a cancel or a re-arming nothing may exit, even a timer message
    // already queued (the check looks whether anything is armed).
    if (id != State.ExitTimerId) return;
    CheckTimedExit(Wake::ExitTimer);
}

void ShowTimedExitIcon() { ShowTimedExitIcon(ReadClocks(), false); }

void RefreshTimedExitTip()
{
    if (State.TimerRunning && State.TrayIconShown) ShowTimedExitIcon(ReadClocks(), true);
}

void TimedExitClockChanged() { CheckTimedExit(Wake::ClockChange); }
void TimedExitResumed() { CheckTimedExit(Wake::Resume); }
