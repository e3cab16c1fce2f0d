// One dialog of each kind: a request for a dialog that is open already brings
// it to the front instead of opening a second copy over it, and a dialog
// takes no input while a box it raised is open.
#ifndef DORVA_SINGLE_DIALOG_H
#define DORVA_SINGLE_DIALOG_H

#include <windows.h>

// The dialog of this thread run by `procedure`, or null when none is open.
HWND FindOpenDialog(DLGPROC procedure);

// Runs the modal dialog of `templateId`, owned by `owner`, unless a dialog
// with the same procedure is open: that one, or the dialog it has opened
// over itself, comes to the front instead.
void RunDialogOnce(int templateId, HWND owner, DLGPROC procedure);

// Held by a dialog's button handler that may show a box. The boxes have no
// owner, so without this the dialog stayed usable behind its box and a
// second press stacked a second box (and a second round of what the button
// does). Afterwards the dialog gets its activation and focus back.
class DialogInputPause {
public:
    explicit DialogInputPause(HWND dialog);
    ~DialogInputPause();
    DialogInputPause(const DialogInputPause&) = delete;
    DialogInputPause& operator=(const DialogInputPause&) = delete;

private:
    HWND dialog_;
    HWND focus_;
};

// The error box for a dialog: shown while the dialog is paused.
void DialogErrorBox(HWND dialog, const char* text);

#endif
