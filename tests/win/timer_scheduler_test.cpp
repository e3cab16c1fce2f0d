// The timed-exit scheduler against real thread timers under Wine: the
// time-of-day parse, arming, the warning, the exit, every way of cancelling,
// and re-arming a time-of-day exit after a clock change or a resume.
#include "app/tray_clicks.h"
#include "dialogs/hotkey.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "timer/scheduler.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A thread timer is gone when KillTimer no longer finds it.
bool TimerGone(UINT_PTR id) { return id != 0 && !KillTimer(nullptr, id); }

// Each test that looks at the hotkey uses a letter of its own: hotkeys are
// shared by every test process of the Wine session.
void UseHotkeyLetter(char letter)
{
    State.HotKey[0] = letter;
    State.HotKey[1] = '\0';
}

// The hotkey is free when another window can take Ctrl+Alt+letter.
bool HotkeyFree()
{
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, State.HotKey[0]) != FALSE;
    if (free) UnregisterHotKey(other, 1);
    DestroyWindow(other);
    return free;
}

// The re-selection of the exit type that a cancel posts to MainWindow.
int PostedReselections(int exitType)
{
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, State.MainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
        if (message.wParam == static_cast<WPARAM>(exitType) && message.lParam == 0) ++count;
    }
    return count;
}

bool QuitPosted()
{
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class SchedulerTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
        State.TrayIconWanted = 1;  // the program goes on after a timed exit
    }
    void SetTimeout(int seconds)
    {
        State.TimerFlag = 1;
        State.AtFlag = 0;
        State.TimeoutSeconds = seconds;
    }
    void SetWarning(int seconds)
    {
        State.WarnFlag = 1;
        State.WarnSeconds = seconds;
    }
    void SetTimeOfDay(const char* hhmmss)
    {
        State.TimerFlag = 0;
        State.AtFlag = 1;
        std::snprintf(State.AtValue, sizeof State.AtValue, "%s", hhmmss);
    }
    static bool Idle() { return State.TimerRunning == 0; }
};

// ---- ParseAtValue ---------------------------------------------------------

struct ParseCase {
    const char* atValue;
    int nowHour, nowMinute, nowSecond;
    int valid;
    int millis;  // until the exit, when armed
    int hour, minute, second;
};

TEST_F(SchedulerTest, ParseAtValueFollowsTheTimeOfDayRules)
{
    // The rules themselves are the portable core's (tests/host/time_of_day_test.cpp):
    // here the armed time and its delay from the local clock.
    const ParseCase cases[] = {
        {"230000", 22, 0, 0, 1, 3600000, 23, 0, 0},
        {"230000", 23, 30, 0, 1, 84600000, 23, 0, 0},      // passed: the next day
        {"000500", 0, 1, 0, 1, 240000, 0, 5, 0},           // in 4 minutes
        {"-99999", 12, 0, 0, 0, -1, 0, 0, 0},              // six digits only
        {"250000", 12, 0, 0, 0, -1, 25, 0, 0},
        {"126000", 12, 0, 0, 0, -1, 12, 60, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "AtValue \"" << c.atValue << "\" at " << c.nowHour << ":"
                                        << c.nowMinute << ":" << c.nowSecond);
        Recorder::SetLocalTime(c.nowHour, c.nowMinute, c.nowSecond);
        std::snprintf(State.AtValue, sizeof State.AtValue, "%s", c.atValue);
        State.AtFlag = 1;
        int result = StartTimedExit() ? 1 : 0;
        EXPECT_EQ(result, c.valid);
        if (!result) continue;
        EXPECT_EQ(MillisUntilClockShows({State.Armed.hour, State.Armed.minute, State.Armed.second}), c.millis);
        CancelTimedExit();
    }
}

// ---- arming -----------------------------------------------------------------

TEST_F(SchedulerTest, ArmingShowsTheHourglassAndSwitchesTheHotkeyOff)
{
    State.HotkeyFlag = 1;
    UseHotkeyLetter('N');
    ASSERT_TRUE(RegisterHotKey(State.MainWindow, HotkeyId, MOD_CONTROL | MOD_ALT, 'N'));
    ASSERT_FALSE(HotkeyFree());
    AddTrayIcon(State.MainWindow, LoadProgramIcon("Icon_1"), "Shutdown");
    SetTimeout(30);
    Recorder::SetLocalTime(23, 59, 45);

    StartTimedExit();

    EXPECT_NE(State.TimerRunning, 0u);
    EXPECT_EQ(State.TimerRunning, State.ExitTimerId);
    EXPECT_EQ(State.Armed.delayMs, 30000u);
    EXPECT_EQ(State.WarnTimerId, 0u) << "no warning asked for";
    EXPECT_EQ(State.TrayData.hIcon, LoadProgramIcon("Icon_7"));
    EXPECT_STREQ(State.TrayData.szTip, "Timed Exit: Shutdown at 00:00:15 on Tue") << "what happens when, past midnight";
    EXPECT_TRUE(HotkeyFree()) << "the hotkey must be off while armed";

    UINT_PTR exitTimer = State.ExitTimerId;
    CancelTimedExit();
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_TRUE(TimerGone(exitTimer));
    EXPECT_FALSE(HotkeyFree()) << "a cancel registers the hotkey again";
    EXPECT_EQ(State.TimerFlag, 1) << "a cancel keeps the settings";
    // The posted re-selection puts the exit type's icon back.
    EXPECT_TRUE(Harness::PumpUntil([] { return std::strcmp(State.TrayData.szTip, "Shutdown") == 0; }, 1000));
    EXPECT_EQ(State.TrayData.hIcon, LoadProgramIcon("Icon_1"));
    DeleteTrayIcon(State.MainWindow);
}

TEST_F(SchedulerTest, CancelLeavesTheHotkeyOffWhenItIsNotWanted)
{
    State.HotkeyFlag = 0;
    UseHotkeyLetter('V');
    SetTimeout(30);
    StartTimedExit();
    CancelTimedExit();
    EXPECT_TRUE(HotkeyFree());
}

// Only 1 to 999999 s is armed: a bad number never becomes "exit now".
TEST_F(SchedulerTest, ATimeoutOutsideItsRangeArmsNothing)
{
    for (int seconds : {0, -5, 1000000}) {
        SetTimeout(seconds);
        StartTimedExit();
        EXPECT_EQ(State.TimerRunning, 0u) << seconds << " s";
    }
}

// The countdown keeps the warning the exit was armed with.
TEST_F(SchedulerTest, TheCountdownUsesTheWarningItWasArmedWith)
{
    Recorder::UseVirtualTime(2026, 3, 28, 12, 0, 0);
    SetTimeout(30);
    SetWarning(10);
    StartTimedExit();
    State.WarnSeconds = 25;
    Recorder::AdvanceTime(20000);
    ASSERT_NE(State.CountdownWindow, nullptr);
    EXPECT_EQ(Harness::ItemText(State.CountdownWindow, IDC_CD_TIMELEFT), "00:10");
    Recorder::AdvanceTime(10000);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
}

TEST_F(SchedulerTest, ASecondStartWhileArmedIsIgnored)
{
    SetTimeout(30);
    SetWarning(10);
    StartTimedExit();
    UINT_PTR exitTimer = State.ExitTimerId;
    UINT_PTR warnTimer = State.WarnTimerId;
    ASSERT_NE(exitTimer, 0u);
    ASSERT_NE(warnTimer, 0u);
    State.TimeoutSeconds = 1;
    StartTimedExit();
    EXPECT_EQ(State.ExitTimerId, exitTimer);
    EXPECT_EQ(State.TimerRunning, exitTimer);
    EXPECT_EQ(State.WarnTimerId, warnTimer);
    EXPECT_EQ(State.Armed.delayMs, 30000u);
    CancelTimedExit();
    EXPECT_TRUE(TimerGone(exitTimer));
    EXPECT_TRUE(TimerGone(warnTimer));
}

TEST_F(SchedulerTest, AnInvalidTimeOfDayArmsNothingAndSaysNothing)
{
    AddTrayIcon(State.MainWindow, LoadProgramIcon("Icon_2"), "Reboot");
    SetTimeOfDay("250000");
    StartTimedExit();
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_EQ(State.ExitTimerId, 0u);
    EXPECT_STREQ(State.TrayData.szTip, "Reboot");
    EXPECT_TRUE(Harness::Boxes().empty());
    DeleteTrayIcon(State.MainWindow);
}

// ---- the warning --------------------------------------------------------------

TEST_F(SchedulerTest, WarningLongerThanTheTimeoutIsRefusedBeforeArming)
{
    State.HotkeyFlag = 1;
    UseHotkeyLetter('J');
    SetHotkey(1);
    ShowExitTypeIcon(true);
    SetTimeout(5);
    SetWarning(10);
    Harness::AnswerBoxes({IDOK});
    EXPECT_FALSE(StartTimedExit());
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    const Harness::Box& box = Harness::Boxes()[0];
    Harness::ExpectErrorBox(box, "Warning time is bigger than timeout");
    EXPECT_FALSE(box.timedExitArmed) << "nothing is armed behind the box";
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_EQ(State.WarnTimerId, 0u);
    EXPECT_FALSE(HotkeyFree()) << "the hotkey stays";
    EXPECT_STREQ(State.TrayData.szTip, "Shutdown") << "the icon still shows the exit type";
    EXPECT_EQ(PostedReselections(ExitTypeShutdown), 0) << "nothing to re-select";
    EXPECT_FALSE(QuitPosted()) << "with an icon the program goes on";
    DeleteTrayIcon(State.MainWindow);
}

// Without an icon the caller ends the program after its own box: a quit
// posted here would close that box the instant it appears.
TEST_F(SchedulerTest, WarningLongerThanTheTimeOfDayLeavesTheEndToTheCaller)
{
    State.NoIconMode = 1;
    Recorder::SetLocalTime(12, 0, 0);
    SetTimeOfDay("120005");
    SetWarning(10);
    Harness::AnswerBoxes({IDOK});
    StartTimedExit();
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    EXPECT_EQ(Harness::Boxes()[0].text, "Warning time is bigger than timeout");
    EXPECT_FALSE(Harness::Boxes()[0].timedExitArmed);
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_FALSE(QuitPosted());
}

TEST_F(SchedulerTest, TheWarningTimerOpensTheCountdownShowingTheWarningSeconds)
{
    std::snprintf(State.WarningText, sizeof State.WarningText, "Counting down to shutdown");
    SetTimeout(3);
    SetWarning(2);
    double start = NowMs();
    StartTimedExit();
    UINT_PTR warningTimer = State.WarnTimerId;
    ASSERT_NE(warningTimer, 0u);
    EXPECT_EQ(State.CountdownWindow, nullptr);
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow != nullptr; }, 3000));
    double opened = NowMs() - start;
    EXPECT_GE(opened, 980.0);
    EXPECT_LT(opened, 1500.0);

    HWND window = State.CountdownWindow;
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), State.MainWindow);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char caption[32] = "";
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Countdown");
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TIMELEFT), "00:02");
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TEXT), "Counting down to shutdown");
    EXPECT_EQ(State.CountdownLeft, 2);
    EXPECT_NE(State.WarnTimerId, 0u);
    if (State.WarnTimerId != warningTimer) EXPECT_TRUE(TimerGone(warningTimer));

    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownLeft == 1; }, 1500));
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TIMELEFT), "00:01");

    ASSERT_TRUE(Harness::PumpUntil(Idle, 3000));
    EXPECT_FALSE(IsWindow(window)) << "the exit closes the countdown window";
    EXPECT_EQ(State.WarnTimerId, 0u);
}

// ---- the exit ---------------------------------------------------------------

TEST_F(SchedulerTest, TheExitTimerCancelsBeforeItPerformsTheExit)
{
    State.ExitType = ExitTypeReboot;
    SetTimeout(1);
    Recorder::SetLocalTime(8, 0, 0);
    StartTimedExit();
    UINT_PTR exitTimer = State.ExitTimerId;
    ASSERT_STREQ(State.TrayData.szTip, "Timed Exit: Reboot at 08:00:01");
    ASSERT_TRUE(Harness::PumpUntil(Idle, 3000));
    EXPECT_TRUE(TimerGone(exitTimer));
    EXPECT_EQ(State.ExitTimerId, 0u);
    // PerformExit acts only when TimerRunning is 0: the request proves the order.
    const RecordedCall* request = Recorder::Find("ExitWindowsEx");
    ASSERT_NE(request, nullptr) << "the exit was not performed";
    EXPECT_EQ(request->arg[0], static_cast<uintptr_t>(EWX_REBOOT));
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
    EXPECT_FALSE(QuitPosted());
    Harness::PumpFor(1200);
    EXPECT_STREQ(State.TrayData.szTip, "Reboot") << "the posted re-selection brings the icon back";
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1) << "the exit timer must fire once";
}

TEST_F(SchedulerTest, InIconlessModeTheProgramQuitsAfterTheExit)
{
    State.NoIconMode = 1;
    SetTimeout(1);
    StartTimedExit();
    ASSERT_TRUE(Harness::PumpUntil(Idle, 3000));
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
}

// ---- cancelling ----------------------------------------------------------------

TEST_F(SchedulerTest, CloseHidesTheCountdownAndTheExitStillComesOnTime)
{
    SetTimeout(2);
    SetWarning(2);
    double start = NowMs();
    StartTimedExit();
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow != nullptr; }, 500));
    HWND window = State.CountdownWindow;
    Harness::Click(window, IDC_CD_CLOSE);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(State.TimerRunning, 0u) << "Close must not cancel";
    EXPECT_NE(State.WarnTimerId, 0u) << "the countdown keeps counting";
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownLeft == 1; }, 1500));
    EXPECT_EQ(State.CountdownWindow, nullptr) << "a closed window is not shown again";
    ASSERT_TRUE(Harness::PumpUntil(Idle, 3000));
    double fired = NowMs() - start;
    EXPECT_GT(fired, 1980.0);
    EXPECT_LT(fired, 2250.0);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
}

TEST_F(SchedulerTest, TheCloseBoxActsAsClose)
{
    SetTimeout(30);
    SetWarning(30);
    StartTimedExit();
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow != nullptr; }, 500));
    HWND window = State.CountdownWindow;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(State.TimerRunning, 0u);
    CancelTimedExit();
}

TEST_F(SchedulerTest, AbortCancelsTheTimedExit)
{
    State.HotkeyFlag = 1;
    UseHotkeyLetter('R');
    SetTimeout(30);
    SetWarning(30);
    StartTimedExit();
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow != nullptr; }, 500));
    HWND window = State.CountdownWindow;
    UINT_PTR exitTimer = State.ExitTimerId;
    UINT_PTR countdownTimer = State.WarnTimerId;
    Harness::Click(window, IDC_CD_ABORT);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_TRUE(TimerGone(exitTimer));
    EXPECT_TRUE(TimerGone(countdownTimer));
    EXPECT_FALSE(HotkeyFree());
    EXPECT_EQ(PostedReselections(ExitTypeShutdown), 1);
    Harness::PumpFor(100);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 0);
}

TEST_F(SchedulerTest, ATrayClickCancelsAndIsRemembered)
{
    SetTimeout(1);
    SetWarning(1);
    StartTimedExit();
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow != nullptr; }, 500));
    HWND window = State.CountdownWindow;
    TrayClickAction();
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(State.TimerFlag, 1);
    EXPECT_EQ(State.WarnFlag, 1);
    Harness::PumpFor(1300);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 0) << "a cancelled exit must never come";

    // The next click arms the same timed exit again.
    TrayClickAction();
    EXPECT_NE(State.TimerRunning, 0u);
    CancelTimedExit();
}

TEST_F(SchedulerTest, CancelWhenIdleIsHarmless)
{
    CancelTimedExit();
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_EQ(PostedReselections(ExitTypeShutdown), 1);
}

TEST_F(SchedulerTest, ANumberThatIsNoExitTypeIsNotPostedAsACommand)
{
    for (int stored : {IDM_SINGLECLICK, IDM_ABOUT, IDM_EXITPROGRAM, IDM_HIDEICON, 99}) {
        SCOPED_TRACE(testing::Message() << "ExitType " << stored);
        State.ExitType = stored;
        SetTimeout(30);
        StartTimedExit();
        ASSERT_NE(State.TimerRunning, 0u);
        CancelTimedExit();
        EXPECT_EQ(PostedReselections(stored), 0);
        EXPECT_STREQ(State.TrayData.szTip, "Dorva NT") << "the hourglass goes, the program's own icon comes";
        // Nothing of the command would have run: no box, no dialog, no change.
        EXPECT_EQ(State.ClickFlag, 1);
        EXPECT_TRUE(IsWindow(State.MainWindow));
    }
}

// ---- clock changes and resume -------------------------------------------------

// ---- virtual time: midnight, daylight saving, sleep, clock changes, forged timers

// A step of virtual time: 'w' time passes; 'c' the clock is changed and
// WM_TIMECHANGE sent; 's' the computer sleeps, resumes, then its overdue
// timers fire; 'S' the overdue timers fire before the resume message; 'z' as
// 's' with a tick count that stood still; 'r' a resume message alone; 'f'
// another program posts the exit timer's message.
struct ClockStep {
    char kind;
    long long ms;
};
constexpr long long Minute = 60 * 1000, Hour = 60 * Minute;
// Both switch on 2027-03-28, and neither says so: east of UTC summer time
// starts at 02:00, west of it (south of the equator) it ends at 03:00.
constexpr ZoneRules East = {-60, 0, -60, {10, 0, 5, 3 * Hour}, {3, 0, 5, 2 * Hour}};
constexpr ZoneRules West = {240, 0, -60, {3, 0, 5, 3 * Hour}, {10, 0, 1, 2 * Hour}};

struct ClockCase {
    const char* what;
    int hour, minute, second;  // the clock at arming, on the 28th
    const char* atValue;       // nullptr: a timeout of `timeout` seconds
    int timeout;
    std::vector<ClockStep> steps;
    const char* exitAt;        // the clock at the exit request, "" for none
    const ZoneRules* zone;
    int wake;                  // 1: the computer is woken for the exit, 2: it cannot be
};

std::string ExitClock;
void NoteExitClock(const RecordedCall& call)
{
    if (std::strcmp(call.name, "ExitWindowsEx") != 0) return;
    SYSTEMTIME now = {};
    Recorder::VirtualLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%02u %02u:%02u:%02u", now.wDay, now.wHour, now.wMinute, now.wSecond);
    ExitClock = text;
}

void RunStep(const ClockStep& step)
{
    switch (step.kind) {
    case 'w': Recorder::AdvanceTime(static_cast<DWORD>(step.ms)); break;
    case 'c':
        Recorder::JumpClock(step.ms);
        SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
        break;
    case 's':
    case 'S':
    case 'z':
        Recorder::PassTimeAsleep(static_cast<DWORD>(step.ms), step.kind == 'z');
        if (step.kind == 'S') Recorder::AdvanceTime(0);
        SendMessageA(State.MainWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
        Recorder::AdvanceTime(0);
        break;
    case 'r': SendMessageA(State.MainWindow, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0); break;
    case 'f': ExitTimerProc(nullptr, WM_TIMER, State.ExitTimerId, 0); break;
    default: FAIL() << "unknown step " << step.kind;
    }
}

// The exit comes when the clock first shows its time (or its timeout has
// passed), whatever happened in between, with one exit timer that wakes only
// for its due time and what is announced.
TEST_F(SchedulerTest, TheExitComesOnTimeWhateverTheClockDoes)
{
    const ClockCase cases[] = {
        {"000500 at 00:01 is 4 minutes away", 0, 1, 0, "000500", 0, {{'w', 5 * Minute}}, "28 00:05:00"},
        {"000500 at 23:00, resumed at 00:03", 23, 0, 0, "000500", 0,
         {{'w', 63 * Minute}, {'r', 0}, {'w', 3 * Minute}}, "29 00:05:00"},
        {"time of day 10 h away", 2, 0, 0, "120000", 0, {{'w', 11 * Hour}}, "28 12:00:00"},
        {"summer time starts", 1, 59, 35, "030020", 0, {{'w', 2 * Hour}}, "28 03:00:20", &East},
        {"a time the clock jumps over is reached at the jump", 1, 0, 0, "023000", 0, {{'w', 2 * Hour}},
         "28 03:00:00", &East},
        {"summer time ends: the first showing", 1, 50, 0, "022000", 0, {{'w', 2 * Hour}}, "28 02:20:00", &West},
        {"summer time ends: shown again after arming", 2, 40, 0, "022000", 0, {{'w', Hour}}, "28 02:20:00",
         &West},
        {"summer time ends: a timeout counts real time", 1, 0, 0, nullptr, 7200, {{'w', 2 * Hour}}, "28 02:00:00", &West},
        {"clock put forward", 12, 0, 0, "120003", 0, {{'c', 2000}, {'w', 1000}}, "28 12:00:03"},
        {"clock put back", 12, 0, 0, "120001", 0, {{'c', -1000}, {'w', 1999}}, ""},
        {"clock put back, then on time", 12, 0, 0, "120001", 0, {{'c', -1000}, {'w', 2000}}, "28 12:00:01"},
        {"slept through: the next day", 12, 0, 0, "120500", 0, {{'s', 10 * Minute}, {'w', 23 * Hour}}, ""},
        {"slept through, then the next day", 12, 0, 0, "120500", 0, {{'s', 10 * Minute}, {'w', 24 * Hour}},
         "29 12:05:00"},
        {"slept through, timers before the resume", 12, 0, 0, "120500", 0, {{'S', 10 * Minute}, {'w', Hour}}, ""},
        {"slept through, the tick count stood still", 12, 0, 0, "120500", 0, {{'z', 10 * Minute}, {'w', Hour}}, ""},
        {"woke within a minute", 12, 0, 0, "120500", 0, {{'s', 5 * Minute + 30000}}, "28 12:05:30"},
        {"woken for the exit", 12, 0, 0, "120500", 0, {{'s', 5 * Minute + 90000}}, "28 12:06:30", nullptr, 1},
        {"cannot be woken: slept through", 12, 0, 0, "120500", 0, {{'s', 5 * Minute + 90000}}, "", nullptr, 2},
        {"forged timer before the time", 12, 0, 0, "120500", 0, {{'f', 0}, {'w', 4 * Minute}, {'f', 0}}, ""},
        {"forged timer, then on time", 12, 0, 0, "120500", 0, {{'f', 0}, {'w', 5 * Minute}}, "28 12:05:00"},
        {"forged timeout timer", 12, 0, 0, nullptr, 30, {{'f', 0}, {'w', 29000}, {'f', 0}}, ""},
        {"forged timeout timer, then on time", 12, 0, 0, nullptr, 30, {{'f', 0}, {'w', 30000}}, "28 12:00:30"},
        {"a timeout keeps its delay over a clock change", 12, 0, 0, nullptr, 30,
         {{'c', 6 * Hour}, {'r', 0}, {'w', 30000}}, "28 18:00:30"},
    };
    for (const ClockCase& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder::Reset();
        Recorder::UseVirtualTime(2027, 3, 28, c.hour, c.minute, c.second, c.zone);
        Recorder::OnCall(NoteExitClock);
        ExitClock.clear();
        Harness::ClearBoxes();
        State.WakeFlag = c.wake != 0;
        Recorder::RefuseWaking(c.wake == 2);
        if (c.wake == 2) Harness::AnswerBoxes({IDOK});
        if (c.atValue) {
            SetTimeOfDay(c.atValue);
        } else {
            SetTimeout(c.timeout);
        }
        StartTimedExit();
        ASSERT_NE(State.TimerRunning, 0u);
        for (const ClockStep& step : c.steps) {
            RunStep(step);
            EXPECT_LE(Recorder::LiveVirtualTimers(), 1) << "one exit timer, after step " << step.kind;
        }
        EXPECT_EQ(ExitClock, c.exitAt);
        EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), c.exitAt[0] ? 1 : 0);
        if (c.wake) EXPECT_EQ(Recorder::Find("SetWaitableTimer")->arg[0], DayNumber(2027, 3, 28) * 86400u + 43500u);
        EXPECT_EQ(Harness::Boxes().size(), c.wake == 2 ? 1u : 0u) << "one box says the computer cannot be woken";
        EXPECT_LE(Recorder::VirtualTimersMade(), 1 + static_cast<long long>(c.steps.size()) * 2)
            << "no wake beyond the due time and what is announced";
        CancelTimedExit();
    }
}

TEST_F(SchedulerTest, AClockChangeMovesThePendingWarningWithTheExit)
{
    Recorder::SetLocalTime(12, 0, 0);
    SetTimeOfDay("120030");
    SetWarning(10);
    StartTimedExit();
    UINT_PTR warningTimer = State.WarnTimerId;
    ASSERT_NE(warningTimer, 0u);

    // Still before the warning time: the warning timer is armed again.
    Recorder::SetLocalTime(12, 0, 5);
    SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(State.Armed.dueLocal - State.Armed.checkedUtc, 25000) << "the time left at the last look";
    EXPECT_NE(State.WarnTimerId, 0u);
    EXPECT_EQ(State.CountdownWindow, nullptr);
    if (State.WarnTimerId != warningTimer) EXPECT_TRUE(TimerGone(warningTimer));

    // Past the warning time: the countdown opens now with the real time left.
    Recorder::SetLocalTime(12, 0, 26);
    SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
    ASSERT_NE(State.CountdownWindow, nullptr);
    EXPECT_EQ(Harness::ItemText(State.CountdownWindow, IDC_CD_TIMELEFT), "00:04");

    // Put back within the warning time: the countdown goes on, re-counted.
    Recorder::SetLocalTime(12, 0, 23);
    SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
    HWND window = State.CountdownWindow;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Harness::ItemText(window, IDC_CD_TIMELEFT), "00:07");

    // Put back beyond it: the countdown stops and the warning waits again.
    Recorder::SetLocalTime(12, 0, 10);
    SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(State.CountdownWindow, nullptr);
    EXPECT_NE(State.WarnTimerId, 0u);
    EXPECT_EQ(State.Armed.dueLocal - State.Armed.checkedUtc, 20000);
    EXPECT_NE(State.TimerRunning, 0u);
    CancelTimedExit();
}

TEST_F(SchedulerTest, AClosedCountdownStaysClosedOverAClockChange)
{
    Recorder::SetLocalTime(12, 0, 0);
    SetTimeOfDay("120005");
    SetWarning(5);
    StartTimedExit();
    ASSERT_TRUE(Harness::PumpUntil([] { return State.CountdownWindow != nullptr; }, 500));
    Harness::Click(State.CountdownWindow, IDC_CD_CLOSE);
    Recorder::SetLocalTime(12, 0, 2);
    SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(State.CountdownWindow, nullptr);
    EXPECT_EQ(State.CountdownLeft, 3) << "the count follows the exit";
    Recorder::SetLocalTime(11, 59, 0);
    SendMessageA(State.MainWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(State.CountdownWindow, nullptr);
    EXPECT_EQ(State.WarnTimerId, 0u) << "the dismissed warning is not armed again";
    EXPECT_NE(State.TimerRunning, 0u);
    CancelTimedExit();
}

}  // namespace
