// Tests that read or write the program's settings key share one registry:
// this guard gives a test the key to itself (other test processes of the same
// prefix wait), starts it without the key, and puts back afterwards whatever
// the prefix held before.
#ifndef DORVA_TEST_SETTINGS_KEY_H
#define DORVA_TEST_SETTINGS_KEY_H

#include <windows.h>

#include "support/harness.h"

#include <string>
#include <vector>

namespace SettingsKey {

constexpr char ParentPath[] = "SOFTWARE\\Tarnwick";
constexpr char Path[] = "SOFTWARE\\Tarnwick\\DorvaNT";

struct RawValue {
    std::string name;
    DWORD type = 0;
    std::string data;  // the bytes as stored
};

inline bool Exists(const char* path, HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// All values of the settings key, in the registry's enumeration order.
inline std::vector<RawValue> ReadAll(HKEY root = HKEY_LOCAL_MACHINE)
{
    std::vector<RawValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, Path, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        char data[4096];
        DWORD dataLength = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                          &dataLength) != ERROR_SUCCESS) {
            break;
        }
        values.push_back({std::string(name, nameLength), type, std::string(data, dataLength)});
    }
    RegCloseKey(key);
    return values;
}

// Writes one value of the settings key as raw bytes, creating the key.
inline bool WriteRaw(const char* name, const std::string& data, DWORD type = REG_SZ, HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, Path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// Deletes HKLM\parent\name (a key without sub-keys).
inline void DeleteKey(const char* parent, const char* name, HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, parent, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteKeyA(key, name);
    RegCloseKey(key);
}

inline void CreateKey(const char* path, HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

// Saves and restores the key in one store: the machine's or the user's.
class StoreGuard {
public:
    explicit StoreGuard(HKEY root) : root_(root)
    {
        parentExisted_ = Exists(ParentPath, root_);
        keyExisted_ = Exists(Path, root_);
        if (keyExisted_) saved_ = ReadAll(root_);
        DeleteKey(ParentPath, "DorvaNT", root_);
    }
    ~StoreGuard()
    {
        DeleteKey(ParentPath, "DorvaNT", root_);
        if (keyExisted_) {
            for (const RawValue& value : saved_) WriteRaw(value.name.c_str(), value.data, value.type, root_);
        } else if (parentExisted_) {
            CreateKey(ParentPath, root_);
        } else {
            DeleteKey("SOFTWARE", "Tarnwick", root_);
        }
    }
    StoreGuard(const StoreGuard&) = delete;
    StoreGuard& operator=(const StoreGuard&) = delete;

private:
    HKEY root_;
    bool parentExisted_ = false;
    bool keyExisted_ = false;
    std::vector<RawValue> saved_;
};

// Both stores, the machine's and the current user's.
class Guard {
private:
    Harness::SharedLock lock_{"DorvaTestSettingsKey"};  // held while the keys are saved and restored
    StoreGuard machine_{HKEY_LOCAL_MACHINE};
    StoreGuard user_{HKEY_CURRENT_USER};
};

}  // namespace SettingsKey

#endif
