// The countdown window from its real template: what each tick shows, its
// buttons, and the warning text it shows.
#include "state/program_state.h"
#include "support/harness.h"
#include "timer/countdown.h"

#include <cstdio>

namespace {

class CountdownTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
    }
    // Opens the window the way the warning timer does, with `seconds` to show.
    HWND Open(int seconds)
    {
        State.CountdownLeft = seconds + 1;
        return CreateDialogParamA(State.Instance, MAKEINTRESOURCEA(IDD_COUNTDOWN), State.MainWindow,
                                  CountdownProc, 0);
    }
    static std::string TimeLeft() { return Harness::ItemText(State.CountdownWindow, IDC_CD_TIMELEFT); }
};

struct TickCase {
    int seconds;
    const char* shown;
};

TEST_F(CountdownTest, TheFirstTickShowsTheSecondsAsMinutesAndSeconds)
{
    const TickCase cases[] = {
        {10, "00:10"},   {90, "01:30"},   {60, "01:00"},       {59, "00:59"}, {61, "01:01"},
        {3600, "60:00"}, {0, "00:00"},    {999999, "16666:39"}, {1, "00:01"},
    };
    for (const TickCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.seconds << " seconds");
        HWND window = Open(c.seconds);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(State.CountdownWindow, window);
        EXPECT_EQ(State.CountdownLeft, c.seconds);
        EXPECT_EQ(TimeLeft(), c.shown);
        DestroyWindow(window);
        EXPECT_EQ(State.CountdownWindow, nullptr);
    }
}

TEST_F(CountdownTest, EachTickCountsDownAndALateExitStaysAtZero)
{
    HWND window = Open(2);
    ASSERT_NE(window, nullptr);
    const char* expected[] = {"00:01", "00:00", "00:00", "00:00"};
    for (const char* shown : expected) {
        CountdownTick(nullptr, 0, 0, 0);
        EXPECT_EQ(TimeLeft(), shown);
    }
    EXPECT_EQ(State.CountdownLeft, -2);
    DestroyWindow(window);
}

TEST_F(CountdownTest, TheWarningTextIsShownAtEveryTick)
{
    std::snprintf(State.WarningText, sizeof State.WarningText, "Save your work\r\nnow");
    HWND window = Open(5);
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TEXT), "Save your work\r\nnow");
    std::snprintf(State.WarningText, sizeof State.WarningText, "Counting down to reboot");
    CountdownTick(nullptr, 0, 0, 0);
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TEXT), "Counting down to reboot");
    DestroyWindow(window);
}

// Until the user edits it, the text names the exit type that will happen: on a
// fresh start with no text, and after the exit type changed.
TEST_F(CountdownTest, AnUneditedWarningTextNamesTheCurrentExitType)
{
    State.WarningText[0] = '\0';
    State.ExitType = ExitTypeReboot;
    HWND window = Open(5);
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TEXT), "Counting down to reboot");
    EXPECT_EQ(Harness::ItemText(window, IDC_STATIC), "Press Abort to stop countdown");
    DestroyWindow(window);
    State.ExitType = ExitTypeLogoff;
    window = Open(5);
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TEXT), "Counting down to logoff");
    DestroyWindow(window);
    std::snprintf(State.WarningText, sizeof State.WarningText, "Save your work");
    State.WarningTextAuto = 0;
    window = Open(5);
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TEXT), "Save your work") << "the user's own text stays";
    DestroyWindow(window);
}

TEST_F(CountdownTest, AfterCloseTheTicksOnlyCount)
{
    HWND window = Open(10);
    Harness::Click(window, IDC_CD_CLOSE);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(State.CountdownWindow, nullptr);
    CountdownTick(nullptr, 0, 0, 0);
    CountdownTick(nullptr, 0, 0, 0);
    EXPECT_EQ(State.CountdownLeft, 8);
}

TEST_F(CountdownTest, ATickOfAKilledTimerDoesNotCount)
{
    HWND window = Open(10);
    State.WarnTimerId = 0x4321;
    CountdownTick(nullptr, WM_TIMER, 0x1234, 0);
    EXPECT_EQ(State.CountdownLeft, 10);
    CountdownTick(nullptr, WM_TIMER, 0x4321, 0);
    EXPECT_EQ(State.CountdownLeft, 9);
    EXPECT_EQ(TimeLeft(), "00:09");
    State.WarnTimerId = 0;
    DestroyWindow(window);
}

// Abort cancels the timed exit. The program ends when nothing is left to
// reach it by: in icon-less mode. A copy in the tray always can be reached,
// its icon hidden or not: a plain second start brings it back (icon-less,
// icon wanted, "/f:h", ends).
TEST_F(CountdownTest, AbortEndsTheProgramWhenNothingElseReachesIt)
{
    const int cases[][4] = {{1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 0}};
    for (const auto& c : cases) {
        State.NoIconMode = c[0];
        State.TrayIconWanted = c[1];
        State.HideIconFlag = c[2];
        State.TimerRunning = 0x7FFF0000;  // stands for the armed exit
        Harness::Click(Open(5), IDC_CD_ABORT);
        MSG close;
        EXPECT_EQ(PeekMessageA(&close, State.MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE), c[3]) << c[0] << c[1] << c[2];
    }
}

}  // namespace
