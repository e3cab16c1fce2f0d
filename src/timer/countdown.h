// The countdown window shown during the last seconds of a timed exit.
#ifndef DORVA_COUNTDOWN_H
#define DORVA_COUNTDOWN_H

#include <windows.h>

INT_PTR CALLBACK CountdownProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK CountdownTick(HWND window, UINT message, UINT_PTR id, DWORD tick);
void MakeDefaultWarningText();
// Until the user edits it, the warning text is the default of the exit type
// that will happen: made afresh when it is empty or still the default.
void UpdateDefaultWarningText();

#endif
