// The countdown window shown during the last seconds of a timed exit.
#ifndef DORVA_COUNTDOWN_H
#define DORVA_COUNTDOWN_H

#include <windows.h>

INT_PTR CALLBACK CountdownProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK CountdownTick(HWND window, UINT message, UINT_PTR id, DWORD tick);
void MakeDefaultWarningText();

#endif
