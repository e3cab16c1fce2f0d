// The Timed Exit Options dialog driven through its real template: what it
// shows, how its controls enable each other, what OK stores and arms, and
// every entry that OK rejects, and with which message.
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "timer/scheduler.h"
#include "timer/timed_exit_dialog.h"
#include "timer/warning_text_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using Harness::Click;
using Harness::IsChecked;
using Harness::IsEnabled;
using Harness::ItemText;
using Harness::SetItemText;

void Store(char* field, size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

class TimedExitDialogTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
        Recorder::SetLocalTime(12, 0, 0);
    }
    void TearDown() override
    {
        CancelTimedExit();
        DorvaTest::TearDown();
    }
    // Opens the dialog as the menu command does; `script` runs inside it.
    void Run(Harness::DialogScript script)
    {
        Harness::OnNextDialog(std::move(script));
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_TIMEDEXIT), State.MainWindow, TimedExitProc, 0);
    }
    static const Harness::Box& LastBox() { return Harness::Boxes().back(); }
};

// ---- what the dialog shows ------------------------------------------------------

// A negative stored number is shown signed inside its field.
TEST_F(TimedExitDialogTest, ATimeoutIsShownWithItsWarning)
{
    const struct {
        const char* timeout;
        const char* warning;
    } cases[] = {{"45", "15"}, {"-5", "-99999"}};
    for (const auto& c : cases) {
        State.TimerFlag = 1;
        State.WarnFlag = 1;
        Store(State.TimerValue, sizeof State.TimerValue, c.timeout);
        Store(State.WarnValue, sizeof State.WarnValue, c.warning);
        Run([&](HWND d) {
            EXPECT_EQ(State.TimedExitDialog, d);
            EXPECT_TRUE(IsChecked(d, IDC_TE_TIMEOUT));
            EXPECT_FALSE(IsChecked(d, IDC_TE_AT));
            EXPECT_FALSE(IsChecked(d, IDC_TE_NONE));
            EXPECT_TRUE(IsChecked(d, IDC_TE_WARN));
            EXPECT_EQ(ItemText(d, IDC_TE_TIMEOUTEDIT), c.timeout);
            EXPECT_EQ(ItemText(d, IDC_TE_ATEDIT), "");
            EXPECT_EQ(ItemText(d, IDC_TE_WARNEDIT), c.warning);
            for (int id : {IDC_TE_TIMEOUTEDIT, IDC_TE_ATEDIT, IDC_TE_WARNEDIT, IDC_TE_WARN, IDC_TE_TEXT}) {
                EXPECT_TRUE(IsEnabled(d, id)) << "control " << id;
            }
            Click(d, IDCANCEL);
        });
    }
}

// Opening and cancelling changes no live value, whatever text is stored: the
// next click arms the timeout that was valid before (it used to take the
// stored "0" and exit at once).
TEST_F(TimedExitDialogTest, OpeningAndCancellingChangesNoLiveValue)
{
    for (const char* stored : {"0", "", "abc", "-5"}) {
        SCOPED_TRACE(testing::Message() << "stored text \"" << stored << "\"");
        State.TimerFlag = 1;
        State.WarnFlag = 1;
        Store(State.TimerValue, sizeof State.TimerValue, stored);
        Store(State.WarnValue, sizeof State.WarnValue, stored);
        State.TimeoutSeconds = 30;
        State.WarnSeconds = 10;
        Run([](HWND d) { Click(d, IDCANCEL); });
        EXPECT_EQ(State.TimeoutSeconds, 30);
        EXPECT_EQ(State.WarnSeconds, 10);
        EXPECT_TRUE(StartTimedExit());
        EXPECT_EQ(State.Armed.delayMs, 30000u);
        CancelTimedExit();
    }
}

struct ShownTimeCase {
    const char* stored;
    const char* shown;
};

TEST_F(TimedExitDialogTest, AStoredTimeOfDayIsShownAsSixDigits)
{
    const ShownTimeCase cases[] = {
        {"240000", "000000"}, {"000500", "000500"}, {"230000", "230000"},
        {"", ""},             {"250000", "250000"}, {"245959", "005959"}, {"2300", "2300"},
    };
    for (const ShownTimeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "AtValue \"" << c.stored << "\"");
        State.AtFlag = 1;
        State.TimerFlag = 0;
        Store(State.AtValue, sizeof State.AtValue, c.stored);
        Run([&](HWND d) {
            EXPECT_TRUE(IsChecked(d, IDC_TE_AT));
            EXPECT_EQ(ItemText(d, IDC_TE_ATEDIT), c.shown);
            EXPECT_EQ(ItemText(d, IDC_TE_TIMEOUTEDIT), "");
            Click(d, IDCANCEL);
        });
        EXPECT_STREQ(State.AtValue, c.stored) << "showing changes nothing";
        EXPECT_EQ(State.TimerRunning, 0u) << "showing arms nothing";
    }
}

// The warning is shown off while no timed exit is chosen; only OK stores that.
TEST_F(TimedExitDialogTest, OpeningWithNoTimedModeShowsTheWarningOffAndOnlyOkStoresIt)
{
    State.WarnFlag = 1;
    Store(State.WarnValue, sizeof State.WarnValue, "10");
    Run([](HWND d) {
        EXPECT_TRUE(IsChecked(d, IDC_TE_NONE));
        EXPECT_FALSE(IsChecked(d, IDC_TE_WARN));
        EXPECT_FALSE(IsEnabled(d, IDC_TE_WARN));
        EXPECT_FALSE(IsEnabled(d, IDC_TE_TEXT));
        for (int id : {IDC_TE_TIMEOUTEDIT, IDC_TE_ATEDIT, IDC_TE_WARNEDIT}) {
            EXPECT_EQ(ItemText(d, id), "");
            EXPECT_TRUE(IsEnabled(d, id)) << "the edits start enabled, control " << id;
        }
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(State.WarnFlag, 1) << "Cancel changes nothing";
    Run([](HWND d) { Click(d, IDOK); });
    EXPECT_EQ(State.WarnFlag, 0);
}

TEST_F(TimedExitDialogTest, TheCloseBoxEndsTheDialogLikeCancel)
{
    State.TimerFlag = 1;
    Run([](HWND d) {
        SetItemText(d, IDC_TE_TIMEOUTEDIT, "77");
        PostMessageA(d, WM_CLOSE, 0, 0);
    });
    EXPECT_STREQ(State.TimerValue, "30");
}

// ---- how the controls follow each other ------------------------------------------

struct EnableCase {
    const char* what;
    int click;
    bool warnChecked;  // the check box before the click
    const char* enabled;   // ids, as "107,111"
    const char* disabled;
};

bool ListHas(const char* list, int id)
{
    char text[8];
    std::snprintf(text, sizeof text, "%d", id);
    for (const char* p = list; (p = std::strstr(p, text)) != nullptr; p += std::strlen(text)) {
        bool startOk = p == list || p[-1] == ',';
        char after = p[std::strlen(text)];
        if (startOk && (after == '\0' || after == ',')) return true;
    }
    return false;
}

TEST_F(TimedExitDialogTest, EachChoiceEnablesAndDisablesItsControls)
{
    const EnableCase cases[] = {
        {"timeout radio", IDC_TE_TIMEOUT, false, "107,111,105", "108"},
        {"time-of-day radio", IDC_TE_AT, false, "108,111,105", "107"},
        {"warning checked", IDC_TE_WARN, false, "111,215", ""},
        {"warning unchecked", IDC_TE_WARN, true, "", "111,215"},
        {"no timed exit", IDC_TE_NONE, true, "", "107,108,111,105,215"},
        {"program radio", IDC_TE_PROGRAM, false, "111,105", "107,108"},
        {"inactivity radio", IDC_TE_IDLE, false, "111,105", "107,108"},
    };
    const int controls[] = {IDC_TE_TIMEOUTEDIT, IDC_TE_ATEDIT, IDC_TE_WARNEDIT, IDC_TE_WARN, IDC_TE_TEXT};
    for (const EnableCase& c : cases) {
        SCOPED_TRACE(c.what);
        State.TimerFlag = 1;
        State.AtFlag = 0;
        State.WarnFlag = c.warnChecked ? 1 : 0;
        Run([&](HWND d) {
            // Start from a known mix: every control enabled but 107 and 215.
            for (int id : controls) EnableWindow(GetDlgItem(d, id), TRUE);
            EnableWindow(GetDlgItem(d, IDC_TE_TIMEOUTEDIT), FALSE);
            EnableWindow(GetDlgItem(d, IDC_TE_TEXT), FALSE);
            bool before[5];
            for (int i = 0; i < 5; ++i) before[i] = IsEnabled(d, controls[i]);
            Click(d, c.click);
            for (int i = 0; i < 5; ++i) {
                int id = controls[i];
                bool expected = ListHas(c.enabled, id) ? true : ListHas(c.disabled, id) ? false : before[i];
                EXPECT_EQ(IsEnabled(d, id), expected) << "control " << id;
            }
            Click(d, IDCANCEL);
        });
    }
}

TEST_F(TimedExitDialogTest, ChoicesRefillTheirEditsFromTheStoredTexts)
{
    State.TimerFlag = 1;
    State.WarnFlag = 1;
    Store(State.TimerValue, sizeof State.TimerValue, "30");
    Store(State.AtValue, sizeof State.AtValue, "000500");
    Store(State.WarnValue, sizeof State.WarnValue, "10");
    Run([](HWND d) {
        SetItemText(d, IDC_TE_TIMEOUTEDIT, "99");
        Click(d, IDC_TE_TIMEOUT);  // already checked: still refilled
        EXPECT_EQ(ItemText(d, IDC_TE_TIMEOUTEDIT), "30");

        Click(d, IDC_TE_AT);
        EXPECT_TRUE(IsChecked(d, IDC_TE_AT));
        EXPECT_FALSE(IsChecked(d, IDC_TE_TIMEOUT));
        EXPECT_EQ(ItemText(d, IDC_TE_ATEDIT), "000500");
        EXPECT_EQ(ItemText(d, IDC_TE_TIMEOUTEDIT), "");

        Click(d, IDC_TE_WARN);  // off
        EXPECT_EQ(ItemText(d, IDC_TE_WARNEDIT), "");
        SetItemText(d, IDC_TE_WARNEDIT, "55");
        Click(d, IDC_TE_WARN);  // on again
        EXPECT_EQ(ItemText(d, IDC_TE_WARNEDIT), "10");

        Click(d, IDC_TE_NONE);
        EXPECT_FALSE(IsChecked(d, IDC_TE_WARN));
        EXPECT_FALSE(IsChecked(d, IDC_TE_AT));
        for (int id : {IDC_TE_TIMEOUTEDIT, IDC_TE_ATEDIT, IDC_TE_WARNEDIT}) EXPECT_EQ(ItemText(d, id), "");
        Click(d, IDCANCEL);
    });
    EXPECT_STREQ(State.TimerValue, "30");
    EXPECT_EQ(State.TimerFlag, 1) << "Cancel reads nothing";
}

TEST_F(TimedExitDialogTest, CountdownTextOpensTheWarningTextDialog)
{
    State.TimerFlag = 1;
    State.WarnFlag = 1;
    State.ExitType = ExitTypeLogoff;
    bool opened = false;
    Run([&](HWND d) {
        Harness::OnNextDialog([&](HWND text) {
            opened = true;
            EXPECT_EQ(GetWindow(text, GW_OWNER), d);
            EXPECT_EQ(ItemText(text, IDC_WT_EDIT), "Counting down to logoff");
            Click(text, IDCANCEL);
        });
        Click(d, IDC_TE_TEXT);
        Click(d, IDCANCEL);
    });
    EXPECT_TRUE(opened);
}

// ---- OK: what is stored and armed ----------------------------------------------------

struct AcceptCase {
    const char* what;
    int radio;
    const char* typed;        // into the timeout or time-of-day edit
    bool warn;
    const char* warnTyped;
    const char* storedText;   // TimerValue or AtValue afterwards
    int number;               // TimeoutSeconds, or the delay of an armed time of day
    const char* tip;          // of an armed time of day
};

TEST_F(TimedExitDialogTest, ValidEntriesAreStoredAndATimeOfDayIsArmed)
{
    const AcceptCase cases[] = {
        {"timeout 30", IDC_TE_TIMEOUT, "30", false, "", "30", 30},
        {"leading blank: the text says the number", IDC_TE_TIMEOUT, " 45", false, "", "45", 45},
        {"trailing letter", IDC_TE_TIMEOUT, "45s", false, "", "45", 45},
        {"largest", IDC_TE_TIMEOUT, "999999", false, "", "999999", 999999},
        {"warning equal to the timeout", IDC_TE_TIMEOUT, "30", true, "30", "30", 30},
        {"time of day", IDC_TE_AT, "235900", false, "", "235900", 43140000, "Timed Exit: Shutdown at 23:59:00"},
        {"time of day with warning", IDC_TE_AT, "120100", true, "60", "120100", 60000,
         "Timed Exit: Shutdown at 12:01:00"},
        {"program's end, any warning", IDC_TE_PROGRAM, "Job", true, "999", "Job", 0, "Timed Exit: Shutdown when Job.exe ends"},
        {"inactivity", IDC_TE_IDLE, " 45", false, "", "45", 45, "Timed Exit: Shutdown after 45 min without input"},
    };
    Recorder::AddProcess({7, "job.exe", true});
    for (const AcceptCase& c : cases) {
        SCOPED_TRACE(c.what);
        CancelTimedExit();
        // Each entry changes the mode: the other mode's flag is cleared.
        State.TimerFlag = c.radio != IDC_TE_TIMEOUT;
        State.AtFlag = c.radio == IDC_TE_TIMEOUT;
        State.WarnFlag = c.warn;
        bool closed = false;
        Run([&](HWND d) {
            Click(d, c.radio);
            int edit = c.radio + (c.radio == IDC_TE_TIMEOUT || c.radio == IDC_TE_AT ? IDC_TE_TIMEOUTEDIT - IDC_TE_TIMEOUT : 1);
            SetItemText(d, edit, c.typed);
            if (c.warn) SetItemText(d, IDC_TE_WARNEDIT, c.warnTyped);
            Click(d, IDOK);
            closed = !IsWindow(d) || !IsWindowVisible(d);
            if (!closed) Click(d, IDCANCEL);
        });
        EXPECT_TRUE(closed);
        EXPECT_TRUE(Harness::Boxes().empty());
        EXPECT_EQ(State.WarnFlag, c.warn ? 1 : 0);
        if (c.radio == IDC_TE_TIMEOUT) {
            EXPECT_EQ(State.TimerFlag, 1);
            EXPECT_EQ(State.AtFlag, 0);
            EXPECT_STREQ(State.TimerValue, c.storedText);
            EXPECT_EQ(State.TimeoutSeconds, c.number);
            EXPECT_EQ(State.TimerRunning, 0u) << "a timeout waits for the click";
        } else if (c.radio != IDC_TE_AT) {
            EXPECT_EQ(State.TimerFlag + State.AtFlag, 0);
            EXPECT_STREQ(c.radio == IDC_TE_IDLE ? State.IdleValue : State.ProgramValue, c.storedText);
            EXPECT_EQ(State.IdleMinutes, c.number);
            EXPECT_STREQ(State.TrayData.szTip, c.tip);
        } else {
            EXPECT_EQ(State.AtFlag, 1);
            EXPECT_EQ(State.TimerFlag, 0);
            EXPECT_STREQ(State.AtValue, c.storedText);
            EXPECT_EQ(MillisUntilClockShows({State.Armed.hour, State.Armed.minute, State.Armed.second}), c.number);
            EXPECT_STREQ(State.TrayData.szTip, c.tip);
        }
        EXPECT_EQ(State.TimerRunning != 0, c.radio != IDC_TE_TIMEOUT) << "all but a timeout are armed at once";
        if (c.warn) EXPECT_STREQ(State.WarnValue, c.warnTyped);
    }
}

TEST_F(TimedExitDialogTest, NoTimedExitClearsEveryModeAndCancels)
{
    State.TimerFlag = 1;
    State.WarnFlag = 1;
    Run([](HWND d) {
        Click(d, IDC_TE_NONE);
        Click(d, IDOK);
    });
    EXPECT_EQ(State.TimerFlag, 0);
    EXPECT_EQ(State.AtFlag, 0);
    EXPECT_EQ(State.WarnFlag, 0);
    EXPECT_EQ(State.TimerRunning, 0u);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, State.MainWindow, WM_COMMAND, WM_COMMAND, PM_NOREMOVE))
        << "the cancel re-selects the exit type";
}

TEST_F(TimedExitDialogTest, WhileArmedOkChangesNothing)
{
    State.TimerFlag = 1;
    State.TimeoutSeconds = 30;
    StartTimedExit();
    UINT_PTR armed = State.TimerRunning;
    ASSERT_NE(armed, 0u);
    Run([](HWND d) {
        Click(d, IDC_TE_AT);
        SetItemText(d, IDC_TE_ATEDIT, "130000");
        Click(d, IDC_TE_WARN);
        SetItemText(d, IDC_TE_WARNEDIT, "5");
        Click(d, IDOK);
    });
    EXPECT_EQ(State.TimerRunning, armed);
    EXPECT_EQ(State.TimerFlag, 1);
    EXPECT_EQ(State.AtFlag, 0);
    EXPECT_EQ(State.WarnFlag, 0);
    EXPECT_STREQ(State.AtValue, "230000");
    EXPECT_STREQ(State.WarnValue, "10");
    EXPECT_TRUE(KillTimer(nullptr, armed)) << "the armed exit is still live";
    State.ExitTimerId = 0;
}

TEST_F(TimedExitDialogTest, WhileArmedNoTimedExitCancelsAndKeepsTheModes)
{
    State.TimerFlag = 1;
    State.WarnFlag = 1;
    State.TimeoutSeconds = 30;
    State.WarnSeconds = 10;
    StartTimedExit();
    UINT_PTR armed = State.TimerRunning;
    Run([](HWND d) {
        Click(d, IDC_TE_NONE);
        Click(d, IDOK);
    });
    EXPECT_EQ(State.TimerRunning, 0u);
    EXPECT_FALSE(KillTimer(nullptr, armed));
    EXPECT_EQ(State.TimerFlag, 1);
    EXPECT_EQ(State.WarnFlag, 1);
    EXPECT_EQ(State.AtFlag, 0);
}

// ---- OK: "Invalid time" ---------------------------------------------------------------

struct InvalidCase {
    const char* what;
    int radio;
    const char* typed;
    const char* warnTyped;    // nullptr: warning off
    int clockSecond;          // the clock is 12:00:<clockSecond>
};

// Types the entry over valid live settings, presses OK, and checks the box,
// that the dialog stayed open, that nothing is armed and that nothing of the
// rejected entry reached the settings, so a later save cannot store it.
class InvalidTimeTest : public TimedExitDialogTest {
protected:
    void Expect(const InvalidCase& c)
    {
        SCOPED_TRACE(c.what);
        CancelTimedExit();
        Harness::ClearBoxes();
        Recorder::SetLocalTime(12, 0, c.clockSecond);
        State.TimerFlag = c.radio == IDC_TE_TIMEOUT;
        State.AtFlag = c.radio == IDC_TE_AT;
        State.WarnFlag = c.warnTyped != nullptr;
        Store(State.TimerValue, sizeof State.TimerValue, "30");
        Store(State.AtValue, sizeof State.AtValue, "230000");
        Store(State.WarnValue, sizeof State.WarnValue, "10");
        State.TimeoutSeconds = 30;
        State.WarnSeconds = 10;
        bool stayedOpen = false;
        Run([&](HWND d) {
            int edit = c.radio == IDC_TE_TIMEOUT ? IDC_TE_TIMEOUTEDIT : IDC_TE_ATEDIT;
            SetItemText(d, edit, c.typed);
            if (c.warnTyped) SetItemText(d, IDC_TE_WARNEDIT, c.warnTyped);
            Harness::AnswerBoxes({IDOK});
            Click(d, IDOK);
            stayedOpen = IsWindow(d) && IsWindowVisible(d);
            EXPECT_EQ(State.TimerRunning, 0u) << "nothing may be armed";
            Click(d, IDCANCEL);
        });
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(Harness::Boxes().size(), 1u);
        Harness::ExpectErrorBox(LastBox(), c.radio == IDC_TE_AT && !c.warnTyped ? "Timer not started (Invalid time ?)"
                                                                               : "Invalid time");  // no time: no timer
        EXPECT_EQ(State.TimerRunning, 0u);
        EXPECT_EQ(State.TimerFlag, c.radio == IDC_TE_TIMEOUT ? 1 : 0);
        EXPECT_EQ(State.WarnFlag, c.warnTyped != nullptr ? 1 : 0);
        EXPECT_STREQ(State.TimerValue, "30");
        EXPECT_STREQ(State.AtValue, "230000");
        EXPECT_STREQ(State.WarnValue, "10");
        EXPECT_EQ(State.TimeoutSeconds, 30);
        EXPECT_EQ(State.WarnSeconds, 10);
    }
};

TEST_F(InvalidTimeTest, EntriesOutsideTheirRangeAreRejected)
{
    const InvalidCase cases[] = {
        // Timeouts outside 1 to 999999 s; seven characters do not fit the
        // field: refused, not cut to six.
        {"timeout 0", IDC_TE_TIMEOUT, "0", nullptr, 0},
        {"timeout empty", IDC_TE_TIMEOUT, "", nullptr, 0},
        {"timeout abc", IDC_TE_TIMEOUT, "abc", nullptr, 0},
        {"timeout -5", IDC_TE_TIMEOUT, "-5", nullptr, 0},
        {"timeout 1000000", IDC_TE_TIMEOUT, "1000000", nullptr, 0},
        {"timeout 0000001", IDC_TE_TIMEOUT, "0000001", nullptr, 0},
        // Times of day outside the clock.
        {"time of day 250000", IDC_TE_AT, "250000", nullptr, 0},
        {"time of day 126000", IDC_TE_AT, "126000", nullptr, 0},
        {"time of day 235960", IDC_TE_AT, "235960", nullptr, 0},
        {"time of day 1200000", IDC_TE_AT, "1200000", nullptr, 0},
        {"time of day empty", IDC_TE_AT, "", nullptr, 0},
        {"time of day 2300", IDC_TE_AT, "2300", nullptr, 0},
        // Warnings of nothing or longer than the timeout.
        {"warning 0", IDC_TE_TIMEOUT, "30", "0", 0},
        {"warning empty", IDC_TE_TIMEOUT, "30", "", 0},
        {"warning 31 over timeout 30", IDC_TE_TIMEOUT, "30", "31", 0},
        {"warning -1 over timeout 30", IDC_TE_TIMEOUT, "30", "-1", 0},
        {"warning 0000005", IDC_TE_TIMEOUT, "30", "0000005", 0},
        // A time of day is checked before it is armed: one box, nothing armed.
        {"warning 0 with a time of day", IDC_TE_AT, "130000", "0", 0},
        {"time of day 10 s ahead, warning 20", IDC_TE_AT, "120010", "20", 0},
        {"time of day 10 s ahead, warning 11", IDC_TE_AT, "120015", "11", 5},
    };
    for (const InvalidCase& c : cases) Expect(c);
}

TEST_F(TimedExitDialogTest, AfterARejectionACorrectedEntryIsAccepted)
{
    State.TimerFlag = 1;
    bool closed = false;
    Run([&](HWND d) {
        SetItemText(d, IDC_TE_TIMEOUTEDIT, "abc");
        Harness::AnswerBoxes({IDOK});
        Click(d, IDOK);
        ASSERT_TRUE(IsWindowVisible(d));
        SetItemText(d, IDC_TE_TIMEOUTEDIT, "12");
        Click(d, IDOK);
        closed = !IsWindow(d) || !IsWindowVisible(d);
    });
    EXPECT_TRUE(closed);
    EXPECT_EQ(State.TimeoutSeconds, 12);
    EXPECT_STREQ(State.TimerValue, "12");
}

}  // namespace
