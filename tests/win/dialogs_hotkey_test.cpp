// The global hotkey and the Set Hotkey dialog, driven through the real
// dialog, with real hotkey registrations checked from another window.
#include "app/main_window.h"
#include "core/text.h"
#include "dialogs/hotkey.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"

#include <cstring>
#include <string>

namespace {

constexpr UINT CtrlAlt = MOD_CONTROL | MOD_ALT;

void SetLetter(const char* letter) { CopyText(State.HotKey, sizeof State.HotKey, letter); }

// Hotkeys belong to the whole desktop: the tests of this file take turns,
// whatever ctest runs beside them, and use letters that no other test
// program registers (X, Q, V and J are taken elsewhere).
class HotkeyTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
    }
    void TearDown() override
    {
        DorvaTest::TearDown();
    }

    // Whether another window could take Ctrl+Alt+key now.
    static bool IsFree(char key)
    {
        HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        const bool free = RegisterHotKey(other, 1, CtrlAlt, static_cast<UINT>(key)) != FALSE;
        if (free) UnregisterHotKey(other, 1);
        DestroyWindow(other);
        return free;
    }

    static INT_PTR RunDialog()
    {
        return DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_HOTKEY), State.MainWindow, HotkeyDialogProc, 0);
    }

    static void Type(HWND dialog, const char* keys)
    {
        HWND edit = GetDlgItem(dialog, IDC_HK_EDIT);
        SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        for (const char* key = keys; *key; ++key) {
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*key), 0);
        }
    }

    Harness::SharedLock lock_{"DorvaNT.Tests.Hotkeys"};
};

TEST_F(HotkeyTest, SetHotkeyRegistersAndUnregistersCtrlAltLetter)
{
    SetLetter("G");
    ASSERT_TRUE(IsFree('G'));
    SetHotkey(1);
    EXPECT_FALSE(IsFree('G')) << "Ctrl+Alt+G is not registered";
    EXPECT_TRUE(IsFree('U')) << "another letter was taken";
    SetHotkey(0);
    EXPECT_TRUE(IsFree('G')) << "Ctrl+Alt+G stayed registered";
}

TEST_F(HotkeyTest, PressedCombinationReachesTheMainWindowAsItsHotkey)
{
    SetLetter("U");
    State.HotkeyFlag = 1;
    SetHotkey(1);
    bool seen = false;
    const BYTE keys[] = {VK_CONTROL, VK_MENU, 'U'};
    for (BYTE key : keys) keybd_event(key, 0, 0, 0);
    for (int i = 2; i >= 0; --i) keybd_event(keys[i], 0, KEYEVENTF_KEYUP, 0);
    const DWORD start = GetTickCount();
    while (!seen && GetTickCount() - start < 3000) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_HOTKEY && message.hwnd == State.MainWindow &&
                message.wParam == static_cast<WPARAM>(HotkeyId)) {
                seen = true;
                EXPECT_EQ(LOWORD(message.lParam), CtrlAlt);
                EXPECT_EQ(HIWORD(message.lParam), 'U');
            }
            DispatchMessageA(&message);
        }
        if (!seen) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    EXPECT_TRUE(seen) << "no WM_HOTKEY for the main window";
    // No timed exit is set up: the hotkey performs the exit at once.
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
    SetHotkey(0);
}

TEST_F(HotkeyTest, OpeningShowsTheLetterAndTheSwitch)
{
    struct Case {
        int flag;
        bool checked;
        bool editEnabled;
    };
    for (const Case& c : {Case{1, true, true}, Case{0, false, false}}) {
        SCOPED_TRACE(testing::Message() << "HotkeyFlag " << c.flag);
        State.HotkeyFlag = c.flag;
        SetLetter("G");
        Harness::OnNextDialog([&](HWND dialog) {
            EXPECT_EQ(State.HotkeyDialog, dialog);
            char caption[32] = "";
            GetWindowTextA(dialog, caption, sizeof caption);
            EXPECT_STREQ(caption, "Set Hotkey");
            EXPECT_EQ(Harness::ItemText(dialog, IDC_HK_EDIT), "G");
            EXPECT_EQ(Harness::IsChecked(dialog, IDC_HK_CHECK), c.checked);
            EXPECT_EQ(Harness::IsEnabled(dialog, IDC_HK_EDIT), c.editEnabled);
            Harness::Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(RunDialog(), 0);
    }
}

TEST_F(HotkeyTest, TypedLowerCaseLetterIsUpperCasedAndRegisteredOnOk)
{
    State.HotkeyFlag = 1;
    Harness::OnNextDialog([](HWND dialog) {
        Type(dialog, "g");
        EXPECT_EQ(Harness::ItemText(dialog, IDC_HK_EDIT), "G");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_STREQ(State.HotKey, "G");
    EXPECT_FALSE(IsFree('G'));
    EXPECT_TRUE(Harness::Boxes().empty());
    SetHotkey(0);
}

TEST_F(HotkeyTest, TwoLettersKeepTheFirst)
{
    State.HotkeyFlag = 1;
    Harness::OnNextDialog([](HWND dialog) {
        Type(dialog, "by");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_STREQ(State.HotKey, "B");
    EXPECT_FALSE(IsFree('B'));
    EXPECT_TRUE(IsFree('Y'));
    SetHotkey(0);
}

// A digit, another sign, a letter beyond A to Z (no key code of its own) or
// nothing, with the box checked, is refused on OK and on Cancel alike; the
// dialog stays open and keeps the rejected text.
TEST_F(HotkeyTest, NonLetterIsRefusedOnOkAndCancel)
{
    struct Case {
        const char* typed;
        int button;
    };
    const Case cases[] = {{"5", IDOK},  {"5", IDCANCEL},   {"", IDOK},         {"", IDCANCEL},
                          {"-", IDOK},  {" ", IDCANCEL},   {"\xC3\x89", IDOK}, {"\xC3\x9F", IDCANCEL}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "typed \"" << c.typed << "\", button " << c.button);
        Harness::ClearBoxes();
        State.HotkeyFlag = 1;
        SetLetter("G");
        Harness::AnswerBoxes({IDOK});
        bool stayedOpen = false;
        Harness::OnNextDialog([&](HWND dialog) {
            Type(dialog, c.typed);
            // A second press while the box is open raises no second box.
            PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(c.button), 0);
            Harness::Click(dialog, c.button);
            stayedOpen = IsWindowVisible(dialog) != FALSE;
            // Kept as far as it fits the one byte: a letter beyond ASCII takes two in UTF-8.
            EXPECT_EQ(std::string(State.HotKey), c.typed[0] & 0x80 ? "" : c.typed) << "the rejected text is kept";
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        RunDialog();
        EXPECT_TRUE(stayedOpen);
        ASSERT_EQ(Harness::Boxes().size(), 1u);
        const Harness::Box& box = Harness::Boxes()[0];
        Harness::ExpectErrorBox(box, "Please enter a letter (A-Z)");
        EXPECT_TRUE(IsFree('G')) << "a refused OK must not register";
    }
}

TEST_F(HotkeyTest, CloseBoxLeavesWithoutACheck)
{
    State.HotkeyFlag = 1;
    Harness::OnNextDialog([](HWND dialog) {
        Type(dialog, "7");
        SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    RunDialog();
    Harness::PumpFor(50);  // anything the close left queued
    EXPECT_TRUE(Harness::Boxes().empty());
}

TEST_F(HotkeyTest, UncheckAndOkUnregistersAndCloses)
{
    State.HotkeyFlag = 1;
    SetLetter("G");
    SetHotkey(1);
    ASSERT_FALSE(IsFree('G'));
    Harness::OnNextDialog([](HWND dialog) {
        Type(dialog, "9");  // not checked once the box is off
        Harness::Click(dialog, IDC_HK_CHECK);
        EXPECT_FALSE(Harness::IsEnabled(dialog, IDC_HK_EDIT));
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_EQ(State.HotkeyFlag, 0);
    EXPECT_TRUE(IsFree('G'));
    EXPECT_TRUE(Harness::Boxes().empty());
}

TEST_F(HotkeyTest, OkWithAnotherLetterMovesTheRegistration)
{
    State.HotkeyFlag = 1;
    SetLetter("B");
    SetHotkey(1);
    Harness::OnNextDialog([](HWND dialog) {
        Type(dialog, "y");
        Harness::Click(dialog, IDOK);
    });
    RunDialog();
    EXPECT_TRUE(IsFree('B')) << "the old letter stayed registered";
    EXPECT_FALSE(IsFree('Y'));
    SetHotkey(0);
}

// Cancel leaves the registration alone but keeps what the dialog already
// changed in ProgramState: the switch at once, the letter at the check.
TEST_F(HotkeyTest, CancelKeepsSwitchAndLetterButNotTheRegistration)
{
    State.HotkeyFlag = 1;
    SetLetter("G");
    SetHotkey(1);
    Harness::OnNextDialog([](HWND dialog) {
        Harness::Click(dialog, IDC_HK_CHECK);
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
    EXPECT_EQ(State.HotkeyFlag, 0);
    EXPECT_FALSE(IsFree('G')) << "Cancel changed the registration";
    SetHotkey(0);

    State.HotkeyFlag = 0;
    SetLetter("G");
    Harness::OnNextDialog([](HWND dialog) {
        Harness::Click(dialog, IDC_HK_CHECK);
        EXPECT_TRUE(Harness::IsEnabled(dialog, IDC_HK_EDIT));
        Type(dialog, "p");
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
    EXPECT_EQ(State.HotkeyFlag, 1);
    EXPECT_STREQ(State.HotKey, "P");
    EXPECT_TRUE(IsFree('P')) << "Cancel registered the new letter";
    EXPECT_TRUE(IsFree('G'));
}

TEST_F(HotkeyTest, SwitchingOnPutsTheLetterBackIntoTheEdit)
{
    State.HotkeyFlag = 0;
    SetLetter("R");
    Harness::OnNextDialog([](HWND dialog) {
        Harness::SetItemText(dialog, IDC_HK_EDIT, "");
        Harness::Click(dialog, IDC_HK_CHECK);
        EXPECT_EQ(Harness::ItemText(dialog, IDC_HK_EDIT), "R");
        Harness::Click(dialog, IDC_HK_CHECK);
        EXPECT_EQ(State.HotkeyFlag, 0);
        EXPECT_FALSE(Harness::IsEnabled(dialog, IDC_HK_EDIT));
        Harness::Click(dialog, IDCANCEL);
    });
    RunDialog();
}

}  // namespace
