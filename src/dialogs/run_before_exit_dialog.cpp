// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "dialogs/run_before_exit_dialog.h"

INT_PTR CALLBACK RunBeforeExitDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}
void EnableProgramControls() {}
void BrowseForProgram() {}
