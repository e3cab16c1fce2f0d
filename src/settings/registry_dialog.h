// The Registry dialog and the four system switches.
#ifndef DORVA_REGISTRY_DIALOG_H
#define DORVA_REGISTRY_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK RegistryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void FillRegistryDialog(HWND dialog);
bool ApplyRegistryDialog(HWND dialog);
int GetAutorun();
int GetNoLogOff();
int GetNoClose();
int GetAutoAdminLogon();
bool SetAutorun(int on);
bool SetNoLogOff(int on);
bool SetNoClose(int on);
bool SetAutoAdminLogon(int on, const char* userName, const char* password);

#endif
