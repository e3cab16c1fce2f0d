// The warning text dialog through its real template: the generated default,
// and how OK and Cancel move the text and its two flags.
#include "state/program_state.h"
#include "support/harness.h"
#include "timer/warning_text_dialog.h"

#include <cstdio>
#include <string>

namespace {

class WarningTextTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
    }
    // Opens the dialog; `script` runs inside it.
    void Run(Harness::DialogScript script)
    {
        Harness::OnNextDialog(std::move(script));
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_WARNINGTEXT), State.MainWindow,
                        WarningTextProc, 0);
    }
};

enum class Opening { Empty, Generated, UserText };
enum class Answer { OkUnchanged, OkChanged, Cancel };

struct StateCase {
    Opening opening;
    Answer answer;
    int editedBefore;
    const char* shown;        // in the edit when the dialog opens
    const char* textAfter;
    int autoAfter;
    int editedAfter;
};

// The exit type is Reboot throughout; an older generated text still names
// Shutdown.
TEST_F(WarningTextTest, OkAndCancelFollowTheStateTable)
{
    const char* def = "Counting down to reboot";
    const char* mine = "Save your files!";
    const char* typed = "Going down now";
    const StateCase cases[] = {
        {Opening::Empty, Answer::OkUnchanged, 1, def, def, 1, 0},
        {Opening::Empty, Answer::OkChanged, 0, def, typed, 0, 1},
        {Opening::Empty, Answer::Cancel, 0, def, def, 1, 0},
        {Opening::Generated, Answer::OkUnchanged, 1, def, def, 1, 0},
        {Opening::Generated, Answer::OkChanged, 0, def, typed, 0, 1},
        {Opening::Generated, Answer::Cancel, 0, def, def, 1, 0},
        {Opening::UserText, Answer::OkUnchanged, 1, mine, mine, 0, 0},
        {Opening::UserText, Answer::OkChanged, 0, mine, typed, 0, 1},
        {Opening::UserText, Answer::Cancel, 1, mine, mine, 0, 1},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "opening " << static_cast<int>(c.opening) << " answer "
                                        << static_cast<int>(c.answer));
        State.ExitType = ExitTypeReboot;
        State.WarningTextEdited = c.editedBefore;
        State.WarningTextOwn = c.opening == Opening::UserText;
        switch (c.opening) {
        case Opening::Empty:
            State.WarningText[0] = '\0';
            State.WarningTextAuto = 0;
            break;
        case Opening::Generated:
            std::snprintf(State.WarningText, sizeof State.WarningText, "Counting down to shutdown");
            State.WarningTextAuto = 1;
            break;
        case Opening::UserText:
            std::snprintf(State.WarningText, sizeof State.WarningText, "%s", mine);
            State.WarningTextAuto = 0;
            break;
        }
        std::string shown;
        Run([&](HWND d) {
            EXPECT_EQ(State.WarningTextDialog, d);
            shown = Harness::ItemText(d, IDC_WT_EDIT);
            switch (c.answer) {
            case Answer::OkUnchanged: Harness::Click(d, IDOK); break;
            case Answer::OkChanged:
                Harness::SetItemText(d, IDC_WT_EDIT, typed);
                Harness::Click(d, IDOK);
                break;
            case Answer::Cancel:
                Harness::SetItemText(d, IDC_WT_EDIT, typed);
                Harness::Click(d, IDCANCEL);
                break;
            }
        });
        EXPECT_EQ(shown, c.shown);
        EXPECT_STREQ(State.WarningText, c.textAfter);
        EXPECT_EQ(State.WarningTextAuto, c.autoAfter);
        EXPECT_EQ(State.WarningTextEdited, c.editedAfter);
    }
}

TEST_F(WarningTextTest, FirstOpeningWithShutdownShowsItsDefault)
{
    State.ExitType = ExitTypeShutdown;
    Run([](HWND d) {
        EXPECT_EQ(Harness::ItemText(d, IDC_WT_EDIT), "Counting down to shutdown");
        PostMessageA(d, WM_CLOSE, 0, 0);  // the close box acts as Cancel
    });
    EXPECT_STREQ(State.WarningText, "Counting down to shutdown");
    EXPECT_EQ(State.WarningTextAuto, 1);
    EXPECT_EQ(State.WarningTextEdited, 0);
}

TEST_F(WarningTextTest, OnlyTheFirst99CharactersAreKept)
{
    const std::string typed(120, 'w');
    Run([&](HWND d) {
        Harness::SetItemText(d, IDC_WT_EDIT, typed.c_str());
        Harness::Click(d, IDOK);
    });
    EXPECT_EQ(std::string(State.WarningText), typed.substr(0, 99));
    EXPECT_EQ(State.WarningTextEdited, 1);
}

TEST_F(WarningTextTest, AChangeOfCaseIsAChange)
{
    State.ExitType = ExitTypeLogoff;
    Run([](HWND d) {
        Harness::SetItemText(d, IDC_WT_EDIT, "COUNTING DOWN TO LOGOFF");
        Harness::Click(d, IDOK);
    });
    EXPECT_STREQ(State.WarningText, "COUNTING DOWN TO LOGOFF");
    EXPECT_EQ(State.WarningTextEdited, 1);
    EXPECT_EQ(State.WarningTextAuto, 0);
}

TEST_F(WarningTextTest, AnEmptiedTextIsStoredAndStaysEmpty)
{
    State.ExitType = ExitTypePowerOff;
    Run([](HWND d) {
        Harness::SetItemText(d, IDC_WT_EDIT, "");
        Harness::Click(d, IDOK);
    });
    EXPECT_STREQ(State.WarningText, "");
    EXPECT_EQ(State.WarningTextEdited, 1);
    EXPECT_EQ(State.WarningTextAuto, 0);
    Run([](HWND d) {
        EXPECT_EQ(Harness::ItemText(d, IDC_WT_EDIT), "");
        Harness::Click(d, IDOK);
    });
    EXPECT_EQ(State.WarningTextEdited, 0);
    EXPECT_EQ(State.WarningTextAuto, 0);
}

TEST_F(WarningTextTest, LineBreaksSurviveTheRoundTrip)
{
    std::snprintf(State.WarningText, sizeof State.WarningText, "Line one\r\nLine two");
    Run([](HWND d) {
        EXPECT_EQ(Harness::ItemText(d, IDC_WT_EDIT), "Line one\r\nLine two");
        Harness::Click(d, IDOK);
    });
    EXPECT_STREQ(State.WarningText, "Line one\r\nLine two");
    EXPECT_EQ(State.WarningTextEdited, 0);
}

}  // namespace
