// Performing the selected exit: confirmation, programs first, closing other
// applications, drives, and the request itself.
#ifndef DORVA_PERFORM_EXIT_H
#define DORVA_PERFORM_EXIT_H

#include <windows.h>

#include "core/exit_types.h"

void PerformExit();
BOOL CALLBACK ForceCloseWindow(HWND window, LPARAM parameter);

// Whether this system can make the exit type's request (NT 4 can neither
// sleep, hibernate nor lock the workstation).
bool ExitTypeAvailable(const ExitTypeInfo& type);
// When it cannot, says so in the error box and returns true.
bool RefuseUnavailable(const ExitTypeInfo& type);
// The error box with the type's tip and then `words` ("Sleep cannot be
// forced"), and with a system error code, the system's text for it.
void ExitTypeBox(const ExitTypeInfo& type, const char* words, DWORD error = 0);

#endif
