// Start-up, the main window, the tray icon record and the routing of the
// tray icon's mouse messages, against real Win32 under Wine.
#include "app/main_window.h"
#include "app/startup.h"
#include "app/tray_clicks.h"
#include "exit/perform_exit.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"
#include "support/settings_key.h"
#include "timer/scheduler.h"

#include <gtest/gtest-spi.h>

#include <cstring>
#include <string>

namespace {

class StartupTest : public DorvaTest {};

TEST_F(StartupTest, EmptyCommandLineLeavesTheDefaults)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    SettingsKey::Guard key;  // no saved settings
    ResetProgramState();
    char commandLine[] = "";
    int result = -1;
    ASSERT_TRUE(StartProgram(GetModuleHandleA(nullptr), commandLine, &result));
    EXPECT_EQ(State.ExitType, ExitTypeShutdown);
    EXPECT_EQ(State.ClickFlag, 1);
    for (int flag : {State.ForceFlag, State.ConfirmFlag, State.EjectFlag, State.BlockFlag,
                     State.TimerFlag, State.AtFlag, State.WarnFlag, State.HotkeyFlag,
                     State.RunBeforeExit, State.NoIconMode, State.HideIconFlag, State.PickToExit,
                     State.WarningTextAuto, State.WarningTextEdited}) {
        EXPECT_EQ(flag, 0);
    }
    EXPECT_STREQ(State.HotKey, "X");
    EXPECT_STREQ(State.AtValue, "230000");
    EXPECT_STREQ(State.TimerValue, "30");
    EXPECT_STREQ(State.WarnValue, "10");
    EXPECT_STREQ(State.WarningText, "");
    EXPECT_EQ(State.TimerRunning, 0u);

    ASSERT_TRUE(IsWindow(State.MainWindow));
    EXPECT_FALSE(IsWindowVisible(State.MainWindow));
    char text[32] = "";
    GetClassNameA(State.MainWindow, text, sizeof text);
    EXPECT_STREQ(text, "DorvaNT");
    GetWindowTextA(State.MainWindow, text, sizeof text);
    EXPECT_STREQ(text, "DorvaNT");
    EXPECT_EQ(GetWindowLongA(State.MainWindow, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE),
              WS_SYSMENU | WS_MINIMIZEBOX);

    EXPECT_STREQ(State.TrayData.szTip, "Shutdown");
    // The tray icon has the small-icon size of the DPI, in 32 bits with alpha.
    EXPECT_EQ(State.TrayData.hIcon, LoadProgramIcon("Icon_1"));
    ICONINFO icon = {};
    ASSERT_TRUE(GetIconInfo(State.TrayData.hIcon, &icon));
    BITMAP image = {};
    GetObjectA(icon.hbmColor, sizeof image, &image);
    EXPECT_EQ(image.bmWidth, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(image.bmBitsPixel, HasAlphaIcons() ? 32 : 4);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    EXPECT_EQ(GetMenuItemCount(State.FullMenu), static_cast<int>(ExitTypeMenuPositions) + 8);
    EXPECT_EQ(GetMenuItemCount(State.ShortMenu), static_cast<int>(ExitTypeMenuPositions));
    EXPECT_NE(State.Accelerators, nullptr);
    // The hotkey is off by default: Ctrl+Alt+X is free for another window.
    HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(RegisterHotKey(other, 1, MOD_CONTROL | MOD_ALT, 'X'));
    UnregisterHotKey(other, 1);
    DestroyWindow(other);
    Teardown();
}

HWND WINAPI RefusedCreateWindow(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST_F(StartupTest, ReadsACopyOfTheCommandLineAndEndsLoudlyWithoutAWindow)
{
    char commandLine[] = "/Z /E:L";
    int result = -1;
    ASSERT_TRUE(StartProgram(GetModuleHandleA(nullptr), commandLine, &result));
    EXPECT_STREQ(commandLine, "/Z /E:L") << "the system's buffer is not lower-cased in place";
    EXPECT_EQ(State.ExitType, ExitTypeLogoff);
    Teardown();
    DestroyWindow(State.MainWindow);

    // A saved number that is no exit type is not taken: the default's icon comes up.
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    {
        SettingsKey::Guard key;
        ASSERT_TRUE(SettingsKey::WriteRaw("ExitType", std::string("99\0\0\0\0\0", 7)));
        ResetProgramState();
        ASSERT_TRUE(StartProgram(GetModuleHandleA(nullptr), "", &result));
        EXPECT_EQ(State.ExitType, ExitTypeShutdown);
        EXPECT_EQ(State.TrayIconWanted, 1);
        EXPECT_STREQ(State.TrayData.szTip, "Shutdown");
        EXPECT_EQ(State.TrayData.hIcon, LoadProgramIcon("Icon_1"));
        Teardown();
        DestroyWindow(State.MainWindow);
    }

    ResetProgramState();
    void* real = Harness::PatchImport("user32.dll", "CreateWindowExA", reinterpret_cast<void*>(RefusedCreateWindow));
    ASSERT_NE(real, nullptr);
    Harness::AnswerBoxes({IDOK});
    const bool started = StartProgram(GetModuleHandleA(nullptr), "/z", &result);
    Harness::PatchImport("user32.dll", "CreateWindowExA", real);
    EXPECT_FALSE(started);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    EXPECT_EQ(Harness::Boxes()[0].text, "Cannot create the program's window");
}

TEST_F(StartupTest, CloseEndsTheLoopWithResultZero)
{
    char commandLine[] = "/z";
    int result = -1;
    ASSERT_TRUE(StartProgram(GetModuleHandleA(nullptr), commandLine, &result));
    PostMessageA(State.MainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(State.MainWindow));
    Teardown();
}

// Whether the token holds the shutdown privilege enabled; `switchOff` first
// disables it, so that the program's own call has something to do.
bool ShutdownPrivilegeOn(bool switchOff)
{
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES off = {1, {{{}, 0}}};
    alignas(TOKEN_PRIVILEGES) BYTE held[4096];
    DWORD size = 0;
    LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &off.Privileges[0].Luid);
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    if (switchOff) AdjustTokenPrivileges(token, FALSE, &off, 0, nullptr, nullptr);
    BOOL read = GetTokenInformation(token, TokenPrivileges, held, sizeof held, &size);
    CloseHandle(token);
    const auto* list = reinterpret_cast<const TOKEN_PRIVILEGES*>(held);
    for (DWORD i = 0; read && i < list->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = list->Privileges[i];
        if (std::memcmp(&entry.Luid, &off.Privileges[0].Luid, sizeof entry.Luid) == 0) {
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        }
    }
    return false;
}

TEST_F(StartupTest, ShutdownPrivilegeIsEnabled)
{
    ASSERT_FALSE(ShutdownPrivilegeOn(true)) << "the privilege could not be switched off first";
    EXPECT_TRUE(EnableShutdownPrivilege());
    EXPECT_TRUE(ShutdownPrivilegeOn(false)) << "the token does not hold it enabled";
    // Without it the adjustment succeeds, grants nothing, and the start stops with the box.
    Recorder::RefusePrivilege(true);
    Harness::AnswerBoxes({IDOK});
    int result = -1;
    EXPECT_FALSE(StartProgram(GetModuleHandleA(nullptr), "", &result));
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    Harness::ExpectErrorBox(Harness::Boxes()[0], "Cannot change program privileges");
}

class TrayTest : public DorvaTest {};

TEST_F(TrayTest, AddFillsTheRecordAndCutsTheTipTo63)
{
    CreateMainWindowAndMenus();
    const std::string longTip(70, 'T');
    HICON icon = LoadIconA(State.Instance, "Icon_2");
    AddTrayIcon(State.MainWindow, icon, longTip.c_str());
    const TrayIconRecord& tray = State.TrayData;
    EXPECT_EQ(tray.cbSize, sizeof(TrayIconRecord));
#ifndef _WIN64
    EXPECT_EQ(tray.cbSize, 88u);
#endif
    EXPECT_EQ(tray.hWnd, State.MainWindow);
    EXPECT_EQ(tray.uID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(State.Instance)));
    EXPECT_EQ(tray.uFlags, 7u);
    EXPECT_EQ(tray.uCallbackMessage, 1524u);
    EXPECT_EQ(tray.hIcon, icon);
    EXPECT_EQ(std::strlen(tray.szTip), 63u);
    EXPECT_EQ(std::string(tray.szTip), longTip.substr(0, 63));

    ModifyTrayIcon(LoadIconA(State.Instance, "Icon_7"), nullptr);
    EXPECT_EQ(tray.uFlags, 6u);
    EXPECT_STREQ(tray.szTip, "");
    EXPECT_EQ(tray.hIcon, LoadIconA(State.Instance, "Icon_7"));
    DeleteTrayIcon(State.MainWindow);
}

TEST_F(TrayTest, NoIconModeAndHiddenIconLeaveTheRecordAlone)
{
    CreateMainWindowAndMenus();
    for (int noIcon : {0, 1}) {
        State.TrayData = {};
        State.NoIconMode = noIcon;
        State.HideIconFlag = !noIcon;
        EXPECT_FALSE(AddTrayIcon(State.MainWindow, LoadIconA(State.Instance, "Icon_1"), "Shutdown"));
        EXPECT_EQ(State.TrayData.cbSize, 0u);
        EXPECT_STREQ(State.TrayData.szTip, "");
    }
}

struct RouteCase {
    int clickFlag;
    UINT mouseMessage;
    bool acts;
};

TEST_F(TrayTest, MouseMessagesActBySingleOrDoubleClick)
{
    CreateMainWindowAndMenus();
    const RouteCase cases[] = {
        {1, WM_LBUTTONDOWN, true},   {1, WM_LBUTTONDBLCLK, false}, {0, WM_LBUTTONDOWN, false},
        {0, WM_LBUTTONDBLCLK, true}, {1, WM_LBUTTONUP, false},     {0, WM_LBUTTONUP, false},
        {1, WM_MOUSEMOVE, false},    {1, WM_MBUTTONDOWN, false},   {1, WM_RBUTTONUP, false},
    };
    for (const RouteCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "ClickFlag " << c.clickFlag << " message 0x" << std::hex
                                        << c.mouseMessage);
        State.ClickFlag = c.clickFlag;
        State.TimerRunning = 0x7FFF0000;  // stands for an armed exit: no real timer to kill
        State.PickToExit = 1;
        OnTrayMessage(reinterpret_cast<WPARAM>(State.Instance), c.mouseMessage);
        EXPECT_EQ(State.TimerRunning == 0, c.acts);
        // A plain left press clears PickToExit; nothing else changes it.
        EXPECT_EQ(State.PickToExit, c.mouseMessage == WM_LBUTTONDOWN ? 0 : 1);
        Harness::PumpFor(0);
    }
    State.TimerRunning = 0;
}

void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(TrayTest, RightPressShowsTheFullMenuAndLeavesPickToExit)
{
    CreateMainWindowAndMenus();
    State.PickToExit = 1;
    State.TimerRunning = 0x7FFF0000;
    SetTimer(nullptr, 0, 300, CloseMenuSoon);
    DWORD start = GetTickCount();
    OnTrayMessage(0, WM_RBUTTONDOWN);
    EXPECT_GE(GetTickCount() - start, 250u) << "the menu was not tracked";
    EXPECT_EQ(State.PickToExit, 1);
    EXPECT_NE(State.TimerRunning, 0u) << "a right press must not cancel";
    State.TimerRunning = 0;
}

// What the exit timer does when it comes due: cancel, then perform the exit.
void CALLBACK ExitTimerComesDue(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    CancelTimedExit();
    PerformExit();
}

// The exit timer fires while the short menu is open, which then closes
// without a pick: the re-selection that the timer posts is no pick, and the
// exit happens once.
TEST_F(TrayTest, ShiftPressShowsTheShortMenuAndAClosedMenuClearsPickToExit)
{
    CreateMainWindowAndMenus();
    keybd_event(VK_SHIFT, 0, 0, 0);
    Harness::PumpUntil([] { return GetAsyncKeyState(VK_SHIFT) < 0; }, 1000);
    ASSERT_LT(GetAsyncKeyState(VK_SHIFT), 0) << "cannot hold Shift in this session";
    State.TimerRunning = 0x7FFF0000;
    SetTimer(nullptr, 0, 100, ExitTimerComesDue);
    SetTimer(nullptr, 0, 300, CloseMenuSoon);
    DWORD start = GetTickCount();
    OnTrayMessage(0, WM_LBUTTONDOWN);
    DWORD shown = GetTickCount() - start;
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    Harness::PumpUntil([] { return GetAsyncKeyState(VK_SHIFT) >= 0; }, 1000);
    EXPECT_GE(shown, 250u) << "the short menu was not tracked";
    EXPECT_EQ(State.PickToExit, 0) << "closed without a pick: no later command may exit";
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
}

class MainWindowTest : public DorvaTest {};

TEST_F(MainWindowTest, QueryEndSessionIsRefusedExactlyWhileBlockFlagIsSet)
{
    CreateMainWindowAndMenus();
    for (int block : {0, 1, 5, 0}) {
        State.BlockFlag = block;
        EXPECT_EQ(SendMessageA(State.MainWindow, WM_QUERYENDSESSION, 0, 0), block ? 0 : 1)
            << "BlockFlag " << block;
    }
}

// Another id, or the program's own id while its hotkey is not registered (a
// message another program posted), does nothing. The pressed hotkey acts:
// HotkeyTest.PressedCombinationReachesTheMainWindowAsItsHotkey.
TEST_F(MainWindowTest, AHotkeyMessageThatIsNotTheRegisteredHotkeyDoesNothing)
{
    CreateMainWindowAndMenus();
    State.TimerFlag = 0;
    SendMessageA(State.MainWindow, WM_HOTKEY, HotkeyId + 1, 0);
    State.HotkeyFlag = 1;
    SendMessageA(State.MainWindow, WM_HOTKEY, HotkeyId, 0);
    EXPECT_EQ(Recorder::CallCount(), 0);
}

// An add that the shell refuses (not ready yet at logon) keeps the icon
// wanted, is retried, and is made when the taskbar announces itself.
using NotifyFn = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAA*);
NotifyFn RealNotify = nullptr;
bool ShellReady = false;
BOOL WINAPI NotReadyShell(DWORD action, NOTIFYICONDATAA* data) { return ShellReady && RealNotify(action, data); }

TEST_F(TrayTest, ARefusedAddIsMadeWhenTheTaskbarComesBack)
{
    CreateMainWindowAndMenus();
    void* real = Harness::PatchImport("shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void*>(NotReadyShell));
    RealNotify = reinterpret_cast<NotifyFn>(real);
    ShellReady = false;
    EXPECT_FALSE(AddTrayIcon(State.MainWindow, LoadIconA(State.Instance, "Icon_3"), "Logoff"));
    EXPECT_NE(State.TrayRetryTimerId, 0u) << "retried for a while";
    ModifyTrayIcon(LoadIconA(State.Instance, "Icon_7"), "Timed Exit");
    ShellReady = true;
    SendMessageA(State.MainWindow, TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(ModifyTrayIcon(LoadIconA(State.Instance, "Icon_7"), "Timed Exit")) << "the icon is there";
    EXPECT_EQ(State.TrayRetryTimerId, 0u) << "the retries end with the add";
    DeleteTrayIcon(State.MainWindow);
    Harness::PatchImport("shell32.dll", "Shell_NotifyIconA", real);
}

// The harness itself: boxes are caught with what the program asked for and
// what appeared, and dialogs are driven from inside their modal loop.
class HarnessTest : public DorvaTest {};

TEST_F(HarnessTest, ErrorBoxIsCaughtWithBeepFlagsAndText)
{
    Harness::AnswerBoxes({IDOK});
    ErrorBox("Line one\nline two");
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    const Harness::Box& box = Harness::Boxes()[0];
    Harness::ExpectErrorBox(box, "Line one\nline two");
    EXPECT_EQ(box.shownText, "Line one\nline two");
    EXPECT_EQ(box.shownCaption, "Error");
    EXPECT_EQ(box.answer, IDOK);
}

TEST_F(HarnessTest, AnswersAreGivenInOrder)
{
    Harness::AnswerBoxes({IDNO, IDYES});
    EXPECT_EQ(MessageBoxA(nullptr, "first", "Confirm", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBoxA(nullptr, "second", "Confirm", MB_YESNO), IDYES);
    EXPECT_EQ(Harness::Boxes()[1].shownCaption, "Confirm");
}

INT_PTR CALLBACK ScriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam) == IDOK && IsDlgButtonChecked(dialog, IDC_SC_STARTMENU) ? 2 : 1);
        return TRUE;
    }
    return FALSE;
}

// An unexpected box or dialog fails the test and is closed, never left to
// wait for a user.
TEST_F(HarnessTest, AnUnexpectedBoxOrDialogFailsTheTestInsteadOfHanging)
{
    EXPECT_NONFATAL_FAILURE(MessageBoxA(nullptr, "surprise", nullptr, MB_OK), "unexpected message box");
    EXPECT_NONFATAL_FAILURE(
        DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_SHORTCUT), nullptr, ScriptedDialogProc, 0),
        "unexpected dialog \"Shortcut\"");
}

TEST_F(HarnessTest, DialogScriptRunsInsideTheModalLoop)
{
    bool ran = false;
    Harness::OnNextDialog([&](HWND dialog) {
        ran = true;
        EXPECT_TRUE(IsWindowVisible(dialog));
        Harness::Click(dialog, IDC_SC_STARTMENU);
        EXPECT_TRUE(Harness::IsChecked(dialog, IDC_SC_STARTMENU));
        Harness::Click(dialog, IDOK);
    });
    INT_PTR result = DialogBoxParamA(State.Instance, MAKEINTRESOURCEA(IDD_SHORTCUT), nullptr,
                                     ScriptedDialogProc, 0);
    EXPECT_TRUE(ran);
    EXPECT_EQ(result, 2);
}

}  // namespace
