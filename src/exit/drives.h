// Flushing every drive and ejecting removable media before an exit.
#ifndef DORVA_DRIVES_H
#define DORVA_DRIVES_H

#include <windows.h>

void FlushAndEjectDrives();
bool IsDriveReady(int drive);
void ServiceDrive(int drive);
void FlushDrive(int drive);
void EjectMedia(int drive, DWORD access);

#endif
