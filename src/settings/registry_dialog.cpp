// The Registry dialog: saves or deletes the program's own settings and turns
// four system-wide switches on or off (start with Windows, hide Log Off and
// Shut Down from the Start menu, automatic logon). Every key is opened in the
// 64-bit view on 64-bit Windows, where Windows reads the Run key and Winlogon.
#include "settings/registry_dialog.h"

#include "core/decimal.h"
#include "core/text.h"
#include "presence/single_dialog.h"
#include "settings/registry_view.h"
#include "settings/settings_store.h"
#include "state/program_state.h"

namespace {
constexpr char RunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char RunValue[] = "Dorva NT";
constexpr char PoliciesKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr char NoLogOffValue[] = "NoLogOff";
constexpr char NoCloseValue[] = "NoClose";
constexpr char AutoAdminLogonValue[] = "AutoAdminLogon";
constexpr char UserNameValue[] = "DefaultUserName";
constexpr char PasswordValue[] = "DefaultPassword";

// Allowed read lengths and fixed write lengths, in bytes.
constexpr DWORD PolicyReadSize = 10;
constexpr DWORD PolicyWriteSize = 4;
constexpr DWORD AutoAdminLogonReadSize = 50;
constexpr DWORD AutoAdminLogonWriteSize = 2;
constexpr DWORD LogonTextSize = 40;   // name and password: read, edit bound and write
constexpr DWORD RunValueSize = MAX_PATH;
// The policies are written as type 5 holding a little-endian number; readers
// look only at the four bytes.
constexpr DWORD PolicyType = REG_DWORD_BIG_ENDIAN;

constexpr char ChangedMessage[] = "Registry settings changed";
constexpr char ChangedCaption[] = "Ok";
constexpr char FailedMessage[] = "Could not change registry settings";
constexpr char LogonTooLongMessage[] = "The logon name and password can hold at most 39 characters";
// The two outcome beeps are the other way round from the boxes' icons.
constexpr UINT ChangedBeep = 48;
constexpr UINT FailedBeep = 64;

// "Start with Windows" is the machine's Run value when the program may write
// there, else the current user's: either starts the program at logon.
const HKEY RunStores[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};

bool WriteValue(HKEY key, const char* name, DWORD type, const void* data, DWORD size)
{
    return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// A policy is on when it can be read within 10 bytes and its first four
// bytes, little-endian, are not zero; shorter data counts zero upper bytes.
int GetPolicy(const char* name)
{
    HKEY key = OpenRegistryKey(HKEY_CURRENT_USER, PoliciesKey, KEY_QUERY_VALUE);
    if (!key) return 0;
    BYTE data[PolicyReadSize] = {};
    DWORD size = sizeof data;
    const LONG read = RegQueryValueExA(key, name, nullptr, nullptr, data, &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return 0;
    const DWORD number = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
    return number != 0 ? 1 : 0;
}

bool SetPolicy(const char* name, int on)
{
    HKEY key = OpenRegistryKey(HKEY_CURRENT_USER, PoliciesKey, KEY_ALL_ACCESS);
    if (!key) return false;  // the policy key is never created
    const BYTE number[PolicyWriteSize] = {static_cast<BYTE>(on ? 1 : 0), 0, 0, 0};
    const bool written = WriteValue(key, name, PolicyType, number, sizeof number);
    RegCloseKey(key);
    return written;
}

// Reads a logon text of at most 40 bytes; anything else gives "".
void ReadLogonText(HKEY key, const char* name, char (&text)[LogonTextSize + 1])
{
    ZeroMemory(text, sizeof text);
    DWORD size = LogonTextSize;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS) {
        ZeroMemory(text, sizeof text);
    }
}

void FillLogonEdits(HWND dialog)
{
    HKEY key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_QUERY_VALUE);
    if (!key) return;
    char text[LogonTextSize + 1];
    ReadLogonText(key, UserNameValue, text);
    SetDlgItemTextA(dialog, IDC_RG_NAME, text);
    ReadLogonText(key, PasswordValue, text);
    SetDlgItemTextA(dialog, IDC_RG_PASSWORD, text);
    SecureZeroMemory(text, sizeof text);
    RegCloseKey(key);
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

// Writes a logon text (at most 39 characters) with the fixed 40 bytes.
bool WriteLogonText(HKEY key, const char* name, const char* text)
{
    char data[LogonTextSize] = {};
    CopyText(data, sizeof data, text);
    const bool written = WriteValue(key, name, REG_SZ, data, sizeof data);
    SecureZeroMemory(data, sizeof data);
    return written;
}

// The Run value holds the program's path in double quotes, so that a path
// with spaces cannot start another program placed at its first space. It is
// written with the fixed 260 bytes; a path of 258 or 259 characters needs
// one or two bytes more once quoted and is written with its own length
// instead, never cut.
bool WriteRunValue(HKEY key)
{
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return false;  // no path, or only part of it
    char quoted[MAX_PATH + 2] = "";  // zeros after the text: the value is written at its fixed length
    JoinText(quoted, sizeof quoted, {"\"", path, "\""});  // always fits
    const DWORD quotedSize = length + 3;  // both quotes and the terminator
    return WriteValue(key, RunValue, REG_SZ, quoted, quotedSize > RunValueSize ? quotedSize : RunValueSize);
}

// The value is on whatever it holds.
bool HasRunValue(HKEY root)
{
    HKEY key = OpenRegistryKey(root, RunKey, KEY_QUERY_VALUE);
    if (!key) return false;
    const LONG found = RegQueryValueExA(key, RunValue, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return found == ERROR_SUCCESS;
}

// Writes (on) or deletes (off) the Run value of one store.
bool ChangeRunValue(HKEY root, int on)
{
    HKEY key = OpenRegistryKey(root, RunKey, KEY_SET_VALUE);
    if (!key) return false;
    const bool done = on ? WriteRunValue(key) : RegDeleteValueA(key, RunValue) == ERROR_SUCCESS;
    RegCloseKey(key);
    return done;
}

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

int GetAutorun()
{
    for (HKEY root : RunStores) {
        if (HasRunValue(root)) return 1;
    }
    return 0;
}

int GetNoLogOff() { return GetPolicy(NoLogOffValue); }

int GetNoClose() { return GetPolicy(NoCloseValue); }

int GetAutoAdminLogon()
{
    HKEY key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_QUERY_VALUE);
    if (!key) return 0;
    char text[AutoAdminLogonReadSize] = {};
    DWORD size = sizeof text;
    const LONG read = RegQueryValueExA(key, AutoAdminLogonValue, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) return 0;
    return DecimalToIntN(text, size) != 0 ? 1 : 0;
}

// On writes the machine's Run value, or the user's where the machine's cannot
// be written. Off succeeds only when neither holds the value any more: one left
// in the machine's key would still start the program.
bool SetAutorun(int on)
{
    if (GetAutorun() == (on ? 1 : 0)) return true;
    if (on) return ChangeRunValue(HKEY_LOCAL_MACHINE, 1) || ChangeRunValue(HKEY_CURRENT_USER, 1);
    bool removed = true;
    for (HKEY root : RunStores) {
        if (HasRunValue(root) && !ChangeRunValue(root, 0)) removed = false;
    }
    return removed;
}

bool SetNoLogOff(int on) { return SetPolicy(NoLogOffValue, on); }

bool SetNoClose(int on) { return SetPolicy(NoCloseValue, on); }

// Off deletes the plain-text password as well: nothing is left to log on
// with. A password already missing is no failure.
bool SetAutoAdminLogon(int on, const char* userName, const char* password)
{
    HKEY key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_WRITE);
    if (!key) return false;
    const char* flag = on ? "1" : "0";
    bool done = WriteValue(key, AutoAdminLogonValue, REG_SZ, flag, AutoAdminLogonWriteSize);
    if (on) {
        // The name and the password are written whatever the flag's write
        // gave; the result reports all three.
        const bool nameWritten = WriteLogonText(key, UserNameValue, userName);
        const bool passwordWritten = WriteLogonText(key, PasswordValue, password);
        done = done && nameWritten && passwordWritten;
    } else {
        const LONG deleted = RegDeleteValueA(key, PasswordValue);
        done = done && (deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND);
    }
    RegCloseKey(key);
    return done;
}

void FillRegistryDialog(HWND dialog)
{
    State.SwitchAutorun = GetAutorun();
    State.SwitchNoLogOff = GetNoLogOff();
    State.SwitchNoClose = GetNoClose();
    State.SwitchAutoAdminLogon = GetAutoAdminLogon();
    if (State.SwitchAutoAdminLogon) FillLogonEdits(dialog);
    CheckBox(dialog, IDC_RG_AUTORUN, State.SwitchAutorun);
    CheckBox(dialog, IDC_RG_NOLOGOFF, State.SwitchNoLogOff);
    CheckBox(dialog, IDC_RG_NOCLOSE, State.SwitchNoClose);
    CheckBox(dialog, IDC_RG_AUTOLOGON, State.SwitchAutoAdminLogon);
    // The radio ids are not contiguous (the auto-run box lies between them):
    // each is set by itself.
    CheckBox(dialog, IDC_RG_SAVE, 0);
    CheckBox(dialog, IDC_RG_DELETE, 0);
    CheckBox(dialog, IDC_RG_NOCHANGE, 1);
}

bool ApplyRegistryDialog(HWND dialog)
{
    struct Switch {
        int checkBox;
        int readAtOpening;
        bool (*set)(int on);
    };
    const Switch switches[] = {
        {IDC_RG_AUTORUN, State.SwitchAutorun, SetAutorun},
        {IDC_RG_NOLOGOFF, State.SwitchNoLogOff, SetNoLogOff},
        {IDC_RG_NOCLOSE, State.SwitchNoClose, SetNoClose},
    };
    const bool save = IsChecked(dialog, IDC_RG_SAVE);
    const bool remove = IsChecked(dialog, IDC_RG_DELETE);
    const bool noChange = IsChecked(dialog, IDC_RG_NOCHANGE);
    const bool autoLogon = IsChecked(dialog, IDC_RG_AUTOLOGON);
    const bool autoLogonChanged = autoLogon != (State.SwitchAutoAdminLogon != 0);

    bool anyChanged = autoLogonChanged;
    for (const Switch& s : switches) {
        if (IsChecked(dialog, s.checkBox) != (s.readAtOpening != 0)) anyChanged = true;
    }
    if (!anyChanged && noChange) return true;

    // Checked before anything is written: a refused name or password leaves
    // every switch and the settings as they were.
    const LogonTexts logon(dialog);
    if (autoLogonChanged && autoLogon && !logon.Fit()) {
        ErrorBox(LogonTooLongMessage);
        return false;
    }

    bool switchesDone = true;
    for (const Switch& s : switches) {
        const bool wanted = IsChecked(dialog, s.checkBox);
        if (wanted != (s.readAtOpening != 0) && !s.set(wanted ? 1 : 0)) switchesDone = false;
    }
    if (autoLogonChanged && !SetAutoAdminLogon(autoLogon ? 1 : 0, logon.name, logon.password)) {
        switchesDone = false;
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
