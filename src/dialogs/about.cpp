// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "dialogs/about.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}
