// Arming and cancelling a timed exit: the exit timer, the warning timer and
// the countdown timer.
#ifndef DORVA_SCHEDULER_H
#define DORVA_SCHEDULER_H

#include <windows.h>

#include "core/time_of_day.h"
#include "timer/cancel.h"

// A timeout or warning is 1 to 999999 s: nothing else is armed, so that no
// bad number becomes "now".
constexpr int MaxTimedSeconds = 999999;
constexpr bool IsTimedSeconds(int seconds) { return seconds >= 1 && seconds <= MaxTimedSeconds; }

// The refusals of a program's name and of the minutes without input.
constexpr char BadProgramText[] = "A program is named by its file name alone (at most 64 characters,\n"
                                  "no folder and no wildcard), or by its process id";
constexpr char BadMinutesText[] = "Minutes without input must be 1 to 1440";

// What every road that arms a timed exit says when it could not.
constexpr char TimerNotStarted[] = "Timer not started (Invalid time ?)";

// Arms the timed exit that the settings choose (a timeout, or the time of day
// of AtValue) and returns whether it is armed: not when one already is
// (unless `replace`, which puts the new one in its place once it is known to
// start), the settings choose none or hold no valid time, the system refuses
// the timer, or the warning is longer than the time left (refused with its
// own box). A time or warning refused leaves an armed one as it was.
bool StartTimedExit(bool replace = false);
void CALLBACK ExitTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);
void CALLBACK WarningTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);

// The delay, to the second, until the local clock next shows `time` on one of
// the weekdays `days` (0: any day; 0 ms when it shows it now).
int MillisUntilClockShows(const TimeOfDay& time, int days = 0);

// The minutes Postpone moves by: the setting, or its default when the stored
// number is out of range.
int PostponeMinutesSetting();
// Moves the armed timed exit `minutes` later: a timeout's due time, a time of
// day's once (its next day keeps the time the user set). The countdown window
// closes and comes again at the new warning time; the tip tells the new time.
// False when nothing is armed or `minutes` is out of range.
bool PostponeTimedExit(int minutes);

// The icon of an armed timed exit, whose tip says what happens when
// ("Timed Exit: Logoff at 23:00:00"): for one armed before the icon existed.
void ShowTimedExitIcon();
// The armed timed exit's tip as the clock now makes it; changed only when it
// says something else.
void RefreshTimedExitTip();

// The second of the day that the local clock shows when the armed timed exit
// is due: the time its tip names.
int TimedExitDueSecond();
// The armed timed exit's tip, as the icon shows it ("Timed Exit: Logoff at
// 23:00:00", "Timed Exit: Shutdown when render.exe ends"), also while the icon is hidden.
void MakeArmedTip(char* out, size_t outSize);

// Whether the program or inactivity exit that the settings select can be
// armed now: a good name of a program that runs, good minutes, a system that
// can tell. False after the box that says why not (none unless `tell`).
// True for the other kinds.
bool TimedExitConditionCanArm(bool tell = true);
// The same checks of a name or minutes before they are stored, with the same boxes.
bool ProgramCanBeWatched(const char* name, bool tell = true);
bool InactivityCanBeWatched(int minutes, bool tell = true);
// The system tells the time of the last input (not NT 4).
bool InputTimeKnown();
// A watched program's process may have ended (ProcessEndedMessage).
void TimedExitProcessEnded();
// The main window exists: the waits of a program armed before it now post to it.
void TimedExitWindowMade();

// The clock was changed, or the computer resumed from sleep: an armed
// time-of-day exit looks at the clock again.
void TimedExitClockChanged();
void TimedExitResumed();

#endif
