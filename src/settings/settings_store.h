// The program's own settings in the registry, and the stored program list.
#ifndef DORVA_SETTINGS_STORE_H
#define DORVA_SETTINGS_STORE_H

// Gives every stored setting its start-up default.
void SetSettingDefaults();
// The start-up default of the stored text setting `name` ("30" for
// "TimerValue"); "" for any other name.
const char* SettingDefault(const char* name);

void LoadSettings();
bool SaveSettings();
bool DeleteSettings();
void PackProgramList();
void UnpackProgramList();

#endif
