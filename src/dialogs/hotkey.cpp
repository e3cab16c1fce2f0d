// The global Ctrl+Alt+letter hotkey of the main window and the Set Hotkey
// dialog that switches it and chooses its letter.
#include "dialogs/hotkey.h"

#include "presence/single_dialog.h"
#include "state/program_state.h"

namespace {
constexpr UINT HotkeyModifiers = MOD_CONTROL | MOD_ALT;
constexpr char LetterMessage[] = "Please enter a letter (A-Z)";

// The letter's character code is its virtual-key code (A to Z are stored
// upper-case); the byte is taken as a signed character, as it always was.
UINT HotkeyKeyCode()
{
    return static_cast<UINT>(static_cast<int>(static_cast<signed char>(State.HotKey[0])));
}

void EnableLetterEdit(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_HK_EDIT), State.HotkeyFlag ? TRUE : FALSE);
}

void OnInitDialog(HWND dialog)
{
    State.HotkeyDialog = dialog;
    SetDlgItemTextA(dialog, IDC_HK_EDIT, State.HotKey);
    CheckDlgButton(dialog, IDC_HK_CHECK, State.HotkeyFlag ? BST_CHECKED : BST_UNCHECKED);
    EnableLetterEdit(dialog);
}

// The switch takes effect in ProgramState at once; only OK registers.
void OnToggleHotkey(HWND dialog)
{
    State.HotkeyFlag = State.HotkeyFlag ? 0 : 1;
    EnableLetterEdit(dialog);
    if (State.HotkeyFlag) SetDlgItemTextA(dialog, IDC_HK_EDIT, State.HotKey);
}

void OnOk(HWND dialog)
{
    DialogBusy busy(dialog);
    if (!busy.Entered() || !CheckHotkeyLetter(dialog)) return;
    SetHotkey(State.HotkeyFlag);
    if (CheckHotkeyLetter(dialog)) EndDialog(dialog, 0);
}

void OnCancel(HWND dialog)
{
    DialogBusy busy(dialog);
    if (busy.Entered() && CheckHotkeyLetter(dialog)) EndDialog(dialog, 0);
}

void OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_HK_CHECK: OnToggleHotkey(dialog); break;
    case IDOK: OnOk(dialog); break;
    case IDCANCEL: OnCancel(dialog); break;
    default: break;  // the edit's notifications
    }
}
}  // namespace

// Always drops the current registration first: registering again under the
// same id would otherwise leave an earlier letter active beside the new one.
void SetHotkey(int on)
{
    UnregisterHotKey(State.MainWindow, HotkeyId);
    State.HotkeyRegistered = on && RegisterHotKey(State.MainWindow, HotkeyId, HotkeyModifiers, HotkeyKeyCode());
}

// Only A to Z: a letter of the locale beyond them (an accented letter, a
// sharp s) is no virtual-key code of its own and would not register.
bool CheckHotkeyLetter(HWND dialog)
{
    if (!State.HotkeyFlag) return true;
    GetDlgItemTextA(dialog, IDC_HK_EDIT, State.HotKey, sizeof State.HotKey);
    if (IsHotkeyLetter(State.HotKey[0])) return true;
    ErrorBox(LetterMessage);
    return false;
}

INT_PTR CALLBACK HotkeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); break;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;  // the close box leaves without a check
    default: break;
    }
    return FALSE;
}
