// The Registry dialog.
#ifndef DORVA_REGISTRY_DIALOG_H
#define DORVA_REGISTRY_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK RegistryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillRegistryDialog(HWND dialog);
bool ApplyRegistryDialog(HWND dialog);
// Whether the switch of `checkBox` read as on when the dialog opened: what
// OK compares the check box with.
int OpeningSwitch(HWND dialog, int checkBox);

#endif
