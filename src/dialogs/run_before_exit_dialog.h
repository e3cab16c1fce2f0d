// The Run-before-exit dialog.
#ifndef DORVA_RUN_BEFORE_EXIT_DIALOG_H
#define DORVA_RUN_BEFORE_EXIT_DIALOG_H

#include <windows.h>
#include <commdlg.h>

// What the Browse buttons work with, a record that lives with the dialog's
// window (its DWLP_USER) and starts afresh when the dialog opens: the edit
// that a Browse fills (1 to 4), the request of the file-open dialog, and its
// file name, "*.*" at first and the name chosen last after that.
struct BrowseRecord {
    int slot;
    OPENFILENAMEA request;
    char fileName[MAX_PATH];
};

INT_PTR CALLBACK RunBeforeExitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void EnableProgramControls(HWND dialog);
void BrowseForProgram(HWND dialog);

#endif
