// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "timer/scheduler.h"

void StartTimedExit() {}
void CancelTimedExit() {}
int ParseAtValue() { return 0; }
void ArmWarning() {}
void CALLBACK ExitTimerProc(HWND, UINT, UINT_PTR, DWORD) {}
void CALLBACK WarningTimerProc(HWND, UINT, UINT_PTR, DWORD) {}
void RearmTimeOfDayExit() {}
