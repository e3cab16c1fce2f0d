// Performing the selected exit: confirmation, programs first, closing other
// applications, drives, and the request itself.
#ifndef DORVA_PERFORM_EXIT_H
#define DORVA_PERFORM_EXIT_H

#include <windows.h>

void PerformExit();
BOOL CALLBACK ForceCloseWindow(HWND window, LPARAM parameter);

#endif
