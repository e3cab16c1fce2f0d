// The program's own settings in the registry, and the stored program list.
#ifndef DORVA_SETTINGS_STORE_H
#define DORVA_SETTINGS_STORE_H

void LoadSettings();
bool SaveSettings();
bool DeleteSettings();
void PackProgramList();
void UnpackProgramList();

#endif
