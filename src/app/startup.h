// Start-up, the message loop and teardown of the program.
#ifndef DORVA_STARTUP_H
#define DORVA_STARTUP_H

#include <windows.h>

// The whole life of the program: start-up, message loop, teardown. Returns the
// process result.
int ProgramMain(HINSTANCE instance, const char* commandLine);

// Start-up up to the message loop. Returns false when the program stops during
// start-up; *result is then the process result. The command line is read, not
// changed.
bool StartProgram(HINSTANCE instance, const char* commandLine, int* result);

// Runs until the quit message and returns its first parameter.
int RunMessageLoop();

// Removes the tray icon, unregisters the hotkey, uninitialises COM.
void Teardown();

BOOL EnableShutdownPrivilege();

// Loads both popup menus and the accelerator table.
void LoadMenus();

// Sets the start-up defaults of every setting.
void SetDefaults();

#endif
