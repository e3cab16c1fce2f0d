// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "dialogs/hotkey.h"

void SetHotkey(int) {}
INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}
bool CheckHotkeyLetter() { return true; }
