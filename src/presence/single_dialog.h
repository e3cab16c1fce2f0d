// One dialog of each kind: a request for a dialog that is open already brings
// it to the front instead of opening a second copy over it, and a dialog's
// buttons do not stack a second box over the one they raised.
#ifndef DORVA_SINGLE_DIALOG_H
#define DORVA_SINGLE_DIALOG_H

#include <windows.h>

// Runs the modal dialog of `templateId`, owned by `owner`, unless the dialog
// of its kind is open: `openDialog` is its ProgramState field, which the
// dialog sets when it opens and which is cleared here once it has closed.
// An open one comes to the front (or the dialog it has opened over itself).
void RunDialogOnce(int templateId, HWND owner, DLGPROC procedure, HWND& openDialog);

// Held by a dialog's button handler that may show a box. The boxes have no
// owner, so the dialog stays usable behind its box: a second press of a
// button that raises boxes, while one is open, is ignored (Entered() is false
// for it), so that it cannot stack a second box and a second round of what
// the button does. Buttons that only switch something go on working.
class DialogBusy {
public:
    explicit DialogBusy(HWND dialog);
    ~DialogBusy();
    DialogBusy(const DialogBusy&) = delete;
    DialogBusy& operator=(const DialogBusy&) = delete;
    bool Entered() const { return entered_; }

private:
    HWND dialog_;
    bool entered_;
};

#endif
