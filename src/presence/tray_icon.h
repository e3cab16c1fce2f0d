// The notification-area icon, its pictures, and whether the program can be
// reached at all.
#ifndef DORVA_TRAY_ICON_H
#define DORVA_TRAY_ICON_H

#include <windows.h>

BOOL AddTrayIcon(HWND owner, HICON icon, const char* tip);
BOOL ModifyTrayIcon(HICON icon, const char* tip);
BOOL DeleteTrayIcon(HWND owner);

// The program's own picture, also the main window's.
constexpr char ProgramIcon[] = "Icon_1";

// Loads a named icon of the program at the small-icon size of the current
// DPI: on Vista and later its 32-bit version with alpha, on older systems
// the 16-colour one.
HICON LoadProgramIcon(const char* name);
bool HasAlphaIcons();

// Adds (or changes) the icon to show the selected exit type; a stored number
// that is no exit type shows the program's own icon and name.
BOOL ShowExitTypeIcon(bool add);

// The shell (re)started (the "TaskbarCreated" broadcast): add the icon if it
// is wanted, with its current picture and tip.
void RestoreTrayIcon();
UINT TaskbarCreatedMessage();

// Ends the program (closes MainWindow) when nothing is left through which the
// user could reach it: an icon-less run without an armed timed exit.
void EndIfUnreachable();

#endif
