// The Registry dialog: saves or deletes the program's own settings and turns
// the four system-wide switches (system_switches.cpp) on or off.
#include "settings/registry_dialog.h"

#include "core/text.h"
#include "presence/single_dialog.h"
#include "settings/settings_store.h"
#include "settings/system_switches.h"
#include "state/program_state.h"

namespace {
constexpr char ChangedMessage[] = "Registry settings changed";
constexpr char ChangedCaption[] = "Ok";
constexpr char FailedMessage[] = "Could not change registry settings";
constexpr char LogonTooLongMessage[] = "The logon name and password can hold at most 39 characters";
// The two outcome beeps are the other way round from the boxes' icons.
constexpr UINT ChangedBeep = 48;
constexpr UINT FailedBeep = 64;

// The switches in the order they are read, with their check boxes. Automatic
// logon is set with the name and the password.
struct SwitchRow {
    int checkBox;
    int (*get)();
    bool (*set)(int on);
};
constexpr SwitchRow Switches[] = {
    {IDC_RG_AUTORUN, GetAutorun, SetAutorun},
    {IDC_RG_NOLOGOFF, GetNoLogOff, SetNoLogOff},
    {IDC_RG_NOCLOSE, GetNoClose, SetNoClose},
    {IDC_RG_AUTOLOGON, GetAutoAdminLogon, nullptr},
};

// The switches as they read when the dialog opened, one bit a row, are the
// dialog's own record: kept in its window's user data, and gone with it.
LONG_PTR SwitchBit(const SwitchRow& row) { return LONG_PTR(1) << (&row - Switches); }

bool WasOn(HWND dialog, const SwitchRow& row) { return (GetWindowLongPtrA(dialog, DWLP_USER) & SwitchBit(row)) != 0; }

void FillLogonEdits(HWND dialog)
{
    char name[LogonTextSize + 1];
    char password[LogonTextSize + 1];
    ReadLogonTexts(name, password);
    SetDlgItemTextA(dialog, IDC_RG_NAME, name);
    SetDlgItemTextA(dialog, IDC_RG_PASSWORD, password);
    SecureZeroMemory(password, sizeof password);
}

// The name and password that automatic logon stores, as the edits hold them.
// A text is never cut to fit: a password stored without its end would make
// every later logon fail.
struct LogonTexts {
    char name[LogonTextSize + 1];
    char password[LogonTextSize + 1];

    explicit LogonTexts(HWND dialog)
    {
        GetDlgItemTextA(dialog, IDC_RG_NAME, name, sizeof name);
        GetDlgItemTextA(dialog, IDC_RG_PASSWORD, password, sizeof password);
    }
    ~LogonTexts() { SecureZeroMemory(this, sizeof *this); }
    LogonTexts(const LogonTexts&) = delete;
    LogonTexts& operator=(const LogonTexts&) = delete;

    bool Fit() const
    {
        return TextLengthN(name, sizeof name) < LogonTextSize && TextLengthN(password, sizeof password) < LogonTextSize;
    }
};

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void CheckBox(HWND dialog, int id, int on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void ShowOutcome(bool success)
{
    if (success) {
        MessageBeep(ChangedBeep);
        MessageBoxA(nullptr, ChangedMessage, ChangedCaption, MB_SETFOREGROUND | MB_ICONINFORMATION);
    } else {
        MessageBeep(FailedBeep);
        MessageBoxA(nullptr, FailedMessage, nullptr, MB_SETFOREGROUND | MB_ICONEXCLAMATION);
    }
}

void OnOk(HWND dialog)
{
    DialogBusy busy(dialog);
    if (busy.Entered() && ApplyRegistryDialog(dialog)) EndDialog(dialog, 0);
}
}  // namespace

int OpeningSwitch(HWND dialog, int checkBox)
{
    for (const SwitchRow& row : Switches) {
        if (row.checkBox == checkBox) return WasOn(dialog, row) ? 1 : 0;
    }
    return 0;
}

void FillRegistryDialog(HWND dialog)
{
    LONG_PTR opening = 0;
    for (const SwitchRow& row : Switches) {
        const int on = row.get();
        if (on) opening |= SwitchBit(row);
        CheckBox(dialog, row.checkBox, on);
    }
    SetWindowLongPtrA(dialog, DWLP_USER, opening);
    if (IsChecked(dialog, IDC_RG_AUTOLOGON)) FillLogonEdits(dialog);
    // The radio ids are not contiguous (the auto-run box lies between them):
    // each is set by itself.
    CheckBox(dialog, IDC_RG_SAVE, 0);
    CheckBox(dialog, IDC_RG_DELETE, 0);
    CheckBox(dialog, IDC_RG_NOCHANGE, 1);
}

bool ApplyRegistryDialog(HWND dialog)
{
    const bool save = IsChecked(dialog, IDC_RG_SAVE);
    const bool remove = IsChecked(dialog, IDC_RG_DELETE);
    const bool noChange = IsChecked(dialog, IDC_RG_NOCHANGE);
    const bool autoLogon = IsChecked(dialog, IDC_RG_AUTOLOGON);

    bool anyChanged = false;
    for (const SwitchRow& row : Switches) {
        if (IsChecked(dialog, row.checkBox) != WasOn(dialog, row)) anyChanged = true;
    }
    if (!anyChanged && noChange) return true;

    // Checked before anything is written: a refused name or password leaves
    // every switch and the settings as they were.
    const LogonTexts logon(dialog);
    const bool autoLogonChanged = autoLogon != (OpeningSwitch(dialog, IDC_RG_AUTOLOGON) != 0);
    if (autoLogonChanged && autoLogon && !logon.Fit()) {
        ErrorBox(LogonTooLongMessage);
        return false;
    }

    bool switchesDone = true;
    for (const SwitchRow& row : Switches) {
        const int wanted = IsChecked(dialog, row.checkBox) ? 1 : 0;
        if (wanted == (WasOn(dialog, row) ? 1 : 0)) continue;
        const bool set = row.set ? row.set(wanted) : SetAutoAdminLogon(wanted, logon.name, logon.password);
        if (!set) switchesDone = false;
    }
    bool settingsDone = true;
    if (remove) {
        settingsDone = DeleteSettings();
    } else if (save) {
        settingsDone = SaveSettings();
    }
    const bool success = switchesDone && settingsDone;
    ShowOutcome(success);
    return success;
}

INT_PTR CALLBACK RegistryDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        State.RegistryDialog = dialog;
        FillRegistryDialog(dialog);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OnOk(dialog); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        default: break;
        }
        break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    default: break;
    }
    return FALSE;
}
