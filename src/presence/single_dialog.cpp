// Opening a dialog of a kind once, and a dialog busy behind its box.
#include "presence/single_dialog.h"

#include "state/program_state.h"

namespace {
// Marks a dialog whose button handler is running (and maybe showing a box).
constexpr char BusyProperty[] = "DorvaBusy";
}  // namespace

void RunDialogOnce(int templateId, HWND owner, DLGPROC procedure, HWND& openDialog)
{
    if (openDialog && IsWindow(openDialog)) {
        // The warning text dialog, open over Timed Exit Options, comes
        // forward in its place. One busy behind its box leaves the box in front.
        HWND front = openDialog;
        if (front == State.TimedExitDialog && State.WarningTextDialog) front = State.WarningTextDialog;
        if (!GetPropA(front, BusyProperty)) SetForegroundWindow(front);
        return;
    }
    DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(templateId), owner, procedure, 0);
    openDialog = nullptr;
}

DialogBusy::DialogBusy(HWND dialog) : dialog_(dialog), entered_(GetPropA(dialog, BusyProperty) == nullptr)
{
    if (entered_) SetPropA(dialog_, BusyProperty, reinterpret_cast<HANDLE>(1));
}

DialogBusy::~DialogBusy()
{
    if (entered_) RemovePropA(dialog_, BusyProperty);
}
