// The registry as the program opens it: in the 64-bit view on 64-bit Windows,
// for the x86 exe too, so that both exes share their settings and the system
// switches land where Windows reads them.
#ifndef DORVA_REGISTRY_VIEW_H
#define DORVA_REGISTRY_VIEW_H

#include <windows.h>

// KEY_WOW64_64KEY for the x86 exe on 64-bit Windows, else 0: decided at run
// time, so that the exe still starts on systems that know no such flag.
REGSAM RegistryView();

// The machine's Winlogon key: automatic logon, and the shell to restart.
inline constexpr char WinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// An open registry key, closed when its owner goes. It stands for the key
// in the registry calls; it is false when no key could be had.
class RegistryKey {
public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey()
    {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    operator HKEY() const { return key_; }

private:
    HKEY key_;
};

// The key, false when it cannot be opened (or created) with `access`.
RegistryKey OpenRegistryKey(HKEY root, const char* path, REGSAM access);
RegistryKey CreateRegistryKey(HKEY root, const char* path, REGSAM access);

// Deletes the sub-key `name` (without sub-keys of its own) of `parent`.
bool DeleteRegistryKey(HKEY parent, const char* name);

#endif
