// The hidden main window: owner of the tray icon, the hotkey, the dialogs and
// the popup menus, and the hub through which their messages arrive.
#ifndef DORVA_MAIN_WINDOW_H
#define DORVA_MAIN_WINDOW_H

#include <windows.h>

// Both return false when the system refuses.
bool RegisterMainWindowClass();
bool CreateMainWindow();
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Ends the program (closes MainWindow) when nothing is left through which the
// user could reach it: no icon, no hotkey, no armed timed exit.
void EndIfUnreachable();

#endif
