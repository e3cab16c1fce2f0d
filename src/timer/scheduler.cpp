// Arming, firing and cancelling a timed exit. A timeout is a deadline on the
// tick count; a time of day is a moment on the local clock, turned into UTC by
// the time zone's rules (so that a daylight-saving switch, which no message
// announces, moves nothing) and read again at every wake, clock change and
// resume. One exit timer wakes the program at the due time, a one-shot
// warning timer opens the countdown window, and every wake looks at the
// clocks before it acts: an early or forged timer message exits nothing.
#include "timer/scheduler.h"

#include "core/exit_types.h"
#include "core/job_text.h"
#include "core/text.h"
#include "core/time_of_day.h"
#include "dialogs/hotkey.h"
#include "exit/perform_exit.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "system/system_actions.h"
#include "timer/clocks.h"
#include "timer/countdown.h"
#include "timer/job_watch.h"

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
// Processes of the watched program that cannot be waited on are looked for
// this often, and only while there are any.
constexpr int RelistPeriodMs = 10 * 1000;
constexpr char NoProcessListText[] = "Exit when a program ends is not available on this system";
constexpr char NoLastInputText[] = "Exit after minutes without input is not available on this system";
constexpr char NoSuchProgramText[] = "No running program is named ";
constexpr char NoSuchProcessText[] = "No running program has the process id ";

// The clock events come last.
enum class Wake { ExitTimer, WarningTimer, ProcessEnded, ClockChange, Resume };

// An exit that waits for a program or for a stretch without input.
bool HasCondition(const ArmedTimedExit& armed)
{
    return armed.kind == TimedExitKind::ProgramEnds || armed.kind == TimedExitKind::Inactivity;
}

// One that waits still: its condition is not met yet.
bool WaitsForCondition(const ArmedTimedExit& armed) { return HasCondition(armed) && !armed.conditionMet; }

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
    if (WaitsForCondition(armed)) return INT_MAX;
    long long left = armed.kind == TimedExitKind::TimeOfDay ? DueUtc(armed, now) - now.utc
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

// What the tip says: when the exit comes, with the day when that is not
// today, or what it waits for.
void MakeArmedTip(const Clocks& now, char* tip, size_t tipSize)
{
    const ArmedTimedExit& armed = State.Armed;
    const int dueDay = static_cast<int>(DueLocal(now) / MillisPerDay);
    switch (armed.kind) {
    case TimedExitKind::ProgramEnds: MakeProgramTip(State.ExitType, armed.program, tip, tipSize); return;
    case TimedExitKind::Inactivity: MakeInactivityTip(State.ExitType, armed.idleMinutes, tip, tipSize); return;
    default:
        MakeTimedExitTip(State.ExitType, DueSecondOfDay(now), tip, tipSize, dueDay == now.today ? Today : Weekday(dueDay));
        return;
    }
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
    // A condition has no due moment; once met, its countdown is short.
    if (HasCondition(armed)) return;
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
    return fired.kind == TimedExitKind::TimeOfDay && fired.days && State.AtFlag && !State.NoIconMode && !State.TimerRunning &&
           HasTrait(FindExitType(State.ExitType), KeepsBlock);
}

void FireExit(const Clocks& now)
{
    const ArmedTimedExit fired = State.Armed;
    const long long dueUtc = fired.kind == TimedExitKind::TimeOfDay ? DueUtc(fired, now) : 0;
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

// The program has ended, or the input stayed away long enough: the exit
// comes now, or after the countdown of its warning.
void ConditionMet(const Clocks& now)
{
    ArmedTimedExit& armed = State.Armed;
    StopWatchingProcesses();
    // Postponed while it waited: it comes that much after its countdown would have ended.
    if (!armed.warnSeconds && !armed.postponedMs) {
        FireExit(now);
        return;
    }
    armed.conditionMet = 1;
    armed.armTick = now.tick;
    armed.delayMs = static_cast<DWORD>(armed.warnSeconds) * MillisPerSecond + static_cast<DWORD>(armed.postponedMs);
    armed.warning = armed.warnSeconds ? WarningStage::Pending : WarningStage::None;
    if (!ArmExitTimer(static_cast<int>(armed.delayMs))) {
        ErrorBox(TimerNotStarted);
        CancelTimedExit();
        EndIfUnreachable();
        return;
    }
    SyncWarning(static_cast<int>(armed.delayMs));
}

// The processes of the program that run, waited on; the slow look only
// while some cannot be waited on. True when any runs.
bool WatchProgram()
{
    if (WatchProgramProcesses(State.Armed.program) == 0) return false;
    if (State.UnwaitedCount > 0) {
        // The slow look's timer repeats by itself once set.
        if (!State.ExitTimerId) ArmExitTimer(RelistPeriodMs);
        // A refused timer leaves the watch to the handles: the next end looks again.
        if (!State.ExitTimerId) State.TimerRunning = ArmedWithoutTimer;
    } else {
        KillTimerOnce(&State.ExitTimerId);
        State.TimerRunning = ArmedWithoutTimer;
    }
    return true;
}

// Sets the one timer for the moment the limit could first be reached: the
// last input and the limit. Arming counts as input: a session idle for long
// already is not ended the moment the exit is armed. False when the limit
// has been reached.
bool ArmInactivityTimer(const Clocks& now)
{
    DWORD lastInput = now.tick;
    SysGetLastInputTick(&lastInput);  // unreadable: taken as input now
    const DWORD sinceInput = now.tick - lastInput, sinceArming = now.tick - State.Armed.armTick;
    const DWORD idle = sinceInput < sinceArming ? sinceInput : sinceArming;
    const long long left = static_cast<long long>(State.Armed.idleMinutes) * MillisPerMinute - idle;
    if (left <= EarlyToleranceMs) return false;
    // A refused timer leaves the old one, which repeats: its next wake looks again.
    ArmExitTimer(static_cast<int>(left));
    return true;
}

// A wake while the exit waits for its condition: a process of the program
// may have ended, the slow look is due, or the inactivity limit may be reached.
void CheckCondition(Wake wake)
{
    const Clocks now = ReadClocks();
    if (State.Armed.kind == TimedExitKind::Inactivity) {
        if (wake == Wake::ExitTimer && !ArmInactivityTimer(now)) ConditionMet(now);
        return;
    }
    if (wake != Wake::ProcessEnded && wake != Wake::ExitTimer) return;
    // While handles are waited on, their ends tell; the list is looked at
    // once the last of them has signalled, and at the slow look's wakes.
    if (ForgetEndedProcesses() > 0 && wake == Wake::ProcessEnded) return;
    if (!WatchProgram()) ConditionMet(now);
}

// Every wake of a timer, clock change and resume comes here: the exit is
// performed when its due time has come, and otherwise the timers are set for
// the time that is really left.
void CheckTimedExit(Wake wake)
{
    if (!State.TimerRunning) return;
    ArmedTimedExit& armed = State.Armed;
    if (WaitsForCondition(armed)) {
        CheckCondition(wake);
        return;
    }
    const bool atTimeOfDay = armed.kind == TimedExitKind::TimeOfDay;
    // A timeout counts the time that passes, whatever the clock shows.
    if (!atTimeOfDay && wake >= Wake::ClockChange) return;
    if (wake == Wake::ProcessEnded) return;
    Clocks now = ReadClocks();
    // A clock put back shows the time of day again before the day it was due:
    // the exit comes the first time the clock shows it. A postponed one comes
    // at its new time.
    long long next = NextShowing(now, armed);
    if (atTimeOfDay && !armed.postponed && next < armed.dueLocal) armed.dueLocal = next;
    int left = MillisLeft(now);
    if (left <= EarlyToleranceMs) {
        if (!atTimeOfDay || MillisLate(now, wake) <= (armed.wakeUtc ? WokenLateLimitMs : LateLimitMs)) {
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
// its next day); one that waits for a program or for inactivity comes that
// much after its countdown would have ended, and once that countdown runs,
// it moves as a timeout. False when the exit would lie beyond what a timer
// counts.
bool MoveDueTime(const Clocks& now, long long by)
{
    ArmedTimedExit& armed = State.Armed;
    if (WaitsForCondition(armed)) {
        if (armed.postponedMs + by > INT_MAX - static_cast<long long>(armed.warnSeconds) * MillisPerSecond) return false;
        armed.postponedMs += static_cast<int>(by);
        return true;
    }
    const int left = MillisLeft(now);
    if (left > INT_MAX - by) return false;
    if (armed.kind == TimedExitKind::TimeOfDay) {
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
        armed.kind = TimedExitKind::TimeOfDay;
        armed.hour = time.hour;
        armed.minute = time.minute;
        armed.second = time.second;
        // Weekdays that are no digits 1 to 7 are refused where they are
        // entered; a hand-edited stored value limits nothing.
        if (!ParseWeekdays(State.AtDays, &armed.days)) armed.days = 0;
        armed.dueLocal = NextShowing(now, armed.hour, armed.minute, armed.second, armed.days, fromUtc);
    } else if (State.ProgramFlag) {
        if (!IsProgramName(State.ProgramValue)) return false;
        armed.kind = TimedExitKind::ProgramEnds;
        CopyText(armed.program, sizeof armed.program, State.ProgramValue);
    } else if (State.IdleFlag) {
        if (!IsIdleMinutes(State.IdleMinutes)) return false;
        armed.kind = TimedExitKind::Inactivity;
        armed.idleMinutes = State.IdleMinutes;
        armed.armTick = now.tick;
    } else {
        return false;
    }
    armed.checkedUtc = now.utc;
    armed.checkedTick = now.tick;
    armed.warnSeconds = State.WarnFlag && State.WarnSeconds > 0 ? State.WarnSeconds : 0;
    if (!WaitsForCondition(armed) && armed.warnSeconds > SecondsLeftUp(MillisLeft(armed, now))) {
        ErrorBox(WarningTooLongText);
        return false;
    }
    *plan = armed;
    return true;
}

// Armed without a timer of its own, or with the inactivity timer: the hotkey
// goes off and the hourglass comes, as for the other timed exits. A program
// that runs no more by now arms nothing.
bool StartWaitingForCondition(const Clocks& now)
{
    bool armed = false;
    if (State.Armed.kind == TimedExitKind::Inactivity) {
        ArmInactivityTimer(now);
        armed = State.ExitTimerId != 0;
    } else {
        armed = WatchProgram();
    }
    if (!armed || !State.TimerRunning) {
        CancelTimedExit();
        return false;
    }
    ShowTimedExitIcon(now, false);
    SetHotkey(0);
    return true;
}

// False, after the box that says why when `tell`.
bool Refuse(bool tell, const char* text, const char* name = nullptr)
{
    if (!tell) return false;
    char message[HeldBoxTextSize];
    JoinText(message, sizeof message, {text, name});
    ErrorBox(message);
    return false;
}

bool StartTimedExitFrom(const Clocks& now, long long fromUtc)
{
    ArmedTimedExit plan;
    if (!PlanTimedExit(now, fromUtc, &plan)) return false;
    if (State.TimerRunning) CancelTimedExit();
    State.Armed = plan;
    if (WaitsForCondition(plan)) return StartWaitingForCondition(now);
    int left = MillisLeft(now);
    if (!ArmExitTimer(left)) return false;
    ShowTimedExitIcon(now, false);
    SetHotkey(0);
    if (plan.warnSeconds) ArmWarningTimer(WarningLead(left));
    SyncWakeTimer(now, left, true);
    return true;
}
}  // namespace

bool ProgramCanBeWatched(const char* name, bool tell)
{
    unsigned long id = 0;
    if (!IsProgramName(name)) return Refuse(tell, BadProgramText);
    switch (LookForProgram(name)) {
    case ProgramLook::Running: return true;
    case ProgramLook::Unavailable: return Refuse(tell, NoProcessListText);
    case ProgramLook::NoneRunning: break;
    }
    return Refuse(tell, IsProcessIdText(name, &id) ? NoSuchProcessText : NoSuchProgramText, name);
}

bool InactivityCanBeWatched(int minutes, bool tell)
{
    if (!IsIdleMinutes(minutes)) return Refuse(tell, BadMinutesText);
    return InputTimeKnown() || Refuse(tell, NoLastInputText);
}

bool InputTimeKnown()
{
    DWORD tick = 0;
    return SysGetLastInputTick(&tick) != FALSE;
}

bool TimedExitConditionCanArm(bool tell)
{
    if (State.TimerFlag || State.AtFlag) return true;
    if (State.ProgramFlag) return ProgramCanBeWatched(State.ProgramValue, tell);
    return !State.IdleFlag || InactivityCanBeWatched(State.IdleMinutes, tell);
}

void TimedExitProcessEnded() { CheckTimedExit(Wake::ProcessEnded); }

void TimedExitWindowMade()
{
    if (!State.TimerRunning || !WaitsForCondition(State.Armed) || State.Armed.kind != TimedExitKind::ProgramEnds) return;
    StopWatchingProcesses();
    CheckCondition(Wake::ExitTimer);
}

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
    if (!MoveDueTime(now, static_cast<long long>(minutes) * MillisPerMinute)) return false;
    // Still waiting: no timer follows a due time yet.
    ArmedTimedExit& armed = State.Armed;
    if (WaitsForCondition(armed)) return true;
    // The countdown goes; it comes again at the warning time of the new due time.
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
