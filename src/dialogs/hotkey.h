// The global Ctrl+Alt+letter hotkey and the Set Hotkey dialog.
#ifndef DORVA_HOTKEY_H
#define DORVA_HOTKEY_H

#include <windows.h>

void SetHotkey(int on);
INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
bool CheckHotkeyLetter(HWND dialog);

// The letters a hotkey can use: A to Z, whose character codes are their
// virtual-key codes.
constexpr bool IsHotkeyLetter(char letter) { return letter >= 'A' && letter <= 'Z'; }

#endif
