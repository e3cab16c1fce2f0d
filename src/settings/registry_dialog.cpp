// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "settings/registry_dialog.h"

INT_PTR CALLBACK RegistryDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    if (message == WM_CLOSE) EndDialog(dialog, 0);
    return FALSE;
}
void FillRegistryDialog() {}
bool ApplyRegistryDialog() { return false; }
int GetAutorun() { return 0; }
int GetNoLogOff() { return 0; }
int GetNoClose() { return 0; }
int GetAutoAdminLogon() { return 0; }
bool SetAutorun(int) { return false; }
bool SetNoLogOff(int) { return false; }
bool SetNoClose(int) { return false; }
bool SetAutoAdminLogon(int) { return false; }
