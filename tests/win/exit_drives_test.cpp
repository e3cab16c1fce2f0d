// Drive flush and media eject against the recorder: which drives are probed,
// flushed and ejected, with which access, and where the eject sequence stops.
#include "exit/drives.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "system/system_actions.h"

#include <winioctl.h>

#include <cstring>
#include <string>

namespace {

// The volume work of the recorded calls in a short form: "open E rw",
// "flush E", "lock E", "dismount E", "allow E", "eject E", "close E".
std::string VolumeWork()
{
    std::string work;
    auto add = [&work](const std::string& step) { work += (work.empty() ? "" : ", ") + step; };
    for (int i = 0; i < Recorder::CallCount(); ++i) {
        const RecordedCall& call = Recorder::Call(i);
        std::string name = call.name;
        std::string letter = call.text;
        if (name == "CreateFile") {
            letter = call.text + std::strlen(call.text) - 2;
            letter.resize(1);
            const char* access = call.arg[0] == (GENERIC_READ | GENERIC_WRITE) ? "rw"
                                 : call.arg[0] == GENERIC_READ                 ? "r"
                                                                               : "?";
            add("open " + letter + " " + access);
        } else if (name == "FlushFileBuffers") {
            add("flush " + letter);
        } else if (name == "CloseHandle") {
            add("close " + letter);
        } else if (name == "DeviceIoControl") {
            switch (call.arg[1]) {
            case FSCTL_LOCK_VOLUME: add("lock " + letter); break;
            case FSCTL_DISMOUNT_VOLUME: add("dismount " + letter); break;
            case IOCTL_DISK_MEDIA_REMOVAL: add("allow " + letter); break;
            case IOCTL_DISK_EJECT_MEDIA: add("eject " + letter); break;
            default: add("control? " + letter); break;
            }
        }
    }
    return work;
}

// A scripted set, added out of letter order: the walk must go A to Z anyway.
void AddMixedDrives(DWORD failingControl = 0)
{
    Recorder::AddDrive({'F', DRIVE_REMOTE, true, true, 0});
    Recorder::AddDrive({'A', DRIVE_REMOVABLE, false, true, 0});  // empty floppy
    Recorder::AddDrive({'C', DRIVE_FIXED, true, true, 0});
    Recorder::AddDrive({'G', DRIVE_RAMDISK, true, true, 0});
    Recorder::AddDrive({'E', DRIVE_REMOVABLE, true, true, failingControl});
    Recorder::AddDrive({'D', DRIVE_CDROM, true, true, 0});
    Recorder::AddDrive({'H', DRIVE_UNKNOWN, true, true, 0});
    Recorder::AddDrive({'I', DRIVE_NO_ROOT_DIR, true, true, 0});
    Recorder::AddDrive({'K', DRIVE_FIXED, true, false, 0});      // no rights to open
    Recorder::AddDrive({'M', DRIVE_CDROM, false, true, 0});      // empty CD drive
}

class DrivesTest : public DorvaTest {};

TEST_F(DrivesTest, WithoutEjectFixedRemoteAndRemovableDrivesAreFlushedOnly)
{
    AddMixedDrives();
    State.EjectFlag = 0;
    FlushAndEjectDrives();
    EXPECT_EQ(VolumeWork(),
              "open C rw, flush C, close C, "
              "open E rw, flush E, close E, "
              "open F rw, flush F, close F, "
              "open K rw");
    EXPECT_EQ(Recorder::CountOf("GetLogicalDrives"), 1);
    EXPECT_EQ(Recorder::CountOf("DeviceIoControl"), 0);
}

TEST_F(DrivesTest, WithEjectRemovableIsFlushedThenEjectedAndCdromEjectedWithoutFlush)
{
    AddMixedDrives();
    State.EjectFlag = 1;
    FlushAndEjectDrives();
    EXPECT_EQ(VolumeWork(),
              "open C rw, flush C, close C, "
              "open D r, lock D, dismount D, allow D, eject D, close D, "
              "open E rw, flush E, close E, "
              "open E rw, lock E, dismount E, allow E, eject E, close E, "
              "open F rw, flush F, close F, "
              "open K rw");
}

TEST_F(DrivesTest, EveryVolumeIsOpenedExistingAndShared)
{
    AddMixedDrives();
    State.EjectFlag = 1;
    FlushAndEjectDrives();
    ASSERT_GT(Recorder::CountOf("CreateFile"), 0);
    for (int i = 0; const RecordedCall* open = Recorder::Find("CreateFile", i); ++i) {
        EXPECT_EQ(open->arg[1], static_cast<uintptr_t>(FILE_SHARE_READ | FILE_SHARE_WRITE));
        EXPECT_EQ(open->arg[2], static_cast<uintptr_t>(OPEN_EXISTING));
        EXPECT_EQ(std::strncmp(open->text, "\\\\.\\", 4), 0) << open->text;
        EXPECT_EQ(std::strlen(open->text), 6u) << open->text;
    }
}

TEST_F(DrivesTest, OnlyTheMediaRemovalControlHasAnInputAndItAllowsRemoval)
{
    Recorder::AddDrive({'E', DRIVE_REMOVABLE, true, true, 0});
    EjectMedia(5, GENERIC_READ | GENERIC_WRITE);
    ASSERT_EQ(Recorder::CountOf("DeviceIoControl"), 4);
    for (int i = 0; i < 4; ++i) {
        const RecordedCall* control = Recorder::Find("DeviceIoControl", i);
        if (control->arg[1] == IOCTL_DISK_MEDIA_REMOVAL) {
            EXPECT_EQ(control->arg[2], 1u);  // one byte
            EXPECT_EQ(control->arg[3], 0u);  // PreventMediaRemoval = 0
        } else {
            EXPECT_EQ(control->arg[2], 0u);
        }
    }
}

TEST_F(DrivesTest, ProbesEveryPresentDriveQuietlyAndAsksTheTypeOfReadyOnes)
{
    AddMixedDrives();
    FlushAndEjectDrives();
    std::string probed, typed;
    for (int i = 0; i < Recorder::CallCount(); ++i) {
        const RecordedCall& call = Recorder::Call(i);
        if (std::strcmp(call.name, "GetDiskFreeSpace") == 0) {
            probed += std::string(call.text) + " ";
            // The probe runs with critical-error boxes off, and the previous
            // mode is back right after it.
            ASSERT_GE(i, 1);
            EXPECT_STREQ(Recorder::Call(i - 1).name, "SetErrorMode");
            EXPECT_EQ(Recorder::Call(i - 1).arg[0], static_cast<uintptr_t>(SEM_FAILCRITICALERRORS));
            ASSERT_LT(i + 1, Recorder::CallCount());
            EXPECT_STREQ(Recorder::Call(i + 1).name, "SetErrorMode");
        }
        if (std::strcmp(call.name, "GetDriveType") == 0) typed += std::string(call.text) + " ";
    }
    EXPECT_EQ(probed, "A: C: D: E: F: G: H: I: K: M: ");
    EXPECT_EQ(typed, "C: D: E: F: G: H: I: K: ");
}

TEST_F(DrivesTest, TheProbeRestoresTheErrorModeItFound)
{
    SysSetErrorMode(SEM_NOOPENFILEERRORBOX);
    Recorder::AddDrive({'C', DRIVE_FIXED, true, true, 0});
    EXPECT_TRUE(IsDriveReady(3));
    const RecordedCall* restore = Recorder::Find("SetErrorMode", 2);
    ASSERT_NE(restore, nullptr);
    EXPECT_EQ(restore->arg[0], static_cast<uintptr_t>(SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(Recorder::CountOf("SetErrorMode"), 3);
}

TEST_F(DrivesTest, ReadinessFollowsTheFreeSpaceQuery)
{
    Recorder::AddDrive({'A', DRIVE_REMOVABLE, false, true, 0});
    Recorder::AddDrive({'Z', DRIVE_FIXED, true, true, 0});
    EXPECT_FALSE(IsDriveReady(1));
    EXPECT_TRUE(IsDriveReady(26));
    EXPECT_FALSE(IsDriveReady(2));  // not present at all
}

struct FailureCase {
    DWORD failingControl;
    const char* work;
};

const FailureCase FailureCases[] = {
    {FSCTL_LOCK_VOLUME, "open E rw, lock E, close E"},
    {FSCTL_DISMOUNT_VOLUME, "open E rw, lock E, dismount E, close E"},
    {IOCTL_DISK_MEDIA_REMOVAL, "open E rw, lock E, dismount E, allow E, close E"},
    {IOCTL_DISK_EJECT_MEDIA, "open E rw, lock E, dismount E, allow E, eject E, close E"},
};

TEST_F(DrivesTest, TheEjectSequenceStopsAtTheFirstFailedControlAndClosesTheVolume)
{
    for (const FailureCase& c : FailureCases) {
        Recorder::Reset();
        Recorder::AddDrive({'E', DRIVE_REMOVABLE, true, true, c.failingControl});
        EjectMedia(5, GENERIC_READ | GENERIC_WRITE);
        EXPECT_EQ(VolumeWork(), c.work) << std::hex << c.failingControl;
    }
}

TEST_F(DrivesTest, AFailedLockLeavesTheWalkGoingWithTheNextDrive)
{
    AddMixedDrives(FSCTL_LOCK_VOLUME);
    State.EjectFlag = 1;
    FlushAndEjectDrives();
    EXPECT_EQ(VolumeWork(),
              "open C rw, flush C, close C, "
              "open D r, lock D, dismount D, allow D, eject D, close D, "
              "open E rw, flush E, close E, "
              "open E rw, lock E, close E, "
              "open F rw, flush F, close F, "
              "open K rw");
}

TEST_F(DrivesTest, AVolumeThatCannotBeOpenedIsNeitherFlushedNorEjected)
{
    Recorder::AddDrive({'E', DRIVE_REMOVABLE, true, false, 0});
    State.EjectFlag = 1;
    FlushAndEjectDrives();
    EXPECT_EQ(VolumeWork(), "open E rw, open E rw");
    EXPECT_EQ(Recorder::CountOf("CloseHandle"), 0);
}

}  // namespace
