// PLACEHOLDER: not built yet; its issue replaces this whole file.
#include "settings/settings_store.h"

void LoadSettings() {}
bool SaveSettings() { return false; }
bool DeleteSettings() { return false; }
void PackProgramList() {}
void UnpackProgramList() {}
