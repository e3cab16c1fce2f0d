// The system records the program fills keep the published sizes that every
// Windows NT since 4.0 accepts. The figures are those of the 32-bit build; they
// are checked while it compiles, and the layouts' own rules on every build.
#include "state/program_state.h"

#include <shellapi.h>

#include <cstddef>

#include <gtest/gtest.h>

#ifndef _WIN64
static_assert(sizeof(TrayIconRecord) == 88, "notification-icon record, first layout");
static_assert(sizeof(STARTUPINFOA) == 68, "process-start record");
static_assert(sizeof(SHELLEXECUTEINFOA) == 60, "shell-execute record");
static_assert(offsetof(OPENFILENAMEA, pvReserved) == 76, "file-open request, first layout");
static_assert(sizeof(OSVERSIONINFOA) == 148, "version-information record");
#endif

TEST(RecordSizes, LayoutsMatchTheSystemHeaders)
{
    EXPECT_EQ(sizeof(TrayIconRecord), static_cast<size_t>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(offsetof(TrayIconRecord, szTip), offsetof(NOTIFYICONDATAA, szTip));
    EXPECT_EQ(sizeof(State.TrayData.szTip), 64u);
    EXPECT_EQ(sizeof(OSVERSIONINFOA), 148u);  // the same on every build
    EXPECT_EQ(static_cast<size_t>(OPENFILENAME_SIZE_VERSION_400A), offsetof(OPENFILENAMEA, pvReserved));
    EXPECT_EQ(sizeof(State.ProgramPath[0]), 260u);
    EXPECT_EQ(sizeof(State.ProgramsToRun), 1024u);
    EXPECT_EQ(sizeof(State.WarningText), 100u);
    EXPECT_EQ(sizeof(State.TimerValue), 7u);
    EXPECT_EQ(sizeof(State.HotKey), 2u);
}
