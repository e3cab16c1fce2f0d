// The Run-before-exit dialog.
#ifndef DORVA_RUN_BEFORE_EXIT_DIALOG_H
#define DORVA_RUN_BEFORE_EXIT_DIALOG_H

#include <windows.h>

INT_PTR CALLBACK RunBeforeExitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void EnableProgramControls(HWND dialog);
void BrowseForProgram(HWND dialog);

#endif
