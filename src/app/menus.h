// The two popup menus of the tray icon and the dispatch of every command.
#ifndef DORVA_MENUS_H
#define DORVA_MENUS_H

#include <windows.h>

// Puts the items of the exit types at the top of a popup menu, in the
// order of their table, a separator before each group.
void InsertExitTypeItems(HMENU menu);
void UpdateFullMenu();
void UpdateShortMenu();
void DispatchCommand(WPARAM command);

#endif
