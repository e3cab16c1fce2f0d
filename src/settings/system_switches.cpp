// The four system-wide switches: start with Windows (the Run value), hide Log
// Off and Shut Down from the Start menu (the current user's Explorer
// policies) and automatic logon (Winlogon's values, and the password kept as
// a secret from XP on). Every key is opened in the 64-bit view on 64-bit
// Windows, where Windows reads the Run key and Winlogon.
#include "settings/system_switches.h"

#include "core/decimal.h"
#include "core/text.h"
#include "settings/registry_view.h"
#include "system/system_actions.h"
#include "system/windows_version.h"

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
constexpr DWORD RunValueSize = MAX_PATH;
// The policies are written as type 5 holding a little-endian number; readers
// look only at the four bytes.
constexpr DWORD PolicyType = REG_DWORD_BIG_ENDIAN;

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
    const RegistryKey key = OpenRegistryKey(HKEY_CURRENT_USER, PoliciesKey, KEY_QUERY_VALUE);
    if (!key) return 0;
    BYTE data[PolicyReadSize] = {};
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS) return 0;
    const DWORD number = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
    return number != 0 ? 1 : 0;
}

bool SetPolicy(const char* name, int on)
{
    const RegistryKey key = OpenRegistryKey(HKEY_CURRENT_USER, PoliciesKey, KEY_ALL_ACCESS);
    if (!key) return false;  // the policy key is never created
    const BYTE number[PolicyWriteSize] = {static_cast<BYTE>(on ? 1 : 0), 0, 0, 0};
    return WriteValue(key, name, PolicyType, number, sizeof number);
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
    const RegistryKey key = OpenRegistryKey(root, RunKey, KEY_QUERY_VALUE);
    return key && RegQueryValueExA(key, RunValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Writes (on) or deletes (off) the Run value of one store.
bool ChangeRunValue(HKEY root, int on)
{
    const RegistryKey key = OpenRegistryKey(root, RunKey, KEY_SET_VALUE);
    if (!key) return false;
    return on ? WriteRunValue(key) : RegDeleteValueA(key, RunValue) == ERROR_SUCCESS;
}

// From XP on, Winlogon takes the password of automatic logon from the secret
// "DefaultPassword" of the local security authority, which only the system
// reads back, and a plain-text value beside it would still be read first; NT
// 4 and 2000 know only the plain-text value.
constexpr DWORD SecretMajorVersion = 5;
constexpr DWORD SecretMinorVersion = 1;
constexpr wchar_t PasswordSecret[] = L"DefaultPassword";

bool KeepsPasswordSecret() { return WindowsAtLeast(SecretMajorVersion, SecretMinorVersion); }

// A value already missing is no failure.
bool DeletePlainPassword(HKEY key)
{
    const LONG deleted = RegDeleteValueA(key, PasswordValue);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// As the secret, or as the plain-text value where there is none. The plain
// value goes only once the secret holds the password.
bool StorePassword(HKEY key, const char* password)
{
    if (!KeepsPasswordSecret()) return WriteLogonText(key, PasswordValue, password);
    wchar_t secret[LogonTextSize] = {};
    const bool converted = MultiByteToWideChar(CP_ACP, 0, password, -1, secret, LogonTextSize) > 0;
    const bool stored = converted && SysLsaStorePrivateData(PasswordSecret, secret) == ERROR_SUCCESS;
    SecureZeroMemory(secret, sizeof secret);
    return stored && DeletePlainPassword(key);
}

bool DeletePassword(HKEY key)
{
    const bool plainDeleted = DeletePlainPassword(key);
    if (!KeepsPasswordSecret()) return plainDeleted;
    const DWORD error = SysLsaStorePrivateData(PasswordSecret, nullptr);
    return plainDeleted && (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND);
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
    const RegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_QUERY_VALUE);
    if (!key) return 0;
    char text[AutoAdminLogonReadSize] = {};
    DWORD size = sizeof text;
    if (RegQueryValueExA(key, AutoAdminLogonValue, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
        return 0;
    }
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

// Off deletes the password as well, wherever it is kept: nothing is left to
// log on with. On turns automatic logon on only once its password is kept:
// without it Winlogon would try, and fail, at every start.
bool SetAutoAdminLogon(int on, const char* userName, const char* password)
{
    const RegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_WRITE);
    if (!key) return false;
    if (!on) {
        const bool flagWritten = WriteValue(key, AutoAdminLogonValue, REG_SZ, "0", AutoAdminLogonWriteSize);
        return DeletePassword(key) && flagWritten;
    }
    const bool nameWritten = WriteLogonText(key, UserNameValue, userName);
    return StorePassword(key, password) && WriteValue(key, AutoAdminLogonValue, REG_SZ, "1", AutoAdminLogonWriteSize) &&
           nameWritten;
}

void ReadLogonTexts(char (&userName)[LogonTextSize + 1], char (&password)[LogonTextSize + 1])
{
    ZeroMemory(userName, sizeof userName);
    ZeroMemory(password, sizeof password);
    const RegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, WinlogonKey, KEY_QUERY_VALUE);
    if (!key) return;
    ReadLogonText(key, UserNameValue, userName);
    ReadLogonText(key, PasswordValue, password);
}
