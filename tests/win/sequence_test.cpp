// Random sequences of what the user, the system and other programs do, played
// against the real procedures in virtual time; the popup menus and the Shift
// key are played by stand-ins for TrackPopupMenu and GetAsyncKeyState. After
// every step the promises must hold: an exit request only follows a consent
// (an explicit Yes where one is asked) or the due time of an armed exit (for
// a program's end: none of its processes runs, those it cannot open
// included), and only once; one countdown window at most; the program can always be reached. Seeds 1 to Sequences run every time, then the seeds of
// bugs found before; DORVA_SEQUENCE_SEED=n plays seed n alone. A failure
// prints its seed and its steps.
#include "app/second_start.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "app/tray_clicks.h"
#include "dialogs/hotkey.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "system/system_actions.h"
#include "timer/scheduler.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
using Harness::Click;
using Harness::SetItemText;

constexpr unsigned Sequences = 100;
constexpr int StepsPerSequence = 30;
const unsigned RegressionSeeds[] = {0u};  // none found yet
constexpr long long Second = 1000, Minute = 60 * Second, Hour = 60 * Minute;
constexpr char HotkeyLetter = 'G';
// Summer time starts and ends unannounced, east of UTC on 2027-03-28 and 10-31, west of it on 03-14 and 11-07.
constexpr ZoneRules SwitchingZones[] = {{-60, 0, -60, {10, 0, 5, 3 * Hour}, {3, 0, 5, 2 * Hour}}, {300, 0, -60, {11, 0, 1, 2 * Hour}, {3, 0, 2, 2 * Hour}}};
constexpr int SwitchDays[2][2] = {{28, 31}, {14, 7}};
// A clock put forward past the due time (by at most an hour here) comes late
// by that much on the clock.
constexpr long long LatestTimeOfDaySeconds = 75 * 60;

// What may lead to an exit request within the current step: the consents
// given and the confirmations answered Yes (each good for one request), and
// the timed exit armed when a timer last fired or the clock last changed
// (good for one request once it is due).
struct World {
    unsigned seed = 0;
    std::string steps, fault;  // the steps so far, the first broken promise
    int consents = 0, yes = 0;
    bool armed = false, armedUsed = false;
    ArmedTimedExit record = {};
    const ZoneRules* zone = nullptr;  // the clock's, when summer time starts or ends
};
World W;
bool ShiftHeld = false;

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

void Act(const std::string& what, bool consent = false)
{
    W.steps += what + "; ";
    W.consents += consent;
}

void SecondStart();

// The armed exit as the program is woken to look at it: by a timer (id), or
// by a clock change or a resume announced to it (0).
void OnTimerFiring(UINT_PTR id)
{
    if (id && id == State.ExitTimerId && OneIn(6)) SecondStart();
    W.armed = State.TimerRunning != 0;
    W.armedUsed = false;
    W.record = State.Armed;
}

constexpr char JobFile[] = "job.exe";
DWORD NextJobId = 0;

bool DueReached()
{
    const ArmedTimedExit& armed = W.record;
    if (!W.armed || W.armedUsed) return false;
    // A program's end: no process of its name runs, the unopened ones included.
    if (armed.kind == TimedExitKind::ProgramEnds && !armed.conditionMet) return Recorder::RunningProcesses(JobFile) == 0;
    if (armed.kind == TimedExitKind::Inactivity && !armed.conditionMet) {
        DWORD last = 0;
        SysGetLastInputTick(&last);
        const DWORD idle = std::min(SysGetTickCount() - last, SysGetTickCount() - armed.armTick);  // arming is input
        return idle + 250 >= static_cast<DWORD>(armed.idleMinutes) * Minute;
    }
    if (armed.kind != TimedExitKind::TimeOfDay) return SysGetTickCount() - armed.armTick + 250 >= armed.delayMs;
    SYSTEMTIME now = {};
    Recorder::VirtualLocalTime(&now);
    const long long local = DayNumber(now.wYear, now.wMonth, now.wDay) * 86400LL + now.wHour * 3600LL + now.wMinute * 60 + now.wSecond;
    // A postponed one comes at its moment; one limited to weekdays only on them.
    long long late = armed.postponed ? local - armed.dueLocal / Second
                                     : ((local - (armed.hour % 24) * 3600LL - armed.minute * 60 - armed.second) % 86400 + 86400) % 86400;
    if (late >= -1 && late <= LatestTimeOfDaySeconds) return armed.postponed || !armed.days || IsChosenWeekday(armed.days, static_cast<int>((local - late) / 86400));
    if (!W.zone) return false;
    // The night summer time ends the clock shows an hour twice: in UTC the
    // first showing is due.
    SysGetSystemTime(&now);
    long long utc = DayNumber(now.wYear, now.wMonth, now.wDay) * 86400000LL +
                    ((now.wHour * 60 + now.wMinute) * 60 + now.wSecond) * Second + now.wMilliseconds;
    late = utc - UtcWhenClockShows(*W.zone, armed.dueLocal, armed.checkedUtc);
    return late >= -250 && late <= LatestTimeOfDaySeconds * Second;
}

// Meanwhile the hotkey and a click are queued; it ends at once, or when the click's question is answered.
void WhileTheProgramRuns()
{
    W.steps += "program runs; ";
    if (State.HotkeyRegistered && OneIn(2)) PostMessageA(State.MainWindow, WM_HOTKEY, HotkeyId, 0);
    if (State.TrayIconWanted) PostMessageA(State.MainWindow, TrayMessage, 0, State.ClickFlag ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK);
    if (!State.TrayIconWanted || OneIn(2)) Recorder::EndProgram();
}

void OnRecordedCall(const RecordedCall& call)
{
    if (std::strcmp(call.name, "CreateProcess") == 0) return WhileTheProgramRuns();
    bool request = std::strcmp(call.name, "ExitWindowsEx") == 0 || std::strcmp(call.name, "FindWindow") == 0 ||
                   std::strcmp(call.name, "SetSuspendState") == 0 || std::strcmp(call.name, "LockWorkStation") == 0 ||
                   (std::strcmp(call.name, "PostMessage") == 0 && call.arg[1] == WM_SYSCOMMAND);
    if (!request) return;
    if (Harness::BoxesOpen()) return Fault("an exit request while another exit waits for its confirmation");
    if (State.ConfirmFlag && W.yes-- <= 0) return Fault("an exit request without a Yes");
    if (W.consents-- > 0) return;
    if (DueReached()) {
        W.armedUsed = true;
        return;
    }
    Fault("an exit request with neither consent nor a due time, or a second one");
}

// The confirmation is answered Yes or No, or the program ends under it
// ("E&xit Program" picked meanwhile); while it is open the hotkey may be
// pressed again or the icon clicked.
int AnswerBox(const Harness::Box& box)
{
    if (box.text == "Stop waiting and cancel the exit ?") {  // "E&xit Program" meanwhile, Yes, or No as it ends
        int answer = Pick(3);
        W.steps += answer == 0 ? "stop: Exit Program; " : answer == 1 ? "stop: Yes; " : "stop: No; ";
        if (answer == 0) PostMessageA(State.MainWindow, WM_CLOSE, 0, 0);
        W.consents = answer == 2 ? W.consents : 0;  // after a stop no exit may follow
        if (answer == 2) Recorder::EndProgram();
        return answer == 1 ? IDYES : IDNO;
    }
    if (box.text != "Are you sure you want to exit ?") return (box.flags & MB_YESNO) ? IDNO : IDOK;
    if (OneIn(4)) SecondStart();
    if (OneIn(4)) PostMessageA(State.MainWindow, WM_HOTKEY, HotkeyId, 0);
    if (State.TrayIconWanted && OneIn(3)) {
        ShiftHeld = OneIn(2);
        PostMessageA(State.MainWindow, TrayMessage, 0, State.ClickFlag || ShiftHeld ? WM_LBUTTONDOWN : WM_LBUTTONDBLCLK);
    }
    int answer = Pick(5);
    W.steps += answer == 0 ? "box ended by Exit Program; " : answer < 3 ? "Yes; " : "No; ";
    if (answer == 0) PostMessageA(State.MainWindow, WM_CLOSE, 0, 0);
    W.yes += answer == 1 || answer == 2;
    return answer == 0 ? 0 : answer < 3 ? IDYES : IDNO;
}

bool HotkeyRegistered()
{
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, HotkeyLetter) != FALSE;
    if (free) UnregisterHotKey(other, 1);
    DestroyWindow(other);
    return !free;
}

struct Caption {
    const char* text;
    int count;
};

BOOL CALLBACK CountCaptioned(HWND window, LPARAM data)
{
    auto* caption = reinterpret_cast<Caption*>(data);
    char text[32] = "";
    GetWindowTextA(window, text, sizeof text);
    if (IsWindowVisible(window) && std::strcmp(text, caption->text) == 0) ++caption->count;
    return TRUE;
}

// The visible windows of this program with that caption.
int Windows(const char* text)
{
    Caption caption = {text, 0};
    EnumThreadWindows(GetCurrentThreadId(), CountCaptioned, reinterpret_cast<LPARAM>(&caption));
    return caption.count;
}
int Countdowns() { return Windows("Countdown"); }

bool Ended() { return !IsWindow(State.MainWindow); }
void Send(UINT message, WPARAM wParam, LPARAM lParam = 0) { SendMessageA(State.MainWindow, message, wParam, lParam); }

bool TextSays(const char* text, int number)
{
    return std::to_string(number) == text && number >= 1 && number <= MaxTimedSeconds;
}

void CheckPromises()
{
    Act("the queue runs");
    Recorder::AdvanceTime(0);
    if (Ended()) return;
    if (State.WaitingForProgram || std::strncmp(State.TrayData.szTip, "Waiting", 7) == 0) Fault("a wait left over");
    int live = Recorder::LiveVirtualTimers();
    if (State.TimerRunning ? live > 2 : live != 0) Fault("more timers alive than the timed exit needs");
    const bool waitsWithoutTimer = State.TimerRunning == ArmedWithoutTimer && !State.ExitTimerId;
    if (State.TimerRunning != State.ExitTimerId && !waitsWithoutTimer) Fault("TimerRunning is not the exit timer");
    if (!State.TimerRunning && (State.WatchedCount || Recorder::LiveWaits())) Fault("a process waited on while nothing is armed");
    if (Recorder::LiveWaits() != State.WatchedCount) Fault("a wait without its process, or an ended one kept");
    if (Countdowns() > 1) Fault("two countdown windows");
    if (Windows("Timed Exit Options") > 0) Fault("a dialog left open");
    if (State.TimerFlag && !TextSays(State.TimerValue, State.TimeoutSeconds)) Fault("timeout text and number differ");
    if (State.WarnFlag && !TextSays(State.WarnValue, State.WarnSeconds)) Fault("warning text and number differ");
    // The copy in the tray answers a second start (a plain one shows its icon).
    bool reachable = State.NoIconMode ? State.TimerRunning != 0 : AskRunningCopy("/q", true).code != ExitNotRunning;
    if (!reachable) Fault("nothing left to reach the program by");
}

// ---- what happens ---------------------------------------------------------------

// The time until the armed exit is due; Postpone moves it by its minutes and closes the countdown window.
long long LeftMs()
{
    const ArmedTimedExit& a = State.Armed;
    SYSTEMTIME u = {};
    SysGetSystemTime(&u);
    if (a.kind != TimedExitKind::TimeOfDay && (a.kind == TimedExitKind::Timeout || a.conditionMet)) return a.delayMs - static_cast<long long>(SysGetTickCount() - a.armTick);
    if (a.kind != TimedExitKind::TimeOfDay) return a.postponedMs;  // waiting: what Postpone adds after the countdown
    return UtcWhenClockShows(W.zone ? *W.zone : ZoneRules{}, a.dueLocal, a.checkedUtc) - (DayNumber(u.wYear, u.wMonth, u.wDay) *
           86400000LL + ((u.wHour * 60 + u.wMinute) * 60 + u.wSecond) * Second + u.wMilliseconds);
}
void ExpectPostponed(long long before, int minutes) { if (!State.TimerRunning || LeftMs() - before != minutes * Minute || Countdowns()) Fault("Postpone did not move the exit"); }

int RandomExitType() { return ExitTypeShutdown + 10 * Pick(9); }

void ClickIcon()
{
    if (!State.TrayIconWanted) return;
    bool twice = OneIn(2);
    bool acts = (twice ? !State.ClickFlag : State.ClickFlag) && !State.TimerRunning && !State.TimerFlag;
    Act(twice ? "double click" : "click", acts);
    OnTrayMessage(0, twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN);
}

void PressHotkey()
{
    if (!HotkeyRegistered()) return;
    Act("hotkey", !State.TimerFlag && !State.AtFlag);
    Send(WM_HOTKEY, HotkeyId, MAKELPARAM(MOD_CONTROL | MOD_ALT, HotkeyLetter));
}

void PassTime()
{
    static const long long spans[] = {Second, 10 * Second, Minute, 10 * Minute, Hour, 5 * Hour, 24 * Hour};
    long long ms = spans[Pick(7)];
    SYSTEMTIME t = {};
    Recorder::VirtualLocalTime(&t);
    long long local = DayNumber(t.wYear, t.wMonth, t.wDay) * 86400000LL + ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * Second;
    const TimedExitKind kind = State.Armed.kind;
    long long due = kind == TimedExitKind::TimeOfDay    ? State.Armed.dueLocal - local
                    : kind == TimedExitKind::Inactivity ? State.Armed.idleMinutes * Minute
                                                        : State.Armed.delayMs;
    if (State.TimerRunning && OneIn(2)) ms = due - (OneIn(3) ? State.Armed.warnSeconds * Second / 2 : (1 - Pick(3)) * Second);
    ms = ms < 0 ? 0 : ms;
    Act("wait " + std::to_string(ms / Second) + " s");
    Recorder::AdvanceTime(static_cast<DWORD>(ms));
}

// A clock change, announced by WM_TIMECHANGE as Windows does.
void ChangeClock()
{
    long long ms = (Pick(121) - 60) * Minute;
    Act("clock change " + std::to_string(ms / Minute) + " min");
    Recorder::JumpClock(ms);
    OnTimerFiring(0);  // a time of day the clock now shows past may come at once
    Send(WM_TIMECHANGE, 0);
}

// The overdue timers fire before or after the resume message. A waking timer set within the sleep ends it, and the exit comes.
void SleepAndResume()
{
    long long ms = (1 + Pick(180)) * Minute, wakeIn = State.TimerRunning && State.Armed.wakeUtc ? LeftMs() : -1;
    const bool woken = wakeIn > 0 && wakeIn < ms;
    ms = woken ? wakeIn : ms;
    const int cancels = Recorder::CountOf("CancelWaitableTimer");
    Act("sleep " + std::to_string(ms / Second) + (woken ? " s, woken for the exit" : " s"));
    Recorder::PassTimeAsleep(static_cast<DWORD>(ms), !woken && OneIn(3));
    if (OneIn(2)) Recorder::AdvanceTime(0);
    OnTimerFiring(0);
    Send(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    Recorder::AdvanceTime(0);
    if (woken && Recorder::CountOf("CancelWaitableTimer") == cancels) Fault("the exit did not come when its waking timer resumed the computer");
}

// The program's processes: one ends (its waits post; a forged post says
// nothing), another of its name starts, some may not be opened.
void StartJob()
{
    Act("job.exe starts");
    Recorder::AddProcess({++NextJobId, "JOB.exe", !OneIn(3), false});
}

void EndJob()
{
    for (DWORD id = 100; id <= NextJobId; ++id) {
        if (!OneIn(2)) continue;
        Act("job.exe " + std::to_string(id) + " ends");
        OnTimerFiring(0);
        Recorder::EndProcess(id);
        if (OneIn(4)) PostMessageA(State.MainWindow, ProcessEndedMessage, id, 0);
        return;
    }
}

// Another program posts the timer messages with the callbacks' addresses.
void ForgeTimers()
{
    Act("forged timers");
    OnTimerFiring(State.ExitTimerId);
    ExitTimerProc(nullptr, WM_TIMER, State.ExitTimerId, 0);
    WarningTimerProc(nullptr, WM_TIMER, State.WarnTimerId, 0);
}

void QueryEndSession()
{
    Act("session end query");
    LRESULT answer = SendMessageA(State.MainWindow, WM_QUERYENDSESSION, 0, 0);
    if (answer != (State.BlockFlag ? 0 : 1)) Fault("wrong answer to the session end query");
}

void CountdownButton()
{
    HWND window = State.CountdownWindow;
    if (!window || !IsWindow(window)) return;
    const int button = Pick(3), left = static_cast<int>(LeftMs());
    Act(button == 0 ? "Abort" : button == 1 ? "Close" : "Postpone");
    Click(window, button == 0 ? IDC_CD_ABORT : button == 1 ? IDC_CD_CLOSE : IDC_CD_POSTPONE);
    if (button == 2) ExpectPostponed(left, State.PostponeMinutes);
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

// A second start hands its command line over; "/q" tells whether a timed exit is armed.
void SecondStart()
{
    static const char* const texts[] = {"", "/q", "/c", "/f:h", "/e:l /t:5", "/a /w", "/t:600 /w:30", "/x:s /f:f /h",
                                        "/e:s /e:b", "/t:5 /w:10", "/d:1", "/a /r:67"};
    const char* text = texts[Pick(12)];
    Act(std::string("second start \"") + text + "\"");
    const bool asks = (!std::strcmp(text, "/q") || !std::strcmp(text, "/d:1")) && !State.NoIconMode, armed = State.TimerRunning != 0;
    const long long left = LeftMs();
    int result = -1;
    AnswerWithoutStarting(text, text, &result);
    if (asks && result != (armed ? ExitDone : ExitNothingDone)) Fault("\"/q\" or \"/d\" does not tell whether one is armed");
    if (asks && armed && text[1] == 'd') ExpectPostponed(left, 1);
}

// What can also happen while a dialog or, without the click, a menu is open.
void OpenMenu();

void MeanwhileSomethingElse(bool mouseFree)
{
    switch (Pick(mouseFree ? 7 : 5)) {
    case 6: OpenMenu(); break;
    case 4: SecondStart(); break;
    case 0: PassTime(); break;
    case 1: ChangeClock(); break;
    case 2: ForgeTimers(); break;
    case 3: PressHotkey(); break;
    default: ClickIcon(); break;
    }
}

void ScriptTimedExitOptions(HWND dialog)
{
    static const char* const seconds[] = {"30", "5", "1", "0", "abc", "-5", "", "1000000", "999999", " 45"};
    static const char* const programs[] = {"job", "Job.EXE", "nosuch", "c:\\job.exe"};
    static const char* const minutes[] = {"1", "30", "0", "1441"};
    static const int radios[] = {IDC_TE_TIMEOUT, IDC_TE_AT, IDC_TE_NONE, IDC_TE_PROGRAM, IDC_TE_IDLE};
    int choice = Pick(5);
    Click(dialog, radios[choice]);
    if (choice == 0) SetItemText(dialog, IDC_TE_TIMEOUTEDIT, seconds[Pick(10)]);
    if (choice == 1) SetItemText(dialog, IDC_TE_ATEDIT, TimeOfDayText().c_str());
    if (choice == 3) SetItemText(dialog, IDC_TE_PROGRAMEDIT, programs[Pick(4)]);
    if (choice == 4) SetItemText(dialog, IDC_TE_IDLEEDIT, minutes[Pick(4)]);
    if (choice != 2 && OneIn(2)) {
        if (!Harness::IsChecked(dialog, IDC_TE_WARN)) Click(dialog, IDC_TE_WARN);
        SetItemText(dialog, IDC_TE_WARNEDIT, seconds[Pick(10)]);
    }
    for (int more = Pick(3); more > 0; --more) MeanwhileSomethingElse(true);
    if (OneIn(3)) {
        Act("Timed Exit Options picked again");
        Harness::OnNextDialog([](HWND second) {
            Fault("two dialogs of one kind");
            EndDialog(second, 0);
        });
        Send(WM_COMMAND, IDM_TIMEDEXIT);
        Harness::ForgetDialogScripts();
    }
    Act("OK or Cancel");
    Click(dialog, OneIn(4) ? IDCANCEL : IDOK);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) Click(dialog, IDCANCEL);
}

// Whether a user can pick `command`: neither it nor the item of the submenu
// that holds it is grayed.
bool Pickable(HMENU menu, UINT command)
{
    for (int position = 0, count = GetMenuItemCount(menu); position < count; ++position) {
        HMENU sub = GetSubMenu(menu, position);
        bool here = sub ? GetMenuState(sub, command, MF_BYCOMMAND) != static_cast<UINT>(-1)
                        : GetMenuItemID(menu, position) == command;
        if (here) return !(GetMenuState(menu, position, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
    }
    return false;
}

// Shift is held for the one press that reads it. The menu stays open a
// while, then closes with a pick or without one.
SHORT WINAPI KeyState(int key)
{
    bool held = key == VK_SHIFT && ShiftHeld;
    ShiftHeld = ShiftHeld && !held;
    return held ? static_cast<SHORT>(0x8000) : 0;
}
BOOL WINAPI TrackMenu(HMENU menu, UINT, int, int, int, HWND, const RECT*)
{
    static const UINT commands[] = {ExitTypeShutdown, ExitTypeReboot, ExitTypeLogoff, ExitTypeScreensaver,
                                    ExitTypePowerOff, ExitTypeRestartShell, ExitTypeSleep, ExitTypeHibernate,
                                    ExitTypeLock, IDM_CONFIRM, IDM_SINGLECLICK, IDM_EXITPROGRAM,
                                    IDM_TIMEDEXIT, IDM_TIMEDEXIT, IDM_TIMEDEXIT, IDM_TIMEDEXIT};
    bool shortMenu = menu == State.ShortMenu;
    if (OneIn(3)) MeanwhileSomethingElse(false);
    UINT pick = commands[Pick(shortMenu ? 9 : 16)];
    if (OneIn(4) || !Pickable(menu, pick)) pick = 0;
    // A second one does not open (the harness fails the test when one does).
    if (pick == IDM_TIMEDEXIT && !State.TimedExitDialog) Harness::OnNextDialog(ScriptTimedExitOptions);
    Act((shortMenu ? "Shift-pick " : "menu pick ") + std::to_string(pick), shortMenu && pick);
    return static_cast<BOOL>(pick);
}

void OpenMenu()
{
    if (!State.TrayIconWanted) return;
    ShiftHeld = OneIn(2);
    Act(ShiftHeld ? "Shift-click" : "right click");
    OnTrayMessage(0, ShiftHeld ? WM_LBUTTONDOWN : WM_RBUTTONDOWN);
}

// Another program posts the hotkey's message, which this program has not registered.
void PostForeignHotkey()
{
    if (HotkeyRegistered()) return;
    Act("foreign hotkey message");
    PostMessageA(State.MainWindow, WM_HOTKEY, HotkeyId, 0);
}

void Step()
{
    switch (Pick(34)) {
    case 26: StartJob(); break;
    case 27: case 28: EndJob(); break;
    case 29: case 30: case 31: case 32: case 33: Act("input"), Recorder::InputArrives(); break;
    case 0: case 1: case 2: ClickIcon(); break;
    case 3: PostForeignHotkey(); break;
    case 4: case 5: PressHotkey(); break;
    case 6: case 7: case 8: case 9: case 10: PassTime(); break;
    case 11: case 12: ChangeClock(); break;
    case 13: case 14: SleepAndResume(); break;
    case 15: ForgeTimers(); break;
    case 16: QueryEndSession(); break;
    case 24: case 25: SecondStart(); break;
    case 17: case 18: CountdownButton(); break;
    default: OpenMenu(); break;
    }
}

class SequenceTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        realMenu_ = Harness::PatchImport("user32.dll", "TrackPopupMenu", reinterpret_cast<void*>(TrackMenu));
        realKeys_ = Harness::PatchImport("user32.dll", "GetAsyncKeyState", reinterpret_cast<void*>(KeyState));
        ASSERT_NE(realMenu_, nullptr);
        ASSERT_NE(realKeys_, nullptr);
    }
    void TearDown() override
    {
        Clear();
        Harness::PatchImport("user32.dll", "TrackPopupMenu", realMenu_);
        Harness::PatchImport("user32.dll", "GetAsyncKeyState", realKeys_);
        DorvaTest::TearDown();
    }
    void Clear()
    {
        if (!Ended()) {
            CancelTimedExit();
            SetHotkey(0);
            DeleteTrayIcon(State.MainWindow);
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
        if (OneIn(4)) {  // a night that summer time starts or ends, east or west of UTC
            const int spring = Pick(2), west = Pick(2);
            Recorder::UseVirtualTime(2027, spring ? 3 : 10 + west, SwitchDays[west][!spring], Pick(3), Pick(60), Pick(60), W.zone = &SwitchingZones[west]);
        } else {
            Recorder::UseVirtualTime(2026, 1 + Pick(12), 1 + Pick(28), Pick(24), Pick(60), Pick(60));
        }
        Recorder::OnCall(OnRecordedCall);
        Recorder::FakePrograms(true);
        Recorder::OnTimerFiring(OnTimerFiring);
        Harness::AnswerOtherBoxes(AnswerBox);
        CreateMainWindowAndMenus();
        Recorder::TakeTray(true, State.MainWindow);
        static const int timeouts[] = {5, 30, 600};
        // Timeout, time of day, none, a program's end, inactivity.
        int mode = Pick(5);
        NextJobId = 99;
        for (int jobs = Pick(3) + (mode == 3); jobs > 0; --jobs) StartJob();
        State.ExitType = RandomExitType();
        State.ConfirmFlag = OneIn(3);
        State.ClickFlag = !OneIn(4);
        State.TimerFlag = mode == 0;
        State.AtFlag = mode == 1;
        State.TimeoutSeconds = timeouts[Pick(3)];
        State.ProgramFlag = mode == 3;
        State.IdleFlag = mode == 4;
        std::snprintf(State.ProgramValue, sizeof State.ProgramValue, "%s", OneIn(2) ? "job" : "Job.EXE");
        State.IdleMinutes = OneIn(4) ? 30 : 1;
        std::snprintf(State.IdleValue, sizeof State.IdleValue, "%d", State.IdleMinutes);
        State.WarnFlag = mode != 2 && OneIn(2);
        State.WarnSeconds = State.TimeoutSeconds < 10 ? State.TimeoutSeconds : 10;
        std::snprintf(State.TimerValue, sizeof State.TimerValue, "%d", State.TimeoutSeconds);
        std::snprintf(State.WarnValue, sizeof State.WarnValue, "%d", State.WarnSeconds);
        std::snprintf(State.AtValue, sizeof State.AtValue, "%s", TimeOfDayText().c_str());
        std::snprintf(State.AtDays, sizeof State.AtDays, "%s", OneIn(2) ? "" : OneIn(2) ? "12345" : "7");
        State.WakeFlag = OneIn(2), State.PostponeMinutes = OneIn(2) ? 10 : 1440;
        State.HotKey[0] = HotkeyLetter;
        State.HotkeyFlag = OneIn(2);
        State.RunBeforeExit = OneIn(3);
        std::snprintf(State.ProgramPath[0], sizeof State.ProgramPath[0], "%s", "C:\\tools\\backup.exe");
        State.NoIconMode = mode != 2 && OneIn(4);  // "/n": armed at start, no icon
        const bool armedAtStart = State.AtFlag || State.ProgramFlag || State.IdleFlag;
        if (armedAtStart && (State.NoIconMode || mode > 2 || OneIn(2))) StartTimedExit();  // as the command line does
        if (State.NoIconMode && State.TimerFlag) StartTimedExit();
        if (State.NoIconMode && !State.TimerRunning) DestroyWindow(State.MainWindow);  // start-up ends there
        if (State.HotkeyFlag && !State.TimerRunning) SetHotkey(1);
        if (!State.NoIconMode) AddTrayIcon(State.MainWindow, LoadProgramIcon("Icon_1"), "Shutdown");
    }
    void Play(unsigned seed)
    {
        Start(seed);
        for (int step = 0; step < StepsPerSequence && W.fault.empty() && !Ended(); ++step) {
            W.consents = W.yes = 0;
            Step();
            CheckPromises();
        }
        EXPECT_EQ(W.fault, "") << "seed " << seed << ": " << W.steps;
    }

    Harness::SharedLock hotkeys_{"DorvaNT.Tests.Hotkeys"};
    void* realMenu_ = nullptr;
    void* realKeys_ = nullptr;
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
