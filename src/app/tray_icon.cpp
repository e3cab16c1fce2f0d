// The one notification-area icon: add, change, delete, and its mouse events.
#include "app/tray_icon.h"

#include "app/menus.h"
#include "app/program_state.h"
#include "core/text.h"
#include "exit/perform_exit.h"
#include "timer/scheduler.h"

#include <shellapi.h>

namespace {
constexpr UINT AddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;   // 7
constexpr UINT ModifyFlags = NIF_ICON | NIF_TIP;             // 6

UINT IconId() { return static_cast<UINT>(reinterpret_cast<UINT_PTR>(State.Instance)); }

void SetTip(const char* tip)
{
    CopyText(State.TrayData.szTip, sizeof State.TrayData.szTip, tip ? tip : "");
}

BOOL NotifyShell(DWORD action)
{
    return Shell_NotifyIconA(action, reinterpret_cast<NOTIFYICONDATAA*>(&State.TrayData));
}

bool ShiftIsDown() { return GetAsyncKeyState(VK_SHIFT) < 0; }

void ShowPopupMenu(HMENU menu)
{
    SetForegroundWindow(State.MainWindow);
    POINT cursor = {};
    GetCursorPos(&cursor);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, State.MainWindow, nullptr);
    PostMessageA(State.MainWindow, WM_NULL, 0, 0);
}

void OnLeftButtonDown()
{
    if (!ShiftIsDown()) {
        State.PickToExit = 0;
        if (State.ClickFlag) TrayClickAction();
        return;
    }
    State.PickToExit = 1;
    UpdateShortMenu();
    ShowPopupMenu(State.ShortMenu);
    // A pick has been posted as a command and still finds PickToExit set when
    // it is dispatched; without a pick nothing may perform an exit later.
    MSG pick = {};
    if (!PeekMessageA(&pick, State.MainWindow, WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) State.PickToExit = 0;
}
}  // namespace

HICON LoadProgramIcon(const char* name) { return LoadIconA(State.Instance, name); }

BOOL AddTrayIcon(HWND owner, HICON icon, const char* tip)
{
    if (State.NoIconMode || State.HideIconFlag) return FALSE;
    State.TrayData.cbSize = sizeof State.TrayData;
    State.TrayData.hWnd = owner;
    State.TrayData.uID = IconId();
    State.TrayData.uFlags = AddFlags;
    State.TrayData.uCallbackMessage = TrayMessage;
    State.TrayData.hIcon = icon;
    SetTip(tip);
    BOOL added = NotifyShell(NIM_ADD);
    State.TrayIconShown = added != FALSE;
    return added;
}

BOOL ModifyTrayIcon(HICON icon, const char* tip)
{
    State.TrayData.uFlags = ModifyFlags;
    State.TrayData.hIcon = icon;
    SetTip(tip);
    return NotifyShell(NIM_MODIFY);
}

BOOL DeleteTrayIcon(HWND owner)
{
    State.TrayData.hWnd = owner;
    State.TrayData.uID = IconId();
    State.TrayIconShown = 0;
    return NotifyShell(NIM_DELETE);
}

// A deleted icon is not brought back by a shell restart.
void RestoreTrayIcon()
{
    if (!State.TrayIconShown) return;
    State.TrayData.uFlags = AddFlags;
    NotifyShell(NIM_ADD);
}

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void OnTrayMessage(WPARAM, LPARAM mouseMessage)
{
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDOWN: OnLeftButtonDown(); break;
    case WM_LBUTTONDBLCLK:
        if (!State.ClickFlag) TrayClickAction();
        break;
    case WM_RBUTTONDOWN:
        UpdateFullMenu();
        ShowPopupMenu(State.FullMenu);
        break;
    default: break;
    }
}

void TrayClickAction()
{
    if (State.TimerRunning) {
        State.TimerCancelled = 1;
        CancelTimedExit();
    } else if (State.ExitInProgress) {
        return;  // one exit at a time: not even a timed one beside it
    } else if (State.TimerFlag) {
        StartTimedExit();
    } else {
        PerformExit();
    }
}
