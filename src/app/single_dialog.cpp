// Finding the open dialog of a kind, and a dialog busy behind its box.
#include "app/single_dialog.h"

#include "app/program_state.h"

#include <cstring>

namespace {
constexpr char DialogClassName[] = "#32770";
// Marks a dialog whose button handler is running (and maybe showing a box).
constexpr char BusyProperty[] = "DorvaBusy";

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
        // bring forward. One busy behind its box leaves the box in front.
        HWND front = GetLastActivePopup(open);
        if (GetPropA(open, BusyProperty) || !IsWindowVisible(front) || !IsWindowEnabled(front)) return;
        SetForegroundWindow(front);
        return;
    }
    DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
}

DialogBusy::DialogBusy(HWND dialog) : dialog_(dialog), entered_(GetPropA(dialog, BusyProperty) == nullptr)
{
    if (entered_) SetPropA(dialog_, BusyProperty, reinterpret_cast<HANDLE>(1));
}

DialogBusy::~DialogBusy()
{
    if (entered_) RemovePropA(dialog_, BusyProperty);
}
