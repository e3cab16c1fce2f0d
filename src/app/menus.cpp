// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "app/menus.h"

void UpdateFullMenu() {}
void UpdateShortMenu() {}
void DispatchCommand(WPARAM) {}
void ScreensaverNotForced() {}
