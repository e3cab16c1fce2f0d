// Arming and cancelling a timed exit: the exit timer, the warning timer and
// the countdown timer.
#ifndef DORVA_SCHEDULER_H
#define DORVA_SCHEDULER_H

#include <windows.h>

constexpr int MaxTimedSeconds = 999999;  // a timeout or warning is 1 to 999999 s

void StartTimedExit();
void CancelTimedExit();
int ParseAtValue();
void CALLBACK ExitTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);
void CALLBACK WarningTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);

// The delay until the clock next shows the hhmmss time of `text` (the time
// now gives 0), to the second; false when `text` is no valid time.
bool TimeOfDayDelay(const char* text, int* millis);

// The clock was changed, or the computer resumed from sleep: an armed
// time-of-day exit looks at the clock again.
void TimedExitClockChanged();
void TimedExitResumed();

#endif
