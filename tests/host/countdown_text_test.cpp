// The countdown window's mm:ss text, the default warning text and the tip of
// an armed timed exit.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/countdown_text.h"
#include "core/exit_types.h"
#include "core/job_text.h"
#include "core/warning_text.h"

namespace {

struct CountdownRow {
    int secondsLeft;
    const char* expected;
};

TEST(FormatCountdown, MinutesAndSeconds)
{
    const CountdownRow rows[] = {
        {10, "00:10"}, {9, "00:09"}, {90, "01:30"}, {60, "01:00"}, {59, "00:59"}, {61, "01:01"},
        {3600, "60:00"}, {999999, "16666:39"}, {0, "00:00"},
        {-1, "00:00"}, {INT_MIN, "00:00"},      // a late timer stays at zero
        {INT_MAX, "35791394:07"},
    };
    for (const CountdownRow& row : rows) {
        char out[CountdownTextSize + 4];
        std::memset(out, 'Q', sizeof out);
        FormatCountdown(row.secondsLeft, out, CountdownTextSize);
        EXPECT_STREQ(row.expected, out) << "seconds left " << row.secondsLeft;
        EXPECT_EQ(0, std::memcmp(out + CountdownTextSize, "QQQQ", 4)) << "overrun at " << row.secondsLeft;
    }
}

TEST(FormatCountdown, SmallBufferIsCut)
{
    char out[8];
    std::memset(out, 'Q', sizeof out);
    FormatCountdown(999999, out, 4);
    EXPECT_STREQ("166", out);
    EXPECT_EQ('Q', out[4]);
    FormatCountdown(90, out, 4);
    EXPECT_STREQ("01:", out);
}

struct WarningRow {
    int exitType;
    const char* expected;
};

TEST(MakeDefaultWarningTextFor, OneTextPerExitType)
{
    const WarningRow rows[] = {
        {10, "Counting down to shutdown"},
        {20, "Counting down to reboot"},
        {30, "Counting down to logoff"},
        {40, "Counting down to screensaver"},
        {50, "Counting down to power-off"},
        {60, "Counting down to restart shell"},
        {70, "Counting down to sleep"},
        {80, "Counting down to hibernate"},
        {90, "Counting down to lock"},
        {99, "Counting down to "},
        {0, "Counting down to "},
        {-10, "Counting down to "},
    };
    for (const WarningRow& row : rows) {
        char text[100];
        std::memset(text, 'Q', sizeof text);
        MakeDefaultWarningTextFor(row.exitType, text, sizeof text);
        EXPECT_STREQ(row.expected, text) << "exit type " << row.exitType;
    }
}

TEST(MakeDefaultWarningTextFor, CutToSmallBuffer)
{
    char text[24];
    std::memset(text, 'Q', sizeof text);
    MakeDefaultWarningTextFor(60, text, 20);
    EXPECT_STREQ("Counting down to re", text);
    EXPECT_EQ(0, std::memcmp(text + 20, "QQQQ", 4));
}

struct TipRow {
    int exitType;
    int secondOfDay;  // the minutes without input, with `job` the program
    const char* expected;
    const char* job = nullptr;
};

TEST(MakeTimedExitTip, WhatHappensWhen)
{
    const TipRow rows[] = {
        {30, 23 * 3600, "Timed Exit: Logoff at 23:00:00"},
        {60, 86399, "Timed Exit: Restart Shell at 23:59:59"},
        {80, 0, "Timed Exit: Hibernate at 00:00:00"},
        {99, 3661, "Timed Exit at 01:01:01"},
        {10, 0, "Timed Exit: Shutdown when render.exe ends", "render"},
        {30, 0, "Timed Exit: Logoff when process 1234 ends", "1234"},
        {25, 0, "Timed Exit: Restart to Boot Options when my job.backup.sh ends", "my job.backup.sh"},
        {25, 0, "Timed Exit: Restart to Boot Options when ffffffffffffffffffffff", "ffffffffffffffffffffffffff"},
        {10, 30, "Timed Exit: Shutdown after 30 min without input", ""},
    };
    for (const TipRow& row : rows) {
        char tip[64];
        MakeTimedExitTip(row.exitType, row.secondOfDay, tip, sizeof tip);
        if (row.job) MakeProgramTip(row.exitType, row.job, tip, sizeof tip);
        if (row.job && !row.job[0]) MakeInactivityTip(row.exitType, row.secondOfDay, tip, sizeof tip);
        EXPECT_STREQ(row.expected, tip);
    }
    // Every exit type's tip fits the tray's 64 bytes whole, with its day.
    for (const ExitTypeInfo& type : ExitTypes) {
        char tip[80];
        MakeTimedExitTip(type.code, 86399, tip, sizeof tip, 3);  // "... on Wed"
        EXPECT_LT(std::strlen(tip), 64u) << tip;
    }
}

}  // namespace
