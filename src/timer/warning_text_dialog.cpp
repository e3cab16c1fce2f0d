// The dialog that edits the text above the countdown, and keeps track of
// whether that text is still the generated default or the user's own.
#include "timer/warning_text_dialog.h"

#include "core/text.h"
#include "state/program_state.h"
#include "timer/countdown.h"

#include <cstring>

namespace {
// The text as the one dialog of its kind showed it: OK compares with it.
char ShownText[WarningTextSize];

void OnWarningTextInit(HWND dialog)
{
    State.WarningTextDialog = dialog;
    UpdateDefaultWarningText();
    SetDlgItemTextA(dialog, IDC_WT_EDIT, State.WarningText);
    CopyText(ShownText, sizeof ShownText, State.WarningText);
}

// Only a real change counts as edited (and is then saved with the settings).
void OnWarningTextOk(HWND dialog)
{
    GetDlgItemTextA(dialog, IDC_WT_EDIT, State.WarningText, sizeof State.WarningText);
    if (std::strcmp(State.WarningText, ShownText) != 0) {
        State.WarningTextEdited = 1;
        State.WarningTextOwn = 1;
        State.WarningTextAuto = 0;
    } else {
        State.WarningTextEdited = 0;
    }
    EndDialog(dialog, 0);
}

void OnWarningTextCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK: OnWarningTextOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;
    }
}
}  // namespace

INT_PTR CALLBACK WarningTextProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnWarningTextInit(dialog); return TRUE;
    case WM_COMMAND: OnWarningTextCommand(dialog, LOWORD(wParam)); return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}
