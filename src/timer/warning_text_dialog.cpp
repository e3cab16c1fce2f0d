// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "timer/warning_text_dialog.h"

INT_PTR CALLBACK WarningTextProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}
