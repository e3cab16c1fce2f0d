// A second start in tray mode (by hand, or by the Run key at logon) would add
// a second icon, a second owner of the hotkey and a second blocker: the tray
// belongs to the first. It is held as a named mutex owned by the GUI thread
// for the rest of the run; the system releases it when the process ends.
#include "app/single_instance.h"

#include <windows.h>

namespace {
// In the session's own namespace, so that each logged-on user has one; NT 4
// without Terminal Services knows no namespaces and takes the plain name.
constexpr char SessionMutexName[] = "Local\\Tarnwick.DorvaNT.Tray";
constexpr const char* PlainMutexName = SessionMutexName + sizeof "Local\\" - 1;  // "Tarnwick.DorvaNT.Tray"
}  // namespace

bool ClaimTray()
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, SessionMutexName);
    if (!mutex) mutex = CreateMutexA(nullptr, FALSE, PlainMutexName);
    if (!mutex) return true;  // nothing to hold: run rather than not at all
    const DWORD claimed = WaitForSingleObject(mutex, 0);
    if (claimed == WAIT_OBJECT_0 || claimed == WAIT_ABANDONED) return true;
    CloseHandle(mutex);
    return false;
}
