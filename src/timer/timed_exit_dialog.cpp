// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "timer/timed_exit_dialog.h"

INT_PTR CALLBACK TimedExitProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}
int ValidateTimedExit() { return 1; }
