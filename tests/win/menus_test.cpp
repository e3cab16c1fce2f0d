// The popup menus' states as the updates leave them, read back from the real
// menus, and every command of the dispatcher: exit types with their icons,
// toggles, dialogs, boxes, accelerator keys and the pick that exits.
#include "app/menus.h"
#include "core/text.h"
#include "dialogs/about.h"
#include "dialogs/hotkey.h"
#include "dialogs/run_before_exit_dialog.h"
#include "dialogs/shortcut.h"
#include "presence/tray_icon.h"
#include "settings/registry_dialog.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "timer/timed_exit_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr UINT_PTR ArmedTimer = 0x7FFF0000;  // stands for an armed timed exit
// The positions come from the exit-type table: its types head both menus,
// and the full menu's own items follow.
constexpr UINT FullMenuPositions = ExitTypeMenuPositions + 8;
constexpr UINT ShortMenuPositions = ExitTypeMenuPositions;
constexpr UINT OptionsPosition = ExitTypeMenuPositions + 1;
constexpr UINT TogglesPosition = ExitTypeMenuPositions + 3;
constexpr UINT ExitProgramPosition = ExitTypeMenuPositions + 7;
// The position of an exit type's item, -1 for a number that is none.
int PositionOf(int exitType)
{
    const ExitTypeInfo* type = FindExitType(exitType);
    return type ? static_cast<int>(ExitTypeMenuPosition(static_cast<size_t>(type - ExitTypes))) : -1;
}
// Grayed on NT 4, which lacks sleep, hibernation, the lock and what came with Windows 8.
bool PowerActionAt(UINT position)
{
    const int at = static_cast<int>(position);
    return at == PositionOf(ExitTypeSleep) || at == PositionOf(ExitTypeHibernate) || at == PositionOf(ExitTypeLock) ||
           at == PositionOf(ExitTypeHybridShutdown) || at == PositionOf(ExitTypeBootOptions);
}

UINT StateAt(HMENU menu, UINT position) { return GetMenuState(menu, position, MF_BYPOSITION) & 0xFF; }
bool CheckedAt(HMENU menu, UINT position) { return (StateAt(menu, position) & MF_CHECKED) != 0; }
bool GrayedAt(HMENU menu, UINT position) { return (StateAt(menu, position) & MF_GRAYED) != 0; }
bool CommandChecked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

// Leaves every position of a menu checked and grayed, so that an update has
// something to undo.
void Dirty(HMENU menu, UINT count)
{
    for (UINT position = 0; position < count; ++position) {
        CheckMenuItem(menu, position, MF_BYPOSITION | MF_CHECKED);
        EnableMenuItem(menu, position, MF_BYPOSITION | MF_GRAYED);
    }
}

class MenusTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        CreateMainWindowAndMenus();
    }
};

struct FullMenuCase {
    int exitType;
    int click, force, eject, block, confirm;
    UINT_PTR timerRunning;
    bool powerActionsMissing;
};

TEST_F(MenusTest, FullMenuShowsTheSettings)
{
    const FullMenuCase cases[] = {
        {ExitTypeShutdown, 1, 0, 0, 0, 0, 0},
        {ExitTypeReboot, 0, 1, 0, 0, 0, 0},
        {ExitTypeLogoff, 0, 0, 1, 0, 0, 0},
        {ExitTypePowerOff, 0, 0, 0, 1, 0, 0},
        {ExitTypeScreensaver, 0, 0, 0, 0, 1, 0},
        {ExitTypeRestartShell, 5, -1, 0, 0, 0, 0},
        {ExitTypeShutdown, 1, 1, 1, 1, 1, ArmedTimer},
        {ExitTypeRestartShell, 0, 0, 0, 0, 0, ArmedTimer},
        {ExitTypeSleep, 1, 0, 0, 0, 0, 0},
        {ExitTypeHibernate, 0, 0, 0, 1, 0, 0, true},
        {ExitTypeLock, 1, 0, 0, 0, 0, ArmedTimer, true},
        // A stored number that is no exit type checks no item, not even the
        // command that happens to carry that number.
        {99, 1, 0, 0, 0, 0, 0},
        {IDM_ABOUT, 0, 0, 0, 0, 0, 0},
        {IDM_SINGLECLICK, 0, 0, 0, 0, 0, 0},
    };
    HMENU toggles = GetSubMenu(State.FullMenu, TogglesPosition);
    HMENU options = GetSubMenu(State.FullMenu, OptionsPosition);
    ASSERT_NE(toggles, nullptr);
    ASSERT_NE(options, nullptr);
    for (const FullMenuCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "ExitType " << c.exitType << " timer " << c.timerRunning);
        // The update neither grays nor enables E&xit Program: it stays usable.
        const bool exitGrayed = (&c - cases) % 2 == 1;
        Dirty(State.FullMenu, FullMenuPositions);
        EnableMenuItem(State.FullMenu, ExitProgramPosition, MF_BYPOSITION | (exitGrayed ? MF_GRAYED : MF_ENABLED));
        CheckMenuItem(State.FullMenu, ExitProgramPosition, MF_BYPOSITION | MF_UNCHECKED);
        State.ExitType = c.exitType;
        State.ClickFlag = c.click;
        State.ForceFlag = c.force;
        State.EjectFlag = c.eject;
        State.BlockFlag = c.block;
        State.ConfirmFlag = c.confirm;
        State.TimerRunning = c.timerRunning;
        Recorder::LackPowerActions(c.powerActionsMissing);
        Recorder::SetWindowsVersion(c.powerActionsMissing ? 4 : 6, 2);  // NT 4 lacks what 8 brought too
        UpdateFullMenu();
        for (UINT position = 0; position < ExitProgramPosition; ++position) {
            SCOPED_TRACE(testing::Message() << "position " << position);
            EXPECT_EQ(CheckedAt(State.FullMenu, position), static_cast<int>(position) == PositionOf(c.exitType));
            EXPECT_EQ(GrayedAt(State.FullMenu, position),
                      c.timerRunning != 0 || (c.powerActionsMissing && PowerActionAt(position)));
        }
        EXPECT_EQ(GrayedAt(State.FullMenu, ExitProgramPosition), exitGrayed) << "E&xit Program is left as it was";
        EXPECT_FALSE(CheckedAt(State.FullMenu, ExitProgramPosition));
        EXPECT_EQ(CommandChecked(toggles, IDM_SINGLECLICK), c.click != 0);
        EXPECT_EQ(CommandChecked(toggles, IDM_FORCE), c.force != 0);
        EXPECT_EQ(CommandChecked(toggles, IDM_EJECT), c.eject != 0);
        EXPECT_EQ(CommandChecked(toggles, IDM_BLOCK), c.block != 0);
        EXPECT_EQ(CommandChecked(toggles, IDM_CONFIRM), c.confirm != 0);
        for (UINT position = 0; position < static_cast<UINT>(GetMenuItemCount(options)); ++position) {
            EXPECT_FALSE(CheckedAt(options, position)) << "Options item " << position;
        }
    }
    State.TimerRunning = 0;
}

struct ShortMenuCase {
    int exitType;
    UINT_PTR timerRunning;
    bool powerActionsMissing;
};

TEST_F(MenusTest, ShortMenuShowsTheExitType)
{
    const ShortMenuCase cases[] = {
        {ExitTypeShutdown, 0},        {ExitTypeReboot, 0},      {ExitTypeLogoff, 0},
        {ExitTypePowerOff, 0},        {ExitTypeScreensaver, 0}, {ExitTypeRestartShell, 0},
        {ExitTypeReboot, ArmedTimer}, {0, 0},                   {99, ArmedTimer},
        {ExitTypeSleep, 0},           {ExitTypeHibernate, 0},   {ExitTypeLock, 0, true},
        {ExitTypeBootOptions, 0},     {ExitTypeHybridShutdown, 0, true},
    };
    for (const ShortMenuCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "ExitType " << c.exitType << " timer " << c.timerRunning);
        Dirty(State.ShortMenu, ShortMenuPositions);
        State.ExitType = c.exitType;
        State.TimerRunning = c.timerRunning;
        Recorder::LackPowerActions(c.powerActionsMissing);
        Recorder::SetWindowsVersion(c.powerActionsMissing ? 4 : 6, 2);
        UpdateShortMenu();
        for (UINT position = 0; position < ShortMenuPositions; ++position) {
            SCOPED_TRACE(testing::Message() << "position " << position);
            EXPECT_EQ(CheckedAt(State.ShortMenu, position), static_cast<int>(position) == PositionOf(c.exitType));
            EXPECT_EQ(GrayedAt(State.ShortMenu, position),
                      c.timerRunning != 0 || (c.powerActionsMissing && PowerActionAt(position)));
        }
    }
    State.TimerRunning = 0;
}

// Both menus list the exit types in this order, no two items of a menu
// share a mnemonic, and the full menu's own items have those that the exit
// types keep clear of.
TEST_F(MenusTest, TheExitTypesHeadBothMenusWithMnemonicsOfTheirOwn)
{
    const char* const labels[] = {"&Shutdown", "&Reboot", "&Logoff", "&Power-off", "Hybr&id Shutdown",
                                  "Restart to &Boot Options", "", "S&creensaver", "Res&tart Shell", "Sl&eep",
                                  "&Hibernate", "Loc&k"};
    static_assert(sizeof labels / sizeof labels[0] == ExitTypeMenuPositions, "a label a position");
    for (HMENU menu : {State.FullMenu, State.ShortMenu}) {
        std::string mnemonics;
        for (int position = 0; position < GetMenuItemCount(menu); ++position) {
            char label[64] = "";
            GetMenuStringA(menu, static_cast<UINT>(position), label, sizeof label, MF_BYPOSITION);
            if (position < static_cast<int>(ExitTypeMenuPositions)) EXPECT_STREQ(label, labels[position]) << position;
            if (const char* mark = std::strchr(label, '&')) mnemonics += static_cast<char>(std::tolower(mark[1]));
        }
        for (char letter : mnemonics) EXPECT_EQ(std::count(mnemonics.begin(), mnemonics.end(), letter), 1) << letter;
        if (menu == State.FullMenu) EXPECT_EQ(mnemonics.substr(ExitTypeCount), FixedMenuMnemonics);
    }
}

// ---- commands without a box or dialog -----------------------------------------

struct ExitTypeCommand {
    UINT command;
    const char* icon;
    const char* tip;
};

TEST_F(MenusTest, ExitTypeCommandsSelectTheTypeWithItsIconAndTip)
{
    const ExitTypeCommand cases[] = {
        {IDM_SHUTDOWN, "Icon_1", "Shutdown"},      {IDM_REBOOT, "Icon_2", "Reboot"},
        {IDM_LOGOFF, "Icon_3", "Logoff"},          {IDM_SCREENSAVER, "Icon_4", "Screensaver"},
        {IDM_POWEROFF, "Icon_5", "Power-off"},     {IDM_RESTARTSHELL, "Icon_8", "Restart Shell"},
        {IDM_SLEEP, "Icon_9", "Sleep"},            {IDM_HIBERNATE, "Icon_10", "Hibernate"},
        {IDM_LOCK, "Icon_11", "Lock"},             {ExitTypeHybridShutdown, "Icon_12", "Hybrid Shutdown"},
        {ExitTypeBootOptions, "Icon_13", "Restart to Boot Options"},
    };
    for (const ExitTypeCommand& c : cases) {
        SCOPED_TRACE(testing::Message() << "command " << c.command);
        State.ExitType = 0;
        CopyText(State.TrayData.szTip, sizeof State.TrayData.szTip, "Timed Exit");
        State.TrayData.hIcon = LoadIconA(State.Instance, "Icon_7");
        State.TrayData.uFlags = 0;
        DispatchCommand(c.command);
        EXPECT_EQ(State.ExitType, static_cast<int>(c.command));
        EXPECT_EQ(State.TrayData.hIcon, LoadProgramIcon(c.icon));
        EXPECT_NE(State.TrayData.hIcon, nullptr);
        EXPECT_STREQ(State.TrayData.szTip, c.tip);
        EXPECT_EQ(State.TrayData.uFlags, 6u) << "the icon is modified";
    }
}

struct ToggleCommand {
    UINT command;
    int ProgramState::*flag;
};

TEST_F(MenusTest, TogglesFlipTheirFlagOnly)
{
    const ToggleCommand cases[] = {
        {IDM_SINGLECLICK, &ProgramState::ClickFlag}, {IDM_EJECT, &ProgramState::EjectFlag},
        {IDM_BLOCK, &ProgramState::BlockFlag},       {IDM_CONFIRM, &ProgramState::ConfirmFlag},
        {IDM_FORCE, &ProgramState::ForceFlag},
    };
    for (const ToggleCommand& c : cases) {
        for (int before : {0, 1, 5, -1}) {
            SCOPED_TRACE(testing::Message() << "command " << c.command << " flag " << before);
            State.*c.flag = before;
            ProgramState expected = State;
            expected.*c.flag = before == 0 ? 1 : 0;
            // Block Shutdown brings its block reason along.
            if (c.command == IDM_BLOCK) expected.BlockReasonRegistered = expected.BlockFlag;
            DispatchCommand(c.command);
            EXPECT_EQ(State.*c.flag, expected.*c.flag);
            EXPECT_EQ(std::memcmp(&State, &expected, sizeof State), 0) << "nothing else changes";
        }
    }
    EXPECT_TRUE(Harness::Boxes().empty());
}

TEST_F(MenusTest, UnknownCommandsChangeNothing)
{
    for (WPARAM command : {WPARAM(0), WPARAM(1), WPARAM(11), WPARAM(99), WPARAM(110), WPARAM(240),
                           WPARAM(0xFFFF), WPARAM(0x20014), WPARAM(0xFFFF0000u)}) {
        ProgramState before = State;
        DispatchCommand(command);
        EXPECT_EQ(std::memcmp(&State, &before, sizeof State), 0) << "command 0x" << std::hex << command;
    }
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, State.MainWindow, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(Recorder::CallCount(), 0);
}

// Posted, not sent, armed or not; the main window ends when it arrives.
TEST_F(MenusTest, ExitProgramPostsCloseToTheMainWindow)
{
    for (UINT_PTR armed : {ArmedTimer, UINT_PTR(0)}) {
        State.TimerRunning = armed;
        DispatchCommand(IDM_EXITPROGRAM);
        MSG message = {};
        ASSERT_TRUE(PeekMessageA(&message, State.MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE)) << "armed " << armed;
        EXPECT_EQ(message.wParam, 0u);
        EXPECT_EQ(message.lParam, 0);
        EXPECT_TRUE(IsWindow(State.MainWindow));
    }
    PostMessageA(State.MainWindow, WM_CLOSE, 0, 0);
    Harness::PumpUntil([] { return !IsWindow(State.MainWindow); }, 2000);
    EXPECT_FALSE(IsWindow(State.MainWindow));
}

// ---- boxes ----------------------------------------------------------------------

// Force Exit and an exit type that is never forced (the screen saver, sleep,
// hibernation, the lock): whichever comes second, the force goes, with a box
// in that type's words; only Force Exit picked off for such a type, or on for
// another type, asks nothing.
struct ForceCase {
    int typeBefore;
    int forceBefore;
    UINT command;
    const char* box;  // nullptr for none
    int typeAfter;
    int forceAfter;
};

TEST_F(MenusTest, ForceExitAndATypeThatIsNeverForcedNeverMeet)
{
    const ForceCase cases[] = {
        {ExitTypeShutdown, 0, IDM_FORCE, nullptr, ExitTypeShutdown, 1},
        {ExitTypeReboot, 0, IDM_FORCE, nullptr, ExitTypeReboot, 1},
        {ExitTypeLogoff, 0, IDM_FORCE, nullptr, ExitTypeLogoff, 1},
        {ExitTypePowerOff, 0, IDM_FORCE, nullptr, ExitTypePowerOff, 1},
        {ExitTypeRestartShell, 0, IDM_FORCE, nullptr, ExitTypeRestartShell, 1},
        {ExitTypeScreensaver, 1, IDM_FORCE, nullptr, ExitTypeScreensaver, 0},
        {ExitTypeScreensaver, 0, IDM_FORCE, "Screensaver cannot be forced", ExitTypeScreensaver, 0},
        {ExitTypeShutdown, 1, IDM_SCREENSAVER, "Screensaver cannot be forced", ExitTypeScreensaver, 0},
        {ExitTypeSleep, 0, IDM_FORCE, "Sleep cannot be forced", ExitTypeSleep, 0},
        {ExitTypeShutdown, 1, IDM_SLEEP, "Sleep cannot be forced", ExitTypeSleep, 0},
        {ExitTypeHibernate, 0, IDM_FORCE, "Hibernate cannot be forced", ExitTypeHibernate, 0},
        {ExitTypeShutdown, 1, IDM_HIBERNATE, "Hibernate cannot be forced", ExitTypeHibernate, 0},
        {ExitTypeLock, 0, IDM_FORCE, "Lock cannot be forced", ExitTypeLock, 0},
        {ExitTypeShutdown, 1, IDM_LOCK, "Lock cannot be forced", ExitTypeLock, 0},
    };
    for (const ForceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.typeBefore << " force " << c.forceBefore << " command "
                                        << c.command);
        Harness::ClearBoxes();
        State.ExitType = c.typeBefore;
        State.ForceFlag = c.forceBefore;
        if (c.box) Harness::AnswerBoxes({IDOK});
        DispatchCommand(c.command);
        EXPECT_EQ(State.ExitType, c.typeAfter);
        EXPECT_EQ(State.ForceFlag, c.forceAfter);
        ASSERT_EQ(Harness::Boxes().size(), c.box ? 1u : 0u);
        if (c.box) {
            const Harness::Box& box = Harness::Boxes()[0];
            Harness::ExpectErrorBox(box, c.box);
            EXPECT_EQ(box.shownText, c.box);
        }
        if (c.command != IDM_FORCE) {  // the type is selected with its icon and tip, the box's word
            const std::string tip(c.box, static_cast<const char*>(std::strchr(c.box, ' ')));
            EXPECT_EQ(State.TrayData.szTip, tip);
        }
        UpdateFullMenu();
        EXPECT_EQ(CommandChecked(State.FullMenu, IDM_FORCE), c.forceAfter != 0) << "as the menu shows it next";
    }
}

void ExpectHideIconBox(const Harness::Box& box)
{
    EXPECT_EQ(box.text, "Are you sure you want to hide the tray icon ?");
    EXPECT_EQ(box.caption, "Confirm");
    EXPECT_EQ(box.shownCaption, "Confirm");
    EXPECT_EQ(box.flags, 0x1024u);
    EXPECT_EQ(box.beepBefore, ~0u) << "no beep";
}

TEST_F(MenusTest, HideTrayIconAnsweredYesDeletesTheIcon)
{
    ASSERT_TRUE(AddTrayIcon(State.MainWindow, LoadIconA(State.Instance, "Icon_1"), "Shutdown"));
    Harness::AnswerBoxes({IDYES});
    DispatchCommand(IDM_HIDEICON);
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    ExpectHideIconBox(Harness::Boxes()[0]);
    EXPECT_EQ(State.TrayData.hWnd, State.MainWindow);
    EXPECT_FALSE(ModifyTrayIcon(LoadIconA(State.Instance, "Icon_2"), "Reboot")) << "the icon is gone";
    EXPECT_EQ(State.HideIconFlag, 0);
    MSG close;
    EXPECT_FALSE(PeekMessageA(&close, State.MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE))
        << "it runs on: a plain second start brings the icon back";
}

TEST_F(MenusTest, HideTrayIconAnsweredNoKeepsTheIcon)
{
    ASSERT_TRUE(AddTrayIcon(State.MainWindow, LoadIconA(State.Instance, "Icon_1"), "Shutdown"));
    Harness::AnswerBoxes({IDNO});
    // A second pick that arrives while the question is open asks nothing more.
    PostMessageA(State.MainWindow, WM_COMMAND, IDM_HIDEICON, 0);
    DispatchCommand(IDM_HIDEICON);
    Harness::PumpFor(50);
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    ExpectHideIconBox(Harness::Boxes()[0]);
    EXPECT_TRUE(ModifyTrayIcon(LoadIconA(State.Instance, "Icon_2"), "Reboot")) << "the icon is still there";
    EXPECT_EQ(State.HideIconFlag, 0);
    DeleteTrayIcon(State.MainWindow);
}

// ---- dialogs --------------------------------------------------------------------

struct DialogCommand {
    UINT command;
    int templateId;
    int controlId;        // a control only that template has
    DLGPROC procedure;
};

const DialogCommand DialogCommands[] = {
    {IDM_ABOUT, IDD_ABOUT, IDC_AB_VERSION, AboutDialogProc},
    {IDM_HOTKEY, IDD_HOTKEY, IDC_HK_EDIT, HotkeyDialogProc},
    {IDM_TIMEDEXIT, IDD_TIMEDEXIT, IDC_TE_TIMEOUTEDIT, TimedExitProc},
    {IDM_RUNBEFOREEXIT, IDD_RUNBEFOREEXIT, IDC_RB_EDIT1, RunBeforeExitDialogProc},
    {IDM_SHORTCUT, IDD_SHORTCUT, IDC_SC_DESKTOP, ShortcutDialogProc},
    {IDM_REGISTRY, IDD_REGISTRY, IDC_RG_SAVE, RegistryDialogProc},
};

void PrintTo(const DialogCommand& c, std::ostream* out) { *out << "command " << c.command; }

class DialogCommandTest : public MenusTest, public testing::WithParamInterface<DialogCommand> {};

TEST_P(DialogCommandTest, OpensItsModalDialogOwnedByTheMainWindow)
{
    const DialogCommand& c = GetParam();
    bool opened = false;
    Harness::OnNextDialog([&](HWND dialog) {
        opened = true;
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), State.MainWindow);
        EXPECT_NE(GetDlgItem(dialog, c.controlId), nullptr) << "template " << c.templateId;
        EXPECT_FALSE(IsWindowEnabled(State.MainWindow)) << "modal";
        EXPECT_EQ(reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC)), c.procedure);
        EndDialog(dialog, IDCANCEL);
    });
    DispatchCommand(c.command);
    EXPECT_TRUE(opened);
}

// The tray menu stays live behind a modal dialog: picking the same item again
// brings the open dialog to the front; a second copy would take over its work.
TEST_P(DialogCommandTest, ASecondPickBringsTheOpenDialogToTheFront)
{
    const DialogCommand& c = GetParam();
    bool secondCopy = false;
    Harness::OnNextDialog([&](HWND dialog) {
        Harness::OnNextDialog([&](HWND copy) {
            secondCopy = true;
            EndDialog(copy, IDCANCEL);
        });
        HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr,
                                     nullptr, nullptr);
        // Wine follows the X focus a moment later: each change is waited for, so that a late focus
        // event of the first cannot undo the second.
        SetForegroundWindow(other);
        EXPECT_TRUE(Harness::PumpUntil([&] { return GetForegroundWindow() == other; }, 2000));
        DispatchCommand(c.command);
        EXPECT_TRUE(Harness::PumpUntil([&] { return GetForegroundWindow() == dialog; }, 2000)) << GetForegroundWindow();
        DestroyWindow(other);
        EndDialog(dialog, IDCANCEL);
    });
    DispatchCommand(c.command);
    EXPECT_FALSE(secondCopy);
    Harness::DropDialogScripts();
}

INSTANTIATE_TEST_SUITE_P(Commands, DialogCommandTest, testing::ValuesIn(DialogCommands),
                         [](const testing::TestParamInfo<DialogCommand>& info) {
                             return "Command" + std::to_string(info.param.command);
                         });

// ---- accelerator keys --------------------------------------------------------------

// Runs a typed character through the program's accelerator table, as the
// message loop does, and dispatches what it produces.
bool TypeCharacter(char character)
{
    MSG message = {};
    message.hwnd = State.MainWindow;
    message.message = WM_CHAR;
    message.wParam = static_cast<unsigned char>(character);
    message.lParam = 1;
    return TranslateAcceleratorA(State.MainWindow, State.Accelerators, &message) != 0;
}

// Keys typed while the hidden main window (or the countdown window) has the
// keyboard: nobody sees where they go, so none of them changes or performs
// anything, idle or armed, and Alt+F4 does not close the window.
TEST_F(MenusTest, KeysTypedToTheHiddenWindowDoNothing)
{
    const char keys[] = "SRLCPTFMNHIEYAXOsx";
    for (UINT_PTR armed : {UINT_PTR(0), ArmedTimer}) {
        State.TimerRunning = armed;
        State.ExitType = ExitTypeReboot;
        State.PickToExit = 0;
        for (const char* key = keys; *key; ++key) {
            ProgramState before = State;
            EXPECT_EQ(TypeCharacter(*key), *key >= 'A' && *key <= 'Z') << "in the table: " << *key;
            EXPECT_EQ(std::memcmp(&State, &before, sizeof State), 0) << *key << " armed " << armed;
        }
        MSG altF4 = {State.MainWindow, WM_SYSKEYDOWN, VK_F4, LPARAM(1) << 29};
        DispatchMessageA(&altF4);
        Harness::PumpFor(20);
        EXPECT_TRUE(IsWindow(State.MainWindow)) << "armed " << armed;
    }
    EXPECT_TRUE(Harness::Boxes().empty());
    EXPECT_EQ(Recorder::CallCount(), 0);

    DispatchCommand(ExitTypeLogoff);  // the re-selection posted by a cancel still works
    EXPECT_EQ(State.ExitType, ExitTypeLogoff);
    State.TimerRunning = 0;
}

// ---- the pick that exits ----------------------------------------------------------

// The requests PerformExit makes for each exit type, seen in the recorder.
int ExitRequests()
{
    int requests = Recorder::CountOf("ExitWindowsEx") + Recorder::CountOf("FindWindow") +
                   Recorder::CountOf("SetSuspendState") + Recorder::CountOf("LockWorkStation");
    for (int i = 0; i < Recorder::CallCount(); ++i) {
        const RecordedCall& call = Recorder::Call(i);
        if (std::strcmp(call.name, "PostMessage") == 0 && call.arg[1] == WM_SYSCOMMAND && call.arg[2] == SC_SCREENSAVE) {
            ++requests;
        }
    }
    return requests;
}

struct PickCase {
    UINT command;
    const char* request;   // the recorded call that makes the exit
    uintptr_t argument;    // its first argument (ExitWindowsEx flags, hibernation), or ~0 for any
};

TEST_F(MenusTest, AShortMenuPickSelectsAndPerformsItsExitOnce)
{
    const PickCase cases[] = {
        {IDM_SHUTDOWN, "ExitWindowsEx", EWX_SHUTDOWN},
        {IDM_REBOOT, "ExitWindowsEx", EWX_REBOOT},
        {IDM_LOGOFF, "ExitWindowsEx", EWX_LOGOFF},
        {IDM_POWEROFF, "ExitWindowsEx", EWX_SHUTDOWN | EWX_POWEROFF},
        {IDM_SCREENSAVER, "PostMessage", ~uintptr_t(0)},
        {IDM_RESTARTSHELL, "FindWindow", ~uintptr_t(0)},
        {IDM_SLEEP, "SetSuspendState", FALSE},
        {IDM_HIBERNATE, "SetSuspendState", TRUE},
        {IDM_LOCK, "LockWorkStation", ~uintptr_t(0)},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "command " << c.command);
        Recorder::Reset();
        State.PickToExit = 1;
        DispatchCommand(c.command);
        EXPECT_EQ(State.ExitType, static_cast<int>(c.command)) << "selected first";
        EXPECT_EQ(State.PickToExit, 0);
        EXPECT_EQ(ExitRequests(), 1);
        const RecordedCall* request = Recorder::Find(c.request);
        ASSERT_NE(request, nullptr);
        if (c.argument != ~uintptr_t(0)) EXPECT_EQ(request->arg[0], c.argument);

        DispatchCommand(IDM_CONFIRM);  // a later, unrelated command
        DispatchCommand(IDM_CONFIRM);
        EXPECT_EQ(ExitRequests(), 1) << "no later command performs the exit again";
    }
}

// Every command, matched or not, ends by performing the exit when the pick
// mark is set, and never when it is not.
TEST_F(MenusTest, EveryCommandEndsWithThePickTest)
{
    const WPARAM commands[] = {IDM_SINGLECLICK, IDM_FORCE,  IDM_EJECT, IDM_BLOCK,  IDM_CONFIRM,
                               IDM_EXITPROGRAM, 0,          7,         99,         0xFFFF,
                               MAKEWPARAM(IDM_REBOOT, 1),   MAKEWPARAM(IDM_EJECT, 1), 0x20014};
    for (int pick : {1, 0}) {
        for (WPARAM command : commands) {
            SCOPED_TRACE(testing::Message() << "command 0x" << std::hex << command << " pick " << pick);
            Recorder::Reset();
            State.ExitType = ExitTypeReboot;
            // "&Confirm Exit" is turned off by its command here, so that no
            // confirmation box stands between the pick and the exit.
            State.ConfirmFlag = LOWORD(command) == IDM_CONFIRM ? 1 : 0;
            State.PickToExit = pick;
            DispatchCommand(command);
            EXPECT_EQ(State.PickToExit, 0);
            EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), pick);
            MSG message;
            while (PeekMessageA(&message, State.MainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE)) {
            }
        }
    }
}

TEST_F(MenusTest, APickAfterADialogExitsWhenTheDialogHasClosed)
{
    State.ExitType = ExitTypeLogoff;
    State.PickToExit = 1;
    int requestsWhileOpen = -1;
    Harness::OnNextDialog([&](HWND dialog) {
        requestsWhileOpen = Recorder::CountOf("ExitWindowsEx");
        EndDialog(dialog, IDCANCEL);
    });
    DispatchCommand(IDM_ABOUT);
    EXPECT_EQ(requestsWhileOpen, 0);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
}

TEST_F(MenusTest, APickAfterHideTrayIconAnsweredNoStillExits)
{
    State.ExitType = ExitTypeShutdown;
    State.PickToExit = 1;
    Harness::AnswerBoxes({IDNO});
    DispatchCommand(IDM_HIDEICON);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
    EXPECT_EQ(State.PickToExit, 0);
}

// A command that arrives while another command's box is open (here the
// re-selection of an exit type) does not perform the pick a second time.
TEST_F(MenusTest, ACommandDispatchedInsideABoxDoesNotExitAgain)
{
    State.ForceFlag = 1;
    State.PickToExit = 1;
    PostMessageA(State.MainWindow, WM_COMMAND, IDM_LOGOFF, 0);
    Harness::AnswerBoxes({IDOK});
    DispatchCommand(IDM_SCREENSAVER);  // shows "Screensaver cannot be forced"
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    EXPECT_EQ(State.ExitType, ExitTypeLogoff) << "the posted command ran inside the box";
    EXPECT_EQ(ExitRequests(), 1);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
    EXPECT_EQ(State.PickToExit, 0);
}

TEST_F(MenusTest, APickWhileATimedExitIsArmedPerformsNothingAndIsForgotten)
{
    State.TimerRunning = ArmedTimer;
    State.PickToExit = 1;
    DispatchCommand(IDM_REBOOT);
    EXPECT_EQ(ExitRequests(), 0);
    EXPECT_EQ(State.PickToExit, 0);
    State.TimerRunning = 0;
    DispatchCommand(IDM_REBOOT);
    EXPECT_EQ(ExitRequests(), 0) << "the pick does not wait for the timed exit to end";
}

}  // namespace
