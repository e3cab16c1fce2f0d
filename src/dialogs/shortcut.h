// The Shortcut dialog and the creation of "Dorva.lnk".
#ifndef DORVA_SHORTCUT_H
#define DORVA_SHORTCUT_H

#include <windows.h>

INT_PTR CALLBACK ShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
bool CreateShortcut(int onDesktop);

#endif
