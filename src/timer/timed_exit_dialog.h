// The Timed Exit Options dialog.
#ifndef DORVA_TIMED_EXIT_DIALOG_H
#define DORVA_TIMED_EXIT_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK TimedExitProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
int ValidateTimedExit(HWND dialog);

#endif
