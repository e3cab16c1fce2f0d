// Random sequences of what the user, the system and other programs do, played
// against the real procedures in virtual time. After every step the promises
// must hold: an exit request only follows a consent or the due time of an
// armed exit, and only once; one countdown window at most; the program can
// always be reached. Seeds 1 to Sequences run every time, then the seeds of
// bugs found before; DORVA_SEQUENCE_SEED=n plays seed n alone. A failure
// prints its seed and its steps.
#include "app/program_state.h"
#include "app/startup.h"
#include "app/tray_icon.h"
#include "dialogs/hotkey.h"
#include "exit/system_actions.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "timer/scheduler.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using Harness::Click;
using Harness::SetItemText;

constexpr unsigned Sequences = 40;
constexpr int StepsPerSequence = 30;
const unsigned RegressionSeeds[] = {0u};  // none found yet
constexpr long long Second = 1000, Minute = 60 * Second, Hour = 60 * Minute;
constexpr char HotkeyLetter = 'G';
// Clock jumps here are at most an hour, and one without a message is noticed
// within a quarter of an hour.
constexpr long long LatestTimeOfDaySeconds = 75 * 60;

// Why an exit request may come during the action now running.
enum class Cause { None, Consent, Time };
struct World {
    unsigned seed = 0;
    std::string steps, fault;  // the steps so far, the first broken promise
    Cause cause = Cause::None;
    bool armed = false;        // a timed exit was armed when the action began
    ArmedTimedExit record = {};
    int yes = 0, yesBefore = 0;  // confirmations answered Yes, in all and before the action
    bool requested = false;    // the action has led to its exit request
};
World W;

unsigned Next()
{
    W.seed = W.seed * 1103515245u + 12345u;
    return (W.seed >> 16) & 0x7FFF;
}
int Pick(int n) { return static_cast<int>(Next() % static_cast<unsigned>(n)); }
bool OneIn(int n) { return Pick(n) == 0; }
void Fault(const char* what)
{
    if (W.fault.empty()) W.fault = what;
}

void Act(const std::string& what, Cause cause)
{
    W.steps += what + "; ";
    W.cause = cause;
    W.armed = State.TimerRunning != 0;
    W.record = State.Armed;
    W.yesBefore = W.yes;
    W.requested = false;
}

bool DueReached()
{
    const ArmedTimedExit& armed = W.record;
    if (!W.armed) return false;
    if (!armed.atTimeOfDay) return SysGetTickCount() - armed.armTick + 250 >= armed.delayMs;
    SYSTEMTIME now = {};
    Recorder::VirtualLocalTime(&now);
    long long late = now.wHour * 3600LL + now.wMinute * 60 + now.wSecond -
                     ((armed.hour % 24) * 3600LL + armed.minute * 60 + armed.second);
    return (late % 86400 + 86400) % 86400 <= LatestTimeOfDaySeconds;
}

void OnRecordedCall(const RecordedCall& call)
{
    bool request = std::strcmp(call.name, "ExitWindowsEx") == 0 || std::strcmp(call.name, "FindWindow") == 0 ||
                   (std::strcmp(call.name, "PostMessage") == 0 && call.arg[1] == WM_SYSCOMMAND);
    if (!request) return;
    if (W.requested) return Fault("a second exit request for one consent or due time");
    W.requested = true;
    if (State.ConfirmFlag && W.yes == W.yesBefore) return Fault("an exit request without a Yes");
    if (W.cause == Cause::Consent || (W.cause == Cause::Time && DueReached())) return;
    Fault("an exit request with neither consent nor a due time");
}

int AnswerBox(const Harness::Box& box)
{
    if (box.text != "Are you sure you want to exit ?") return (box.flags & MB_YESNO) ? IDNO : IDOK;
    bool yes = OneIn(2);
    W.yes += yes;
    W.steps += yes ? "Yes; " : "No; ";
    return yes ? IDYES : IDNO;
}

bool HotkeyRegistered()
{
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, HotkeyLetter) != FALSE;
    if (free) UnregisterHotKey(other, 1);
    DestroyWindow(other);
    return !free;
}

BOOL CALLBACK CountCountdowns(HWND window, LPARAM count)
{
    char text[16] = "";
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::strcmp(text, "Countdown") == 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int Countdowns()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountCountdowns, reinterpret_cast<LPARAM>(&count));
    return count;
}

bool Ended() { return !IsWindow(State.MainWindow); }
void Send(UINT message, WPARAM wParam, LPARAM lParam = 0) { SendMessageA(State.MainWindow, message, wParam, lParam); }

bool TextSays(const char* text, int number)
{
    return std::to_string(number) == text && number >= 1 && number <= MaxTimedSeconds;
}

void CheckPromises()
{
    if (Ended()) return;
    int live = Recorder::LiveVirtualTimers();
    if (State.TimerRunning ? live > 2 : live != 0) Fault("more timers alive than the timed exit needs");
    if (State.TimerRunning != State.ExitTimerId) Fault("TimerRunning is not the exit timer");
    if (Countdowns() > 1) Fault("two countdown windows");
    if (State.TimerFlag && !TextSays(State.TimerValue, State.TimeoutSeconds)) Fault("timeout text and number differ");
    if (State.WarnFlag && !TextSays(State.WarnValue, State.WarnSeconds)) Fault("warning text and number differ");
    bool iconWanted = !State.NoIconMode && !State.HideIconFlag;
    if (!iconWanted && !Countdowns() && !State.TimerRunning && !HotkeyRegistered()) {
        Fault("nothing left to reach the program by");
    }
}

// ---- what happens ---------------------------------------------------------------

int RandomExitType() { return ExitTypeShutdown + 10 * Pick(6); }

void ClickIcon()
{
    bool twice = OneIn(2);
    bool acts = (twice ? !State.ClickFlag : State.ClickFlag) && !State.TimerRunning && !State.TimerFlag;
    Act(twice ? "double click" : "click", acts ? Cause::Consent : Cause::None);
    OnTrayMessage(0, twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
}

// The short menu is grayed while a timed exit is armed.
void ShiftPick()
{
    if (State.TimerRunning) return;
    int type = RandomExitType();
    Act("Shift-pick " + std::to_string(type), Cause::Consent);
    State.PickToExit = 1;
    Send(WM_COMMAND, static_cast<WPARAM>(type));
}

void PressHotkey()
{
    if (!HotkeyRegistered()) return;
    Act("hotkey", !State.TimerFlag && !State.AtFlag ? Cause::Consent : Cause::None);
    Send(WM_HOTKEY, HotkeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, HotkeyLetter));
}

void PassTime()
{
    static const long long spans[] = {Second, 10 * Second, Minute, 10 * Minute, Hour, 5 * Hour};
    long long ms = spans[Pick(6)];
    if (State.TimerRunning && OneIn(2)) ms = State.MillisToExit + (Pick(3) - 1) * Second;
    ms = ms < 0 ? 0 : ms;
    Act("wait " + std::to_string(ms / Second) + " s", Cause::Time);
    Recorder::AdvanceTime(static_cast<DWORD>(ms));
}

// A clock change announced by WM_TIMECHANGE, or a daylight-saving switch
// that no message announces.
void ChangeClock()
{
    bool announced = OneIn(2);
    long long ms = announced ? (Pick(121) - 60) * Minute : (OneIn(2) ? Hour : -Hour);
    Act((announced ? "clock change " : "daylight saving ") + std::to_string(ms / Minute) + " min", Cause::Time);
    Recorder::JumpClock(ms);
    if (announced) Send(WM_TIMECHANGE, 0);
}

// The overdue timers fire before or after the resume message.
void SleepAndResume()
{
    long long ms = (1 + Pick(180)) * Minute;
    Act("sleep " + std::to_string(ms / Minute) + " min", Cause::Time);
    Recorder::PassTimeAsleep(static_cast<DWORD>(ms));
    if (OneIn(2)) Recorder::AdvanceTime(0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    Recorder::AdvanceTime(0);
}

// Another program posts the timer messages with the callbacks' addresses.
void ForgeTimers()
{
    Act("forged timers", Cause::Time);
    ExitTimerProc(nullptr, WM_TIMER, State.ExitTimerId, 0);
    WarningTimerProc(nullptr, WM_TIMER, State.WarnTimerId, 0);
}

void QueryEndSession()
{
    Act("session end query", Cause::None);
    LRESULT answer = SendMessageA(State.MainWindow, WM_QUERYENDSESSION, 0, 0);
    if (answer != (State.BlockFlag ? 0 : 1)) Fault("wrong answer to the session end query");
}

void CountdownButton()
{
    HWND window = State.CountdownWindow;
    if (!window || !IsWindow(window)) return;
    bool abort = OneIn(2);
    Act(abort ? "Abort" : "Close", Cause::None);
    Click(window, abort ? IDC_CD_ABORT : IDC_CD_CLOSE);
}

// The full menu is grayed while a timed exit is armed, but for Exit Program.
void MenuCommand()
{
    if (State.TimerRunning) return;
    static const int toggles[] = {IDM_CONFIRM, IDM_SINGLECLICK};
    int command = OneIn(2) ? RandomExitType() : toggles[Pick(2)];
    Act("menu " + std::to_string(command), Cause::None);
    Send(WM_COMMAND, static_cast<WPARAM>(command));
}

void ExitProgram()
{
    Act("Exit Program", Cause::None);
    Send(WM_COMMAND, IDM_EXITPROGRAM);
    Recorder::AdvanceTime(0);
}

std::string TimeOfDayText()
{
    static const char* const odd[] = {"250000", "", "1200000", "000500", "abc"};
    if (OneIn(3)) return odd[Pick(5)];
    static const int ahead[] = {0, 5, 60, 3600, 82800};
    SYSTEMTIME now = {};
    Recorder::VirtualLocalTime(&now);
    int seconds = (now.wHour * 3600 + now.wMinute * 60 + now.wSecond + ahead[Pick(5)]) % 86400;
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// What can also happen while a dialog is open.
void MeanwhileSomethingElse()
{
    switch (Pick(5)) {
    case 0: ClickIcon(); break;
    case 1: PassTime(); break;
    case 2: ChangeClock(); break;
    case 3: ForgeTimers(); break;
    default: PressHotkey(); break;
    }
}

void ScriptTimedExitOptions(HWND dialog)
{
    static const char* const seconds[] = {"30", "5", "1", "0", "abc", "-5", "", "1000000", "999999", " 45"};
    int choice = Pick(3);
    Click(dialog, choice == 0 ? IDC_TE_TIMEOUT : choice == 1 ? IDC_TE_AT : IDC_TE_NONE);
    if (choice == 0) SetItemText(dialog, IDC_TE_TIMEOUTEDIT, seconds[Pick(10)]);
    if (choice == 1) SetItemText(dialog, IDC_TE_ATEDIT, TimeOfDayText().c_str());
    if (choice != 2 && OneIn(2)) {
        if (!Harness::IsChecked(dialog, IDC_TE_WARN)) Click(dialog, IDC_TE_WARN);
        SetItemText(dialog, IDC_TE_WARNEDIT, seconds[Pick(10)]);
    }
    for (int more = Pick(3); more > 0; --more) MeanwhileSomethingElse();
    Act("OK or Cancel", Cause::None);
    Click(dialog, OneIn(4) ? IDCANCEL : IDOK);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) Click(dialog, IDCANCEL);
}

void OpenTimedExitOptions()
{
    if (State.TimerRunning) return;
    Act("Timed Exit Options", Cause::None);
    Harness::OnNextDialog(ScriptTimedExitOptions);
    Send(WM_COMMAND, IDM_TIMEDEXIT);
}

void Step()
{
    switch (Pick(24)) {
    case 0: case 1: case 2: ClickIcon(); break;
    case 3: ShiftPick(); break;
    case 4: case 5: PressHotkey(); break;
    case 6: case 7: case 8: case 9: case 10: PassTime(); break;
    case 11: case 12: ChangeClock(); break;
    case 13: case 14: SleepAndResume(); break;
    case 15: ForgeTimers(); break;
    case 16: QueryEndSession(); break;
    case 17: case 18: CountdownButton(); break;
    case 19: case 20: MenuCommand(); break;
    case 21: case 22: OpenTimedExitOptions(); break;
    default: if (OneIn(8)) ExitProgram(); break;
    }
}

class SequenceTest : public DorvaTest {
protected:
    void TearDown() override
    {
        Clear();
        DorvaTest::TearDown();
    }
    void Clear()
    {
        if (!Ended()) {
            CancelTimedExit();
            SetHotkey(0);
            DestroyWindow(State.MainWindow);
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    // A fresh program with settings as the saved settings and the command
    // line could leave them, at a random date and time.
    void Start(unsigned seed)
    {
        Clear();
        W = World();
        W.seed = seed;
        ResetProgramState();
        SetDefaults();
        State.Instance = GetModuleHandleA(nullptr);
        Recorder::Reset();
        Recorder::UseVirtualTime(2026, 1 + Pick(12), 1 + Pick(28), Pick(24), Pick(60), Pick(60));
        Recorder::OnCall(OnRecordedCall);
        Harness::AnswerOtherBoxes(AnswerBox);
        CreateMainWindowAndMenus();
        static const int timeouts[] = {5, 30, 600};
        int mode = Pick(3);
        State.ExitType = RandomExitType();
        State.ConfirmFlag = OneIn(3);
        State.ClickFlag = !OneIn(4);
        State.TimerFlag = mode == 0;
        State.AtFlag = mode == 1;
        State.TimeoutSeconds = timeouts[Pick(3)];
        State.WarnFlag = mode != 2 && OneIn(2);
        State.WarnSeconds = State.TimeoutSeconds < 10 ? State.TimeoutSeconds : 10;
        std::snprintf(State.TimerValue, sizeof State.TimerValue, "%d", State.TimeoutSeconds);
        std::snprintf(State.WarnValue, sizeof State.WarnValue, "%d", State.WarnSeconds);
        std::snprintf(State.AtValue, sizeof State.AtValue, "%s", TimeOfDayText().c_str());
        State.HotKey[0] = HotkeyLetter;
        State.HotkeyFlag = OneIn(2);
        SetHotkey(State.HotkeyFlag);
        if (State.AtFlag && OneIn(2)) StartTimedExit();  // as the command line does
    }
    void Play(unsigned seed)
    {
        Start(seed);
        for (int step = 0; step < StepsPerSequence && W.fault.empty() && !Ended(); ++step) {
            Step();
            CheckPromises();
        }
        EXPECT_EQ(W.fault, "") << "seed " << seed << ": " << W.steps;
    }

    Harness::SharedLock hotkeys_{"DorvaNT.Tests.Hotkeys"};
};

TEST_F(SequenceTest, RandomSequencesKeepEveryPromise)
{
    if (const char* chosen = std::getenv("DORVA_SEQUENCE_SEED")) return Play(std::strtoul(chosen, nullptr, 10));
    for (unsigned seed = 1; seed <= Sequences; ++seed) Play(seed);
    for (unsigned seed : RegressionSeeds) {
        if (seed) Play(seed);
    }
}

}  // namespace
