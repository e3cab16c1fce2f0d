// The hidden main window: owner of the tray icon, the hotkey, the dialogs and
// the popup menus, and the hub through which their messages arrive.
#ifndef DORVA_MAIN_WINDOW_H
#define DORVA_MAIN_WINDOW_H

#include <windows.h>

// Both return false when the system refuses.
bool RegisterMainWindowClass();
bool CreateMainWindow();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
