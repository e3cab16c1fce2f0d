// The command-line options laid over the settings: what each text switches
// on, the values taken from its tokens, and every refusal with its message.
#include "app/second_start.h"
#include "app/startup.h"
#include "cmdline/command_line.h"
#include "core/text.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "support/settings_key.h"
#include "timer/scheduler.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// What ParseCommandLine leaves in the settings it touches.
struct Settings {
    int exitType = ExitTypeShutdown;
    int force = 0, click = 1, eject = 0, block = 0, confirm = 0, hideIcon = 0, wake = 0;
    int hotkey = 0, timer = 0, at = 0, warn = 0, noIcon = 0;
    std::string hotKey = "X", timerValue = "30", atValue = "230000", warnValue = "10";
    int timeoutSeconds = 0, warnSeconds = 0;
};

Settings ReadSettings()
{
    Settings s;
    s.exitType = State.ExitType;
    s.force = State.ForceFlag;
    s.click = State.ClickFlag;
    s.eject = State.EjectFlag;
    s.block = State.BlockFlag;
    s.confirm = State.ConfirmFlag;
    s.hideIcon = State.HideIconFlag;
    s.wake = State.WakeFlag;
    s.hotkey = State.HotkeyFlag;
    s.timer = State.TimerFlag;
    s.at = State.AtFlag;
    s.warn = State.WarnFlag;
    s.noIcon = State.NoIconMode;
    s.hotKey = State.HotKey;
    s.timerValue = State.TimerValue;
    s.atValue = State.AtValue;
    s.warnValue = State.WarnValue;
    s.timeoutSeconds = State.TimeoutSeconds;
    s.warnSeconds = State.WarnSeconds;
    return s;
}

void ExpectSettings(const Settings& want)
{
    const Settings got = ReadSettings();
    EXPECT_EQ(got.exitType, want.exitType);
    EXPECT_EQ(got.force, want.force);
    EXPECT_EQ(got.click, want.click);
    EXPECT_EQ(got.eject, want.eject);
    EXPECT_EQ(got.block, want.block);
    EXPECT_EQ(got.confirm, want.confirm);
    EXPECT_EQ(got.hideIcon, want.hideIcon);
    EXPECT_EQ(got.wake, want.wake);
    EXPECT_EQ(got.hotkey, want.hotkey);
    EXPECT_EQ(got.timer, want.timer);
    EXPECT_EQ(got.at, want.at);
    EXPECT_EQ(got.warn, want.warn);
    EXPECT_EQ(got.noIcon, want.noIcon);
    EXPECT_EQ(got.hotKey, want.hotKey);
    EXPECT_EQ(got.timerValue, want.timerValue);
    EXPECT_EQ(got.atValue, want.atValue);
    EXPECT_EQ(got.warnValue, want.warnValue);
    EXPECT_EQ(got.timeoutSeconds, want.timeoutSeconds);
    EXPECT_EQ(got.warnSeconds, want.warnSeconds);
}

struct AcceptedCase {
    const char* text;
    std::function<void()> before;          // settings already in place (as if saved)
    std::function<void(Settings&)> want;   // changes from the start-up defaults
};

void Nothing() {}

class CommandLineTest : public DorvaTest {};

// Every text carries "/z", so that whatever the test prefix's registry holds
// is not loaded; the "before" step stands in for saved settings.
TEST_F(CommandLineTest, AcceptedTextsSetTheirSettings)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    SettingsKey::Guard key;  // no saved settings for the one text without "/z"
    const AcceptedCase cases[] = {
        {"/z", Nothing, [](Settings&) {}},
        {"", [] { State.ClickFlag = 0; State.ExitType = ExitTypeReboot; },
         [](Settings& s) { s.click = 0; s.exitType = ExitTypeReboot; }},
        {"/z /e:s", [] { State.ExitType = ExitTypeLogoff; }, [](Settings& s) { s.exitType = ExitTypeShutdown; }},
        {"/z /e:b", Nothing, [](Settings& s) { s.exitType = ExitTypeReboot; }},
        {"/z /e:l", Nothing, [](Settings& s) { s.exitType = ExitTypeLogoff; }},
        {"/z /e:p", Nothing, [](Settings& s) { s.exitType = ExitTypePowerOff; }},
        {"/z /x:s", Nothing, [](Settings& s) { s.exitType = ExitTypeScreensaver; }},
        {"/z /x:r", Nothing, [](Settings& s) { s.exitType = ExitTypeRestartShell; }},
        {"/z /x:u", Nothing, [](Settings& s) { s.exitType = ExitTypeSleep; }},
        {"/z /x:h", Nothing, [](Settings& s) { s.exitType = ExitTypeHibernate; }},
        {"/z /x:k", Nothing, [](Settings& s) { s.exitType = ExitTypeLock; }},
        // Options written together, or given twice, count.
        {"/z /e:s/f:f", Nothing, [](Settings& s) { s.force = 1; }},
        {"/e:l/z", Nothing, [](Settings& s) { s.exitType = ExitTypeLogoff; }},
        {"/z /e:b /e:b", Nothing, [](Settings& s) { s.exitType = ExitTypeReboot; }},
        {"/z /f:d /f:e /f:b /f:c /f:h /f:w", Nothing,
         [](Settings& s) { s.click = 0; s.eject = 1; s.block = 1; s.confirm = 1; s.hideIcon = 1; s.wake = 1; }},
        {"/z /f:b", Nothing, [](Settings& s) { s.block = 1; }},
        {"/z /n", Nothing, [](Settings& s) { s.noIcon = 1; }},
        // No option switches a saved flag off, except "/f:d".
        {"/z /e:l", [] { State.ConfirmFlag = 1; State.EjectFlag = 1; },
         [](Settings& s) { s.exitType = ExitTypeLogoff; s.confirm = 1; s.eject = 1; }},
        // The screen saver is never forced, silently; the force stays for other types.
        {"/z /x:s /f:f", Nothing, [](Settings& s) { s.exitType = ExitTypeScreensaver; }},
        {"/z /x:s", [] { State.ForceFlag = 1; }, [](Settings& s) { s.exitType = ExitTypeScreensaver; s.force = 0; }},
        {"/z /f:f", [] { State.ExitType = ExitTypeScreensaver; }, [](Settings& s) { s.force = 0; }},
        {"/z /e:p /f:f", Nothing, [](Settings& s) { s.exitType = ExitTypePowerOff; s.force = 1; }},
        // Nor are sleep, hibernation and the lock.
        {"/z /x:k /f:f", Nothing, [](Settings& s) { s.exitType = ExitTypeLock; }},
        {"/z /f:f", [] { State.ExitType = ExitTypeHibernate; }, [](Settings& s) { s.exitType = ExitTypeHibernate; }},
        // Timeout values and their range default; the text always says the number.
        {"/z /t", Nothing, [](Settings& s) { s.timer = 1; s.timeoutSeconds = 30; }},
        {"/z /t", [] { CopyText(State.TimerValue, sizeof State.TimerValue, "45"); },
         [](Settings& s) { s.timer = 1; s.timerValue = "45"; s.timeoutSeconds = 45; }},
        {"/z /t:", Nothing, [](Settings& s) { s.timer = 1; s.timeoutSeconds = 30; }},
        {"/z /t:600", Nothing, [](Settings& s) { s.timer = 1; s.timerValue = "600"; s.timeoutSeconds = 600; }},
        {"/z /t:0", Nothing, [](Settings& s) { s.timer = 1; s.timeoutSeconds = 30; }},
        {"/z /t:abc", Nothing, [](Settings& s) { s.timer = 1; s.timeoutSeconds = 30; }},
        {"/z /t:-5", Nothing, [](Settings& s) { s.timer = 1; s.timeoutSeconds = 30; }},
        {"/z /t:999999", Nothing,
         [](Settings& s) { s.timer = 1; s.timerValue = "999999"; s.timeoutSeconds = 999999; }},
        {"/z /t:12x", Nothing, [](Settings& s) { s.timer = 1; s.timerValue = "12"; s.timeoutSeconds = 12; }},
        // A value stops at the next '/', ':' or option letter.
        {"/z /t:12t5", Nothing, [](Settings& s) { s.timer = 1; s.timerValue = "12"; s.timeoutSeconds = 12; }},
        // The last token that carries "/t" gives the value.
        {"/z /t:12 /t:34", Nothing, [](Settings& s) { s.timer = 1; s.timerValue = "34"; s.timeoutSeconds = 34; }},
        // A tab does not separate tokens; a value follows its own option, also
        // in a token of several options.
        {"/z\t/t:45", Nothing, [](Settings& s) { s.timer = 1; s.timerValue = "45"; s.timeoutSeconds = 45; }},
        {"/z /e:s/t:600/w:60", Nothing, [](Settings& s) {
             s.timer = 1; s.warn = 1; s.timerValue = "600"; s.timeoutSeconds = 600; s.warnValue = "60"; s.warnSeconds = 60;
         }},
        // A timeout given here replaces a saved time of day.
        {"/t:60", [] { State.AtFlag = 1; },
         [](Settings& s) { s.at = 0; s.timer = 1; s.timerValue = "60"; s.timeoutSeconds = 60; }},
        // Warning values.
        {"/z /t /w", Nothing, [](Settings& s) { s.timer = 1; s.warn = 1; s.timeoutSeconds = 30; s.warnSeconds = 10; }},
        {"/z /t:20 /w:5", Nothing, [](Settings& s) {
             s.timer = 1; s.warn = 1; s.timerValue = "20"; s.timeoutSeconds = 20; s.warnValue = "5"; s.warnSeconds = 5;
         }},
        {"/z /t:30 /w:30", Nothing, [](Settings& s) {
             s.timer = 1; s.warn = 1; s.timerValue = "30"; s.timeoutSeconds = 30; s.warnValue = "30"; s.warnSeconds = 30;
         }},
        {"/z /t /w:0", Nothing, [](Settings& s) {
             s.timer = 1; s.warn = 1; s.timeoutSeconds = 30; s.warnSeconds = 10;
         }},
        // The hotkey letter: upper-cased, "X" for a non-letter, kept when no value.
        {"/z /h:q", Nothing, [](Settings& s) { s.hotkey = 1; s.hotKey = "Q"; }},
        {"/z /h:1", Nothing, [](Settings& s) { s.hotkey = 1; s.hotKey = "X"; }},
        {"/z /h:\xE9", Nothing, [](Settings& s) { s.hotkey = 1; s.hotKey = "X"; }},  // only A to Z
        {"/z /h:h", [] { CopyText(State.HotKey, sizeof State.HotKey, "k"); }, [](Settings& s) { s.hotkey = 1; s.hotKey = "K"; }},
        {"/z /h", [] { CopyText(State.HotKey, sizeof State.HotKey, "m"); }, [](Settings& s) { s.hotkey = 1; s.hotKey = "M"; }},
        {"/z /h:qz", Nothing, [](Settings& s) { s.hotkey = 1; s.hotKey = "Q"; }},
        {"/z /h:", [] { CopyText(State.HotKey, sizeof State.HotKey, "7"); }, [](Settings& s) { s.hotkey = 1; s.hotKey = "X"; }},
        // Without "/h" the letter is left alone.
        {"/z", [] { CopyText(State.HotKey, sizeof State.HotKey, "7"); }, [](Settings& s) { s.hotKey = "7"; }},
        // The eleventh token switches its option on but gives no value.
        {"/z 1 2 3 4 5 6 7 8 9 /t:45", Nothing, [](Settings& s) { s.timer = 1; s.timeoutSeconds = 30; }},
        {"/z 1 2 3 4 5 6 7 8 /t:45", Nothing, [](Settings& s) { s.timer = 1; s.timerValue = "45"; s.timeoutSeconds = 45; }},
        // A long text is not cut: its values are taken.
        {"/z                                     /t:45", Nothing,
         [](Settings& s) { s.timer = 1; s.timerValue = "45"; s.timeoutSeconds = 45; }},
        // The worked example.
        {"/z /x:r /f:e /t:600 /w:60 /n", Nothing, [](Settings& s) {
             s.exitType = ExitTypeRestartShell; s.eject = 1; s.timer = 1; s.warn = 1; s.noIcon = 1;
             s.timerValue = "600"; s.timeoutSeconds = 600; s.warnValue = "60"; s.warnSeconds = 60;
         }},
        // A word that does not start with '/' is ignored.
        {"/z hello e:x", Nothing, [](Settings&) {}},
    };
    for (const AcceptedCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line \"" << c.text << "\"");
        ResetProgramState();
        SetDefaults();
        c.before();
        Settings want = ReadSettings();
        c.want(want);
        EXPECT_EQ(ParseCommandLine(c.text), 1);
        ExpectSettings(want);
        EXPECT_EQ(State.TimerRunning, 0u) << "only a time of day is armed here";
        EXPECT_TRUE(Harness::Boxes().empty()) << Harness::Boxes().front().text;
    }
}

struct RefusedCase {
    const char* text;
    const char* message;
    bool powerActionsMissing;  // the system lacks sleep, hibernation and the lock (NT 4)
};

const RefusedCase RefusedCases[] = {
    {"/e:s /x:r", "Too many options specified"},
    {"/z /e:l/e:p", "Too many options specified"},
    {"/z /x:s /e:s /x:s", "Too many options specified"},
    {"/z /x:u /x:k", "Too many options specified"},
    {"/z /e:s /x:h", "Too many options specified"},
    {"/z /x:u", "Sleep is not available on this system", true},
    {"/x:h", "Hibernate is not available on this system", true},
    {"/z /x:k /t:30", "Lock is not available on this system", true},
    {"/z /e:y", "Hybrid Shutdown is not available on this system", true},
    {"/e:o /t:30", "Restart to Boot Options is not available on this system", true},
    {"/z /e:o /e:y", "Too many options specified"},
    {"/z /t /a", "Too many options specified"},
    {"/z /a:120000 /t:5", "Too many options specified"},
    {"/z /w:5", "The '/w' option can only be\nused with '/a' or '/t'"},
    {"/z /w", "The '/w' option can only be\nused with '/a' or '/t'"},
    {"/z /t:20 /w:30", "Warning time is bigger than\ntimeout value"},
    {"/z /t /w:31", "Warning time is bigger than\ntimeout value"},
    {"/z /t:0 /w:31", "Warning time is bigger than\ntimeout value"},
    {"/z /a:250000", "Timer not started (Invalid time ?)"},
    {"/z /a:126000", "Timer not started (Invalid time ?)"},
    {"/z /a:120060", "Timer not started (Invalid time ?)"},
    {"/z /a:abc", "Timer not started (Invalid time ?)"},
    {"/z /a:2300", "Timer not started (Invalid time ?)"},
    // A value too long for its six-character field is refused, not cut.
    {"/z /t:1000000", "Timer not started (Invalid time ?)"},
    {"/z /t /w:0000010", "Timer not started (Invalid time ?)"},
    {"/z /a:1200000", "Timer not started (Invalid time ?)"},
    // A word of '/' that is no option, shown as typed, before anything is loaded.
    {"/e:r /n", "Unknown option /e:r (DorvaNT.exe /? lists the options)"},
    {"/Z /T:60 /E:R", "Unknown option /E:R (DorvaNT.exe /? lists the options)"},
    {"/z /e:s/t:600/q", "Unknown option /e:s/t:600/q (DorvaNT.exe /? lists the options)"},
    // A program's end and inactivity: the name as typed, one kind at a time, what the system lacks.
    {"/z /p:NoSuch.exe /w:5", "No running program is named NoSuch.exe"},
    {"/z /p:\"My Job\"", "No running program is named My Job"},
    {"/z /p:4242", "No running program has the process id 4242"},
    {"/z /p:\"/e:s /x:r\"", BadProgramText},
    {"/z /p:c:\\bin\\job.exe", BadProgramText},
    {"/z /p:job*", BadProgramText},
    {"/z /p:a2345678901234567890123456789012345678901234567890123456789012345", BadProgramText},
    {"/z /i:0", BadMinutesText},
    {"/z /i:1441", BadMinutesText},
    {"/z /i:1234567", BadMinutesText},
    {"/z /p:job /i:5", "Too many options specified"},
    {"/z /a /i", "Too many options specified"},
    {"/z /p:job", "Exit when a program ends is not available on this system", true},
    {"/z /i:5", "Exit after minutes without input is not available on this system", true},
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

// Each refusal in its own process: a message box costs a few seconds under Wine.
class RefusedCommandLineTest : public DorvaTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedCommandLineTest, ShowsItsMessageAsAnErrorBox)
{
    const RefusedCase& c = GetParam();
    SCOPED_TRACE(testing::Message() << "command line \"" << c.text << "\"");
    Recorder::LackPowerActions(c.powerActionsMissing);
    Recorder::LackJobWatch(c.powerActionsMissing);
    Recorder::SetWindowsVersion(6, c.powerActionsMissing ? 1 : 2);  // Windows 7, or 8
    Harness::AnswerBoxes({IDOK});
    EXPECT_EQ(ParseCommandLine(c.text), 0);
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    const Harness::Box& box = Harness::Boxes()[0];
    Harness::ExpectErrorBox(box, c.message);
    EXPECT_EQ(box.shownText, c.message);
    EXPECT_EQ(State.TimerRunning, 0u);
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedCommandLineTest, testing::ValuesIn(RefusedCases),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

// The refused exit is gone before the first box; without an icon nothing
// posts a quit that would close the second box the instant it appears.
TEST_F(CommandLineTest, ACountdownLongerThanTheTimeLeftIsRefusedTwice)
{
    for (const char* text : {"/z /a:100010 /w:20", "/z /n /a:100010 /w:20"}) {
        SCOPED_TRACE(text);
        ResetProgramState();
        SetDefaults();
        Harness::ClearBoxes();
        Recorder::SetLocalTime(10, 0, 0);
        Harness::AnswerBoxes({IDOK, IDOK});
        EXPECT_EQ(ParseCommandLine(text), 0);
        ASSERT_EQ(Harness::Boxes().size(), 2u);
        EXPECT_FALSE(Harness::Boxes()[0].timedExitArmed);
        EXPECT_EQ(Harness::Boxes()[1].text, "Timer not started (Invalid time ?)");
        EXPECT_EQ(Harness::Boxes()[1].flags, 0x10030u);
        EXPECT_EQ(State.TimerRunning, 0u);
        MSG quit;
        EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no quit left behind";
    }
}

// ---- handed over by a second start ------------------------------------------------

struct HandOverCase {
    const char* text;
    int copy;                             // NoCopy, or the ms until the running copy's window is made
    std::function<void()> before;         // the running copy's state
    std::function<void(Settings&)> want;  // its settings after, changed from before
    int code;                             // the second start's result; GoesOn: it takes the tray itself
    const char* tip;                      // the running copy's tip after, "" for no icon
    const char* said;                     // the second start's standard output
    std::vector<std::string> boxes;       // shown by the running copy after its answer
};
constexpr int NoCopy = -1, GoesOn = -1;

// Both sides in this process, through the seam, at 12:00:00 in virtual time.
TEST_F(CommandLineTest, HandOversApplyOverTheRunningCopysState)
{
    const auto same = [](Settings&) {};
    const auto logoff6 = [](Settings& s) { s.exitType = ExitTypeLogoff; s.timer = 1; s.timerValue = "6"; s.timeoutSeconds = 6; };
    const auto hidden = [] { DeleteTrayIcon(State.MainWindow); };
    static const auto ArmedFor60 = [] { ParseCommandLine("/z /t:60"); StartTimedExit(); };
    const char* const armed = "Timed Exit: Shutdown at 12:01:00", *tuesday = "Timed Exit: Shutdown at 11:00:00 on Tue";
    const HandOverCase cases[] = {
        // A copy still starting is waited for, 5 s at most; "/n" runs alone.
        {"/e:l /t:6", 0, Nothing, logoff6, 0, "Timed Exit: Logoff at 12:00:06", "", {}},
        {"/e:l /t:6", 2000, Nothing, logoff6, 0, "Timed Exit: Logoff at 12:00:08", "", {}},
        {"/e:l /t:6", 6000, Nothing, same, 2, "Shutdown", "", {}},
        {"/e:l /t:6", NoCopy, Nothing, same, GoesOn, "Shutdown", "", {}},
        {"/e:l /n", 0, Nothing, same, GoesOn, "Shutdown", "", {}},
        {"/q", 0, ArmedFor60, same, 0, armed, armed, {}},
        {"/q", 0, Nothing, same, 1, "Shutdown", "No timed exit is armed", {}},
        {"/q", NoCopy, Nothing, same, 2, "Shutdown", "Dorva NT is not running", {}},
        {"/c", 0, ArmedFor60, same, 0, "Shutdown", "", {}},
        {"/c", 0, Nothing, same, 1, "Shutdown", "", {}},
        // A program's end and inactivity are armed at once, and "/q" tells them.
        {"/e:l /p:job /w:5", 0, [] { Recorder::AddProcess({7, "JOB.EXE", true}); },
         [](Settings& s) { s.exitType = ExitTypeLogoff; s.warn = 1; s.warnValue = "5"; s.warnSeconds = 5; }, 0,
         "Timed Exit: Logoff when job.exe ends", "", {}},
        {"/q", 0, [] { State.IdleFlag = 1; State.IdleMinutes = 90; StartTimedExit(); }, same, 0,
         "Timed Exit: Shutdown after 90 min without input", "Timed Exit: Shutdown after 90 min without input", {}},
        {"/d:5", 0, ArmedFor60, same, 0, "Timed Exit: Shutdown at 12:06:00", "", {}},
        {"/d:1441", 0, ArmedFor60, same, 1, armed, "", {"Postpone by 1 to 1440 minutes: /d:10"}},
        {"/q", 0, [] { ParseCommandLine("/z /a:110000 /r:2227"); }, same, 0, tuesday, tuesday, {}},
        {"/a /r:8", 0, Nothing, same, 1, "Shutdown", "", {"The weekdays are digits from 1 (Monday) to 7 (Sunday)"}},
        // A plain start brings back an icon hidden by the menu or by "/f:h"; "/f:h" hides it.
        {"", 0, hidden, same, 0, "Shutdown", "", {}},
        {"  ", 0, [] { DeleteTrayIcon(State.MainWindow); State.HideIconFlag = 1; ArmedFor60(); },
         [](Settings& s) { s.hideIcon = 0; }, 0, armed, "", {}},
        {"/f:h", 0, Nothing, [](Settings& s) { s.hideIcon = 1; }, 0, "", "", {}},
        {"/e:b", 0, hidden, [](Settings& s) { s.exitType = ExitTypeReboot; }, 0, "", "", {}},
        // Flags go on, the hotkey takes its letter, "/z" means nothing; an armed exit's tip follows its type.
        {"/e:b /h:o /f:b /z", 0, Nothing,
         [](Settings& s) { s.exitType = ExitTypeReboot; s.hotkey = 1; s.hotKey = "O"; s.block = 1; }, 0, "Reboot", "", {}},
        {"/x:s", 0, [] { State.ForceFlag = 1; ArmedFor60(); }, [](Settings& s) { s.exitType = ExitTypeScreensaver; s.force = 0; },
         0, "Timed Exit: Screensaver at 12:01:00", "", {}},
        // A timeout replaces an armed time of day; a refused text changes nothing.
        {"/t:60", 0, [] { State.AtFlag = 1; CopyText(State.AtValue, sizeof State.AtValue, "130000"); StartTimedExit(); },
         [](Settings& s) { s.at = 0; s.timer = 1; s.timerValue = "60"; s.timeoutSeconds = 60; }, 0, armed, "", {}},
        {"/e:s /e:b", 0, ArmedFor60, same, 1, armed, "", {"Too many options specified"}},
        {"/w:5", 0, Nothing, same, 1, "Shutdown", "", {"The '/w' option can only be\nused with '/a' or '/t'"}},
        {"/e:l /a:120010 /w:30", 0, ArmedFor60, same, 1, armed, "",
         {"Warning time is bigger than timeout", "Timer not started (Invalid time ?)"}},
        {"/e:l /t:6", 0, [] { State.ExitInProgress = 1; }, same, 1, "Shutdown", "", {}},
        // A typo changes nothing here either: the word as typed, a time of day of six digits.
        {"/E:R /t:6", 0, ArmedFor60, same, 1, armed, "", {"Unknown option /E:R (DorvaNT.exe /? lists the options)"}},
        {"/e:s/t:600/q", 0, ArmedFor60, same, 1, armed, "", {"Unknown option /e:s/t:600/q (DorvaNT.exe /? lists the options)"}},
        {"/e:l /a:2300", 0, ArmedFor60, same, 1, armed, "", {"Timer not started (Invalid time ?)"}},
    };
    for (const HandOverCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "second start \"" << c.text << "\", copy " << c.copy);
        DorvaTest::SetUp();
        Harness::AnswerOtherBoxes([](const Harness::Box&) { return IDOK; });
        Recorder::UseVirtualTime(2026, 3, 2, 12, 0, 0);
        CreateMainWindowAndMenus();
        ShowExitTypeIcon(true);
        c.before();
        Settings want = ReadSettings();
        c.want(want);
        Recorder::TakeTray(c.copy != NoCopy, c.copy == NoCopy ? nullptr : State.MainWindow, c.copy < 0 ? 0 : c.copy);
        int result = GoesOn;
        std::string options = c.text;
        CharLowerA(&options[0]);
        EXPECT_EQ(AnswerWithoutStarting(options.c_str(), c.text, &result), c.code != GoesOn);
        EXPECT_EQ(result, c.code);
        const RecordedCall* said = Recorder::Find("WriteStandardOutput");
        EXPECT_EQ(said ? said->text : "", std::string(c.said));
        const RecordedCall* tipSent = Recorder::Find("SendMessageTimeout", 1);  // after the hand-over itself
        EXPECT_EQ(tipSent && tipSent->arg[1] == WM_COPYDATA, c.code == 0 && !std::strcmp(c.text, "/q")) << "the tip sent back";
        EXPECT_TRUE(Harness::Boxes().empty()) << "the answer comes before any box";
        Recorder::AdvanceTime(0);
        std::vector<std::string> boxes;
        for (const Harness::Box& box : Harness::Boxes()) boxes.push_back(box.text);
        EXPECT_EQ(boxes, c.boxes);
        ExpectSettings(want);
        EXPECT_EQ(State.TimerRunning != 0, std::string(c.tip).rfind("Timed Exit", 0) == 0);
        EXPECT_EQ(State.TrayIconWanted, c.tip[0] != '\0');
        if (c.tip[0]) EXPECT_STREQ(State.TrayData.szTip, c.tip);
        DeleteTrayIcon(State.MainWindow);
        DorvaTest::TearDown();
    }
    for (const ExitTypeInfo& type : ExitTypes) EXPECT_NE(std::strstr(UsageText, type.option), nullptr) << type.option;
}

// ---- over the saved settings ------------------------------------------------------

std::string Stored(const char* text)
{
    std::string data = text;
    data.resize(7, '\0');
    return data;
}

class SavedSettingsTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    }
    void Save(const char* name, const char* text) { ASSERT_TRUE(SettingsKey::WriteRaw(name, Stored(text))); }
    void ExpectOneErrorBox(const char* message)
    {
        ASSERT_EQ(Harness::Boxes().size(), 1u);
        Harness::ExpectErrorBox(Harness::Boxes()[0], message);
    }

private:
    SettingsKey::Guard key_;
};

struct SavedCase {
    std::vector<std::pair<const char*, const char*>> values;  // saved before the start
    const char* text;
    std::function<void(Settings&)> want;  // changes from the start-up defaults
    int armedMs;                          // a time of day armed here: its delay, 0 for none
};

// The options over the saved settings ("/z" leaves them unread); a time of
// day, given or saved, is armed here.
TEST_F(SavedSettingsTest, OptionsApplyOverTheSavedSettings)
{
    constexpr int Hour = 3600 * 1000;
    const SavedCase cases[] = {
        // No option switches a saved flag off, except "/f:d"; a saved letter is upper-cased too.
        {{{"ForceFlag", "1"}, {"ConfirmFlag", "1"}, {"ClickFlag", "1"}, {"ExitType", "20"}, {"TimerValue", "45"},
          {"HotKey", "k"}, {"HotkeyFlag", "1"}},
         "/e:l /t /f:d",
         [](Settings& s) {
             s.exitType = ExitTypeLogoff; s.force = 1; s.confirm = 1; s.click = 0; s.timer = 1;
             s.timerValue = "45"; s.timeoutSeconds = 45; s.hotkey = 1; s.hotKey = "K";
         }, 0},
        {{{"ForceFlag", "1"}, {"ExitType", "20"}}, "/z /f:b", [](Settings& s) { s.block = 1; }, 0},
        {{{"ExitType", "40"}, {"ForceFlag", "1"}}, "", [](Settings& s) { s.exitType = ExitTypeScreensaver; }, 0},
        {{{"ExitType", "30"}}, "/n", [](Settings& s) { s.exitType = ExitTypeLogoff; s.noIcon = 1; }, 0},
        {{}, "/z /a:120000", [](Settings& s) { s.at = 1; s.atValue = "120000"; }, 2 * Hour},
        {{}, "/z /a /w:20", [](Settings& s) { s.at = 1; s.warn = 1; s.warnValue = "20"; s.warnSeconds = 20; },
         13 * Hour},
        // The README's example with a timeout saved: the time of day given replaces it.
        {{{"TimerFlag", "1"}, {"TimerValue", "600"}}, "/e:l /a:223000",
         [](Settings& s) { s.exitType = ExitTypeLogoff; s.at = 1; s.atValue = "223000"; s.timerValue = "600"; },
         12 * Hour + Hour / 2},
        {{{"AtFlag", "1"}, {"AtValue", "103000"}}, "", [](Settings& s) { s.at = 1; s.atValue = "103000"; }, Hour / 2},
    };
    for (const SavedCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line \"" << c.text << "\"");
        SettingsKey::Guard rowKey;
        ResetProgramState();
        SetDefaults();
        Recorder::SetLocalTime(10, 0, 0);
        for (const auto& value : c.values) Save(value.first, value.second);
        Settings want = ReadSettings();
        c.want(want);
        EXPECT_EQ(ParseCommandLine(c.text), 1);
        ExpectSettings(want);
        EXPECT_EQ(State.TimerRunning != 0, c.armedMs != 0);
        if (c.armedMs) EXPECT_EQ(MillisUntilClockShows({State.Armed.hour, State.Armed.minute, State.Armed.second}), c.armedMs);
        EXPECT_EQ(State.WarnTimerId != 0, c.armedMs && want.warn);
        EXPECT_TRUE(Harness::Boxes().empty());
        for (UINT_PTR* id : {&State.ExitTimerId, &State.WarnTimerId}) {
            if (*id) KillTimer(nullptr, *id);
            *id = 0;
        }
    }
}

// Two exit types are refused before the options or the saved settings change anything.
TEST_F(SavedSettingsTest, TwoExitTypesAreRefusedBeforeAnythingChanges)
{
    Save("ForceFlag", "1");
    Save("ConfirmFlag", "1");
    Save("ExitType", "20");
    Harness::AnswerBoxes({IDOK});
    EXPECT_EQ(ParseCommandLine("/e:s /x:r /f:f /f:b /n /t:5"), 0);
    ExpectOneErrorBox("Too many options specified");
    ExpectSettings(Settings());
}

// A refusal that comes from the saved settings alone names them and "/z";
// one that involves a typed timed-exit option keeps that option's message.
TEST_F(SavedSettingsTest, ARefusalOfTheSavedSettingsAloneNamesThem)
{
    const char* const saved = "The saved settings ask for a timed exit\nthat cannot start: start with /z to ignore them";
    struct Case {
        std::vector<std::pair<const char*, const char*>> values;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {{{"WarnFlag", "1"}}, "", saved},
        {{{"WarnFlag", "1"}}, "/w:5", "The '/w' option can only be\nused with '/a' or '/t'"},
        {{{"TimerFlag", "1"}, {"AtFlag", "1"}}, "/e:l", saved},
        {{{"TimerFlag", "1"}, {"TimerValue", "20"}, {"WarnFlag", "1"}, {"WarnValue", "30"}}, "", saved},
        {{{"AtFlag", "1"}, {"AtValue", "250000"}}, "/n", saved},
        {{{"AtFlag", "1"}, {"AtValue", "2300"}}, "", saved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "command line \"" << c.text << "\", " << c.values.front().first);
        SettingsKey::Guard rowKey;
        ResetProgramState();
        SetDefaults();
        Harness::ClearBoxes();
        for (const auto& value : c.values) Save(value.first, value.second);
        Harness::AnswerBoxes({IDOK});
        EXPECT_EQ(ParseCommandLine(c.text), 0);
        ExpectOneErrorBox(c.message);
    }
}

// ---- random texts -------------------------------------------------------------------

int BoxesShown = 0;
int WINAPI CountingMessageBox(HWND, LPCSTR, LPCSTR, UINT)
{
    ++BoxesShown;
    return IDOK;
}

bool TerminatedWithin(const char* text, size_t size) { return std::memchr(text, '\0', size) != nullptr; }

// Texts built from option pieces, numbers, blanks and random bytes: whatever
// the text, the fields stay inside their sizes, the settings that the command
// line does not own are untouched, a refusal shows exactly one box, and an
// accepted text leaves a consistent set of settings.
TEST_F(CommandLineTest, RandomTextsKeepEveryFieldWhole)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    SettingsKey::Guard key;
    const char* pieces[] = {"/e:s", "/e:b", "/e:l", "/e:p", "/e:y", "/e:o", "/x:s", "/x:r", "/x:u", "/x:h", "/x:k", "/f:f", "/f:d", "/f:e", "/f:b",
                            "/f:c", "/f:h", "/f:w", "/h", "/h:", "/t", "/t:", "/a", "/a:", "/w", "/w:", "/n", "/z",
                            " ", "   ", "\t", "/", ":", "h", "t", "a", "w", "q", "1", "0", "30", "-5", "600",
                            "999999", "1234567890", "120000", "250000", "abc", "\xe9", "\xff"};
    void* previous = Harness::PatchImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(CountingMessageBox));
    ASSERT_NE(previous, nullptr);
    Recorder::SetLocalTime(12, 0, 0);
    unsigned seed = 20260607;
    auto next = [&seed] { seed = seed * 1103515245u + 12345u; return (seed >> 16) & 0x7FFF; };
    char text[256];
    for (int round = 0; round < 20000; ++round) {
        size_t length = 0;
        size_t wanted = next() % 120;
        while (length < wanted) {
            const char* piece = next() % 5 == 0 ? nullptr : pieces[next() % (sizeof pieces / sizeof pieces[0])];
            if (piece) {
                length += CopyText(text + length, sizeof text - length, piece);
            } else {
                text[length++] = static_cast<char>(1 + next() % 255);
                text[length] = '\0';
            }
        }
        text[length] = '\0';
        SCOPED_TRACE(testing::Message() << "round " << round << " text \"" << text << "\"");

        ResetProgramState();
        SetDefaults();
        CopyText(State.WarningText, sizeof State.WarningText, "untouched");
        CopyText(State.ProgramsToRun, sizeof State.ProgramsToRun, "untouched;");
        BoxesShown = 0;
        int result = ParseCommandLine(text);

        ASSERT_TRUE(result == 0 || result == 1);
        if (result == 1) {
            ASSERT_EQ(BoxesShown, 0);
        } else {
            // A countdown longer than the time left to a time of day is
            // reported by the scheduler too, before the refusal.
            ASSERT_GE(BoxesShown, 1);
            ASSERT_LE(BoxesShown, State.AtFlag ? 2 : 1);
        }
        ASSERT_TRUE(TerminatedWithin(State.HotKey, sizeof State.HotKey));
        ASSERT_TRUE(TerminatedWithin(State.TimerValue, sizeof State.TimerValue));
        ASSERT_TRUE(TerminatedWithin(State.AtValue, sizeof State.AtValue));
        ASSERT_TRUE(TerminatedWithin(State.WarnValue, sizeof State.WarnValue));
        ASSERT_STREQ(State.WarningText, "untouched");
        ASSERT_STREQ(State.ProgramsToRun, "untouched;");
        if (result == 1) {
            ASSERT_FALSE(State.TimerFlag && State.AtFlag);
            ASSERT_FALSE(State.ForceFlag && HasTrait(FindExitType(State.ExitType), NeverForced));
            if (State.HotkeyFlag) {
                ASSERT_EQ(std::strlen(State.HotKey), 1u);
                ASSERT_TRUE(IsCharAlphaA(State.HotKey[0]));
                char upper[2] = {State.HotKey[0], '\0'};
                CharUpperBuffA(upper, 1);
                ASSERT_EQ(upper[0], State.HotKey[0]) << "upper-cased (a letter without capital stays)";
            }
            char number[16];
            if (State.TimerFlag) {
                std::snprintf(number, sizeof number, "%d", State.TimeoutSeconds);
                ASSERT_STREQ(State.TimerValue, number) << "the text and the number agree";
                ASSERT_GE(State.TimeoutSeconds, 1);
                ASSERT_LE(State.TimeoutSeconds, 999999);
                ASSERT_LE(State.WarnSeconds, State.TimeoutSeconds);
            }
            if (State.WarnFlag) {
                std::snprintf(number, sizeof number, "%d", State.WarnSeconds);
                ASSERT_STREQ(State.WarnValue, number) << "the text and the number agree";
                ASSERT_GE(State.WarnSeconds, 1);
                ASSERT_LE(State.WarnSeconds, 999999);
            }
            ASSERT_EQ(State.AtFlag != 0, State.TimerRunning != 0);
        }
        for (UINT_PTR* id : {&State.ExitTimerId, &State.WarnTimerId}) {
            if (*id) KillTimer(nullptr, *id);
            *id = 0;
        }
        State.TimerRunning = 0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    Harness::PatchImport("user32.dll", "MessageBoxA", previous);
}

}  // namespace
