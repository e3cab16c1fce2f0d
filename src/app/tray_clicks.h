// The tray icon's mouse events.
#ifndef DORVA_TRAY_CLICKS_H
#define DORVA_TRAY_CLICKS_H

#include <windows.h>

void OnTrayMessage(WPARAM iconId, LPARAM mouseMessage);
void TrayClickAction();

#endif
