// Cancelling a timed exit, which the scheduler and the countdown window's
// Abort both do.
#ifndef DORVA_CANCEL_H
#define DORVA_CANCEL_H

#include <windows.h>

// Ends any timed exit and restores the idle presentation. Safe to call when
// nothing is armed.
void CancelTimedExit();

// Kills the timer of `*id`, if any, and clears the id.
void KillTimerOnce(UINT_PTR* id);
// Closes the countdown window, if it is open.
void CloseCountdownWindow();

#endif
