// Arming and cancelling a timed exit: the exit timer, the warning timer and
// the countdown timer.
#ifndef DORVA_SCHEDULER_H
#define DORVA_SCHEDULER_H

#include <windows.h>

#include "timer/cancel.h"

// A timeout or warning is 1 to 999999 s: nothing else is armed, so that no
// bad number becomes "now".
constexpr int MaxTimedSeconds = 999999;
constexpr bool IsTimedSeconds(int seconds) { return seconds >= 1 && seconds <= MaxTimedSeconds; }

// Arms the timed exit that the settings select; true when it is armed. Only
// one at a time: while one is armed nothing happens, unless `replace`, which
// puts the new one in its place once it is known to start (a refused one
// leaves the armed one as it was).
bool StartTimedExit(bool replace = false);
void CALLBACK ExitTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);
void CALLBACK WarningTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);

// The hhmmss time of `text` split into AtHour, AtMinute and AtSecond; when it
// is valid (1), MillisToExit is the delay until the clock next shows it, to
// the second (the time now gives 0).
int ParseTimeOfDay(const char* text);

// The icon of an armed timed exit, whose tip says what happens when
// ("Timed Exit: Logoff at 23:00:00"): for one armed before the icon existed.
void ShowTimedExitIcon();

// The second of the day that the local clock shows when the armed timed exit
// is due: the time its tip names.
int TimedExitDueSecond();

// The clock was changed, or the computer resumed from sleep: an armed
// time-of-day exit looks at the clock again.
void TimedExitClockChanged();
void TimedExitResumed();

#endif
