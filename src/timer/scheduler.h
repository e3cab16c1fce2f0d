// Arming and cancelling a timed exit: the exit timer, the warning timer and
// the countdown timer.
#ifndef DORVA_SCHEDULER_H
#define DORVA_SCHEDULER_H

#include <windows.h>

void StartTimedExit();
void CancelTimedExit();
int ParseAtValue();
void ArmWarning();
void CALLBACK ExitTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);
void CALLBACK WarningTimerProc(HWND window, UINT message, UINT_PTR id, DWORD tick);

// After a resume or a clock change: an armed time-of-day exit is armed again
// from the clock, so that it still comes at its time of day.
void RearmTimeOfDayExit();

#endif
