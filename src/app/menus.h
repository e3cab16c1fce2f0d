// The two popup menus of the tray icon and the dispatch of every command.
#ifndef DORVA_MENUS_H
#define DORVA_MENUS_H

#include <windows.h>

void UpdateFullMenu();
void UpdateShortMenu();
void DispatchCommand(WPARAM command);
void ScreensaverNotForced();

#endif
