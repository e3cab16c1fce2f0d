// The About box.
#ifndef DORVA_ABOUT_H
#define DORVA_ABOUT_H

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
