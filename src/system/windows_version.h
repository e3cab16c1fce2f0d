// Which Windows the program runs on, read through the seam so that a test
// can play an older or a newer one.
#ifndef DORVA_WINDOWS_VERSION_H
#define DORVA_WINDOWS_VERSION_H

#include "system/system_actions.h"

inline bool IsWindowsNt() { return SysWindowsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

// Windows NT `major`.`minor` or later: 5.1 is XP, 6.0 Vista, 6.2 Windows 8.
inline bool WindowsAtLeast(DWORD major, DWORD minor)
{
    const OSVERSIONINFOA version = SysWindowsVersion();
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           (version.dwMajorVersion > major || (version.dwMajorVersion == major && version.dwMinorVersion >= minor));
}

#endif
