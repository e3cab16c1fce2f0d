// Finding the open dialog of a kind, and pausing a dialog behind its box.
#include "app/single_dialog.h"

#include "app/program_state.h"

#include <cstring>

namespace {
constexpr char DialogClassName[] = "#32770";

struct DialogSearch {
    DLGPROC procedure;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    char className[sizeof DialogClassName + 1] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, DialogClassName) != 0) return TRUE;
    if (GetWindowLongPtrA(window, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(search->procedure)) return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND FindOpenDialog(DLGPROC procedure)
{
    DialogSearch search = {procedure, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void RunDialogOnce(int templateId, HWND owner, DLGPROC procedure)
{
    if (HWND open = FindOpenDialog(procedure)) {
        // A dialog still opening or already ending is not shown: nothing to
        // bring forward. One paused behind its box leaves the box in front.
        HWND front = GetLastActivePopup(open);
        if (IsWindowVisible(front) && IsWindowEnabled(front)) SetForegroundWindow(front);
        return;
    }
    DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
}

DialogInputPause::DialogInputPause(HWND dialog) : dialog_(dialog), focus_(GetFocus())
{
    EnableWindow(dialog_, FALSE);
}

DialogInputPause::~DialogInputPause()
{
    EnableWindow(dialog_, TRUE);
    if (!IsWindowVisible(dialog_)) return;  // the handler ended the dialog
    // A box took the activation, and it cannot come back to a disabled window
    // when the box closes.
    if (GetActiveWindow() != dialog_) SetForegroundWindow(dialog_);
    if (focus_ && IsChild(dialog_, focus_) && GetFocus() != focus_) SetFocus(focus_);
}

void DialogErrorBox(HWND dialog, const char* text)
{
    DialogInputPause pause(dialog);
    ErrorBox(text);
}
