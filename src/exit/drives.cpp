// Flushing every drive and ejecting removable media before an exit. Every
// failure stays with its drive: the walk always goes on with the next letter.
#include "exit/drives.h"

#include "core/text.h"
#include "state/program_state.h"
#include "system/system_actions.h"

#include <winioctl.h>


namespace {
constexpr int FirstDrive = 1;   // A
constexpr int LastDrive = 26;   // Z
constexpr DWORD VolumeSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD RemovableEjectAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD CdromEjectAccess = GENERIC_READ;

// The device controls of the eject sequence, in their order.
constexpr DWORD LockVolumeControl = FSCTL_LOCK_VOLUME;
constexpr DWORD DismountVolumeControl = FSCTL_DISMOUNT_VOLUME;
constexpr DWORD MediaRemovalControl = IOCTL_DISK_MEDIA_REMOVAL;
constexpr DWORD EjectMediaControl = IOCTL_DISK_EJECT_MEDIA;
static_assert(LockVolumeControl == 0x00090018 && DismountVolumeControl == 0x00090020 &&
                  MediaRemovalControl == 0x00074804 && EjectMediaControl == 0x00074808,
              "the published control codes");

constexpr int RootNameSize = 3;     // "A:"
constexpr int VolumeNameSize = 7;   // "\\.\A:"

char DriveLetter(int drive) { return static_cast<char>(drive + 'A' - 1); }

// "X:", the name of the readiness probe and the type query. Built by hand:
// a formatted print would bring the C runtime's whole printf into the exe.
void RootName(int drive, char (&name)[RootNameSize])
{
    CopyText(name, sizeof name, "?:");
    name[0] = DriveLetter(drive);
}

// "\\.\X:", the volume device.
void VolumeName(int drive, char (&name)[VolumeNameSize])
{
    CopyText(name, sizeof name, "\\\\.\\?:");
    name[4] = DriveLetter(drive);
}

HANDLE OpenVolume(int drive, DWORD access)
{
    char name[VolumeNameSize];
    VolumeName(drive, name);
    return SysCreateFile(name, access, VolumeSharing, OPEN_EXISTING);
}
}  // namespace

void FlushAndEjectDrives()
{
    DWORD present = SysGetLogicalDrives();
    for (int drive = FirstDrive; drive <= LastDrive; ++drive) {
        if ((present & (1u << (drive - 1))) && IsDriveReady(drive)) ServiceDrive(drive);
    }
}

// An empty floppy or CD drive must fail the probe quietly instead of asking
// the user to insert a disk.
bool IsDriveReady(int drive)
{
    char root[RootNameSize];
    RootName(drive, root);
    UINT previous = SysSetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL ready = SysGetDiskFreeSpace(root);
    SysSetErrorMode(previous);
    return ready != FALSE;
}

void ServiceDrive(int drive)
{
    char root[RootNameSize];
    RootName(drive, root);
    switch (SysGetDriveType(root)) {
    case DRIVE_REMOVABLE:
        FlushDrive(drive);
        if (State.EjectFlag) EjectMedia(drive, RemovableEjectAccess);
        break;
    case DRIVE_FIXED:
    case DRIVE_REMOTE:
        FlushDrive(drive);
        break;
    case DRIVE_CDROM:
        if (State.EjectFlag) EjectMedia(drive, CdromEjectAccess);
        break;
    default:
        break;  // RAM disks and unknown drives are left alone
    }
}

void FlushDrive(int drive)
{
    HANDLE volume = OpenVolume(drive, GENERIC_READ | GENERIC_WRITE);
    if (volume == INVALID_HANDLE_VALUE) return;
    SysFlushFileBuffers(volume);
    SysCloseHandle(volume);
}

// Lock, dismount, allow removal, eject: each step only after the one before
// it succeeded, so a volume with open files stays mounted and in place. The
// handle is closed afterwards, which also releases a lock that was taken.
void EjectMedia(int drive, DWORD access)
{
    HANDLE volume = OpenVolume(drive, access);
    if (volume == INVALID_HANDLE_VALUE) return;
    PREVENT_MEDIA_REMOVAL allowRemoval = {};
    allowRemoval.PreventMediaRemoval = FALSE;
    if (SysDeviceIoControl(volume, LockVolumeControl, nullptr, 0) &&
        SysDeviceIoControl(volume, DismountVolumeControl, nullptr, 0) &&
        SysDeviceIoControl(volume, MediaRemovalControl, &allowRemoval, sizeof allowRemoval)) {
        SysDeviceIoControl(volume, EjectMediaControl, nullptr, 0);
    }
    SysCloseHandle(volume);
}
