// The dialog that edits the countdown window's text.
#ifndef DORVA_WARNING_TEXT_DIALOG_H
#define DORVA_WARNING_TEXT_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK WarningTextProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
