// Registry keys opened in the 64-bit view. The x86 exe on 64-bit Windows would
// otherwise see the 32-bit view (WOW6432Node), where Windows never looks for
// the Run key or Winlogon values, and where the x64 exe's settings are not.
#include "settings/registry_view.h"

#include "system/on_demand.h"
#include "system/system_actions.h"

namespace {
// The class string that the settings key has always been created with.
constexpr char KeyClass[] = "REG_SZ";
}  // namespace

REGSAM RegistryView() { return SysIsWow64() ? KEY_WOW64_64KEY : 0; }

RegistryKey OpenRegistryKey(HKEY root, const char* path, REGSAM access)
{
    HKEY key = nullptr;
    if (SysRegOpenKeyEx(root, path, access | RegistryView(), &key) != ERROR_SUCCESS) key = nullptr;
    return RegistryKey(key);
}

RegistryKey CreateRegistryKey(HKEY root, const char* path, REGSAM access)
{
    HKEY key = nullptr;
    if (SysRegCreateKeyEx(root, path, KeyClass, access | RegistryView(), &key) != ERROR_SUCCESS) key = nullptr;
    return RegistryKey(key);
}

// RegDeleteKeyA deletes in the process's own view; the 64-bit one needs
// RegDeleteKeyExA, which every 64-bit Windows has.
bool DeleteRegistryKey(HKEY parent, const char* name)
{
    const REGSAM view = RegistryView();
    if (view) {
        using RegDeleteKeyExFn = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
        auto deleteKey = reinterpret_cast<RegDeleteKeyExFn>(SystemFunction("advapi32.dll", "RegDeleteKeyExA"));
        if (deleteKey) return deleteKey(parent, name, view, 0) == ERROR_SUCCESS;
    }
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}
