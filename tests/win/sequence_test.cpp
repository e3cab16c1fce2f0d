// Random sequences of what the user, the system and other programs do, played
// against the real procedures in virtual time. After every step the
// program's promises must hold: an exit request only follows a consent or the
// due time of an armed exit, and only once; one countdown window at most; the
// program can always be reached. Seeds 1 to Sequences run every time, then the
// seeds of bugs found before; DORVA_SEQUENCE_SEED=n plays seed n alone. A
// failure prints its seed and its steps.
#include "app/menus.h"
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
const unsigned RegressionSeeds[] = {0u};
constexpr long long Second = 1000, Minute = 60 * Second, Hour = 60 * Minute;
constexpr char HotkeyLetter[] = "G";
constexpr long long EarlyToleranceMs = 250;
// Clock jumps here are at most an hour, and a jump without a message is
// noticed within a quarter of an hour.
constexpr long long LatestTimeOfDaySeconds = 75 * 60;

// Why an exit request may come during the current action.
enum class Cause { None, Consent, Time };
struct Justification {
    Cause cause = Cause::None;
    bool armed = false;
    ArmedTimedExit record = {};
    int yesBefore = 0;
    bool used = false;
};

struct World {
    unsigned seed = 0;
    std::string steps;
    std::string fault;  // the first broken promise
    Justification why;
    int yes = 0;        // confirmations answered Yes
};
World W;

unsigned Next()
{
    W.seed = W.seed * 1103515245u + 12345u;
    return (W.seed >> 16) & 0x7FFF;
}
int Pick(int n) { return static_cast<int>(Next() % static_cast<unsigned>(n)); }
bool OneIn(int n) { return Pick(n) == 0; }
void Fault(const std::string& what)
{
    if (W.fault.empty()) W.fault = what;
}
void Log(const std::string& what) { W.steps += what + "; "; }

// The action now running, and whether it may lead to an exit request.
void Expect(Cause cause)
{
    W.why = Justification();
    W.why.cause = cause;
    W.why.armed = State.TimerRunning != 0;
    W.why.record = State.Armed;
    W.why.yesBefore = W.yes;
}

bool DueReached(const Justification& why)
{
    if (!why.armed) return false;
    const ArmedTimedExit& armed = why.record;
    if (!armed.atTimeOfDay) return SysGetTickCount() - armed.armTick + EarlyToleranceMs >= armed.delayMs;
    SYSTEMTIME now = {};
    Recorder::VirtualLocalTime(&now);
    long long due = (armed.hour % 24) * 3600LL + armed.minute * 60 + armed.second;
    long long clock = now.wHour * 3600LL + now.wMinute * 60 + now.wSecond;
    return ((clock - due) % 86400 + 86400) % 86400 <= LatestTimeOfDaySeconds;
}

void OnRecordedCall(const RecordedCall& call)
{
    bool request = std::strcmp(call.name, "ExitWindowsEx") == 0 || std::strcmp(call.name, "FindWindow") == 0 ||
                   (std::strcmp(call.name, "PostMessage") == 0 && call.arg[1] == WM_SYSCOMMAND);
    if (!request) return;
    Justification& why = W.why;
    if (why.used) return Fault("a second exit request for one consent or due time");
    why.used = true;
    if (State.ConfirmFlag && W.yes == why.yesBefore) return Fault("an exit request without a Yes");
    if (why.cause == Cause::Consent || (why.cause == Cause::Time && DueReached(why))) return;
    Fault("an exit request with neither consent nor a due time");
}

int AnswerBox(const Harness::Box& box)
{
    if (box.text != "Are you sure you want to exit ?") return (box.flags & MB_YESNO) ? IDNO : IDOK;
    bool yes = OneIn(2);
    W.yes += yes;
    Log(yes ? "Yes" : "No");
    return yes ? IDYES : IDNO;
}

bool HotkeyRegistered()
{
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, HotkeyLetter[0]) != FALSE;
    if (free) UnregisterHotKey(other, 1);
    DestroyWindow(other);
    return !free;
}

struct CaptionCount {
    const char* caption;
    int found;
};

BOOL CALLBACK CountCaptioned(HWND window, LPARAM data)
{
    auto* count = reinterpret_cast<CaptionCount*>(data);
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::strcmp(text, count->caption) == 0) ++count->found;
    return TRUE;
}

int WindowsCaptioned(const char* caption)
{
    CaptionCount count = {caption, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountCaptioned, reinterpret_cast<LPARAM>(&count));
    return count.found;
}

bool Ended() { return !IsWindow(State.MainWindow); }
void Send(UINT message, WPARAM wParam, LPARAM lParam = 0) { SendMessageA(State.MainWindow, message, wParam, lParam); }

bool TextSays(const char* text, int number)
{
    char expected[16];
    std::snprintf(expected, sizeof expected, "%d", number);
    return std::strcmp(text, expected) == 0 && number >= 1 && number <= MaxTimedSeconds;
}

void CheckPromises()
{
    if (Ended()) return;
    int live = Recorder::LiveVirtualTimers();
    if (State.TimerRunning ? live > 2 : live != 0) Fault("timers alive: " + std::to_string(live));
    if (State.TimerRunning != State.ExitTimerId) Fault("TimerRunning is not the exit timer");
    if (WindowsCaptioned("Countdown") > 1) Fault("two countdown windows");
    if (State.TimerFlag && !TextSays(State.TimerValue, State.TimeoutSeconds)) Fault("timeout text and number differ");
    if (State.WarnFlag && !TextSays(State.WarnValue, State.WarnSeconds)) Fault("warning text and number differ");
    bool iconWanted = !State.NoIconMode && !State.HideIconFlag;
    if (!iconWanted && !WindowsCaptioned("Countdown") && !State.TimerRunning && !HotkeyRegistered()) {
        Fault("nothing left to reach the program by");
    }
}

// ---- what happens ---------------------------------------------------------------

void ClickIcon()
{
    bool doubleClick = OneIn(2);
    bool acts = doubleClick ? !State.ClickFlag : State.ClickFlag;
    Log(doubleClick ? "double click" : "click");
    Expect(acts && !State.TimerRunning && !State.TimerFlag ? Cause::Consent : Cause::None);
    OnTrayMessage(0, doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
}

int RandomExitType() { return ExitTypeShutdown + 10 * Pick(6); }

// The short menu's items are grayed while a timed exit is armed.
void ShiftPick()
{
    if (State.TimerRunning) return;
    int type = RandomExitType();
    Log("Shift-pick " + std::to_string(type));
    Expect(Cause::Consent);
    State.PickToExit = 1;
    Send(WM_COMMAND, static_cast<WPARAM>(type));
}

void PressHotkey()
{
    if (!HotkeyRegistered()) return;
    Log("hotkey");
    Expect(!State.TimerFlag && !State.AtFlag ? Cause::Consent : Cause::None);
    Send(WM_HOTKEY, HotkeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, HotkeyLetter[0]));
}

void PassTime()
{
    static const long long spans[] = {Second, 10 * Second, Minute, 10 * Minute, Hour, 5 * Hour};
    long long ms = spans[Pick(6)];
    if (State.TimerRunning && OneIn(2)) ms = State.MillisToExit + (Pick(3) - 1) * Second;
    if (ms < 0) ms = 0;
    Log("wait " + std::to_string(ms / Second) + " s");
    Expect(Cause::Time);
    Recorder::AdvanceTime(static_cast<DWORD>(ms));
}

void ChangeClock()
{
    bool announced = OneIn(2);
    long long ms = announced ? (Pick(121) - 60) * Minute : (OneIn(2) ? Hour : -Hour);
    Log(std::string(announced ? "clock change " : "daylight saving ") + std::to_string(ms / Minute) + " min");
    Expect(Cause::Time);
    Recorder::JumpClock(ms);
    if (announced) Send(WM_TIMECHANGE, 0);
}

void SleepAndResume()
{
    long long ms = (1 + Pick(180)) * Minute;
    Log("sleep " + std::to_string(ms / Minute) + " min");
    Expect(Cause::Time);
    Recorder::PassTimeAsleep(static_cast<DWORD>(ms));
    if (OneIn(2)) Recorder::AdvanceTime(0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    Recorder::AdvanceTime(0);
}

// Another program posts the timer messages with the callbacks' addresses.
void ForgeTimers()
{
    Log("forged timers");
    Expect(Cause::Time);
    ExitTimerProc(nullptr, WM_TIMER, State.ExitTimerId, 0);
    WarningTimerProc(nullptr, WM_TIMER, State.WarnTimerId, 0);
}

void QueryEndSession()
{
    Log("session end query");
    Expect(Cause::None);
    LRESULT answer = SendMessageA(State.MainWindow, WM_QUERYENDSESSION, 0, 0);
    if (answer != (State.BlockFlag ? 0 : 1)) Fault("wrong answer to the session end query");
}

void CountdownButton()
{
    HWND window = State.CountdownWindow;
    if (!window || !IsWindow(window)) return;
    bool abort = OneIn(2);
    Log(abort ? "Abort" : "Close");
    Expect(Cause::None);
    Click(window, abort ? IDC_CD_ABORT : IDC_CD_CLOSE);
}

void MenuCommand()
{
    if (State.TimerRunning) return;
    static const int toggles[] = {IDM_CONFIRM, IDM_SINGLECLICK};
    int command = OneIn(2) ? RandomExitType() : toggles[Pick(2)];
    Log("menu " + std::to_string(command));
    Expect(Cause::None);
    Send(WM_COMMAND, static_cast<WPARAM>(command));
}

void SomethingElse();

std::string TimeOfDayText()
{
    static const char* const odd[] = {"250000", "", "1200000", "000500", "abc"};
    if (OneIn(3)) return odd[Pick(5)];
    SYSTEMTIME now = {};
    Recorder::VirtualLocalTime(&now);
    static const int ahead[] = {0, 5, 60, 3600, 82800};
    int seconds = (now.wHour * 3600 + now.wMinute * 60 + now.wSecond + ahead[Pick(5)]) % 86400;
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

void ScriptTimedExitOptions(HWND dialog)
{
    static const char* const seconds[] = {"30", "5", "1", "0", "abc", "-5", "", "1000000", "999999", " 45"};
    int choice = Pick(3);
    Log("options " + std::to_string(choice));
    Click(dialog, choice == 0 ? IDC_TE_TIMEOUT : choice == 1 ? IDC_TE_AT : IDC_TE_NONE);
    if (choice == 0) SetItemText(dialog, IDC_TE_TIMEOUTEDIT, seconds[Pick(10)]);
    if (choice == 1) SetItemText(dialog, IDC_TE_ATEDIT, TimeOfDayText().c_str());
    if (choice != 2 && OneIn(2)) {
        if (!Harness::IsChecked(dialog, IDC_TE_WARN)) Click(dialog, IDC_TE_WARN);
        SetItemText(dialog, IDC_TE_WARNEDIT, seconds[Pick(10)]);
    }
    for (int more = Pick(3); more > 0; --more) SomethingElse();
    Expect(Cause::None);
    Click(dialog, OneIn(4) ? IDCANCEL : IDOK);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) Click(dialog, IDCANCEL);
}

void OpenTimedExitOptions()
{
    if (State.TimerRunning) return;
    Log("Timed Exit Options");
    Expect(Cause::None);
    Harness::OnNextDialog(ScriptTimedExitOptions);
    Send(WM_COMMAND, IDM_TIMEDEXIT);
}

void ExitProgram()
{
    Log("Exit Program");
    Expect(Cause::None);
    Send(WM_COMMAND, IDM_EXITPROGRAM);
    Recorder::AdvanceTime(0);
}

// What can also happen while a dialog is open.
void SomethingElse()
{
    switch (Pick(5)) {
    case 0: ClickIcon(); break;
    case 1: PassTime(); break;
    case 2: ChangeClock(); break;
    case 3: ForgeTimers(); break;
    default: PressHotkey(); break;
    }
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
    // A fresh program with random settings, as the saved settings and the
    // command line could leave it.
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
        State.ExitType = RandomExitType();
        State.ConfirmFlag = OneIn(3);
        State.ClickFlag = !OneIn(4);
        static const int timeouts[] = {5, 30, 600};
        int mode = Pick(3);
        State.TimerFlag = mode == 0;
        State.AtFlag = mode == 1;
        State.TimeoutSeconds = timeouts[Pick(3)];
        std::snprintf(State.TimerValue, sizeof State.TimerValue, "%d", State.TimeoutSeconds);
        std::snprintf(State.AtValue, sizeof State.AtValue, "%s", TimeOfDayText().c_str());
        State.WarnFlag = mode != 2 && OneIn(2);
        State.WarnSeconds = State.TimeoutSeconds < 10 ? State.TimeoutSeconds : 10;
        std::snprintf(State.WarnValue, sizeof State.WarnValue, "%d", State.WarnSeconds);
        std::snprintf(State.HotKey, sizeof State.HotKey, "%s", HotkeyLetter);
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
        if (std::getenv("DORVA_SEQUENCE_SHOW")) std::printf("seed %u: %s [exits %d]\n", seed, W.steps.c_str(), Recorder::CountOf("ExitWindowsEx") + Recorder::CountOf("FindWindow"));
    }

    Harness::SharedLock hotkeys_{"DorvaNT.Tests.Hotkeys"};
};

TEST_F(SequenceTest, RandomSequencesKeepEveryPromise)
{
    if (const char* chosen = std::getenv("DORVA_SEQUENCE_SEED")) {
        Play(static_cast<unsigned>(std::strtoul(chosen, nullptr, 10)));
        return;
    }
    for (unsigned seed = 1; seed <= Sequences; ++seed) Play(seed);
    for (unsigned seed : RegressionSeeds) {
        if (seed) Play(seed);
    }
}

}  // namespace
