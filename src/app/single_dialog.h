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
