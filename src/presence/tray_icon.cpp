// The one notification-area icon: add, change, delete, and its mouse events.
#include "presence/tray_icon.h"

#include "app/menus.h"
#include "core/text.h"
#include "exit/perform_exit.h"
#include "state/program_state.h"
#include "timer/scheduler.h"

#include <shellapi.h>

namespace {
constexpr UINT AddFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;   // 7
constexpr UINT ModifyFlags = NIF_ICON | NIF_TIP;             // 6

// At logon the shell may take a while before it accepts icons: a refused add
// is retried every two seconds for two minutes, and again whenever the
// taskbar announces itself.
constexpr UINT AddRetryPeriodMs = 2000;
constexpr int AddRetries = 60;

// Vista and later read the 32-bit PNG icons "Icon_1_Alpha" and so on; older
// systems get the 16-colour "Icon_1".
constexpr DWORD AlphaIconsMajorVersion = 6;
constexpr char AlphaIconSuffix[] = "_Alpha";
constexpr size_t IconNameSize = 16;

UINT IconId() { return static_cast<UINT>(reinterpret_cast<UINT_PTR>(State.Instance)); }

void SetTip(const char* tip)
{
    CopyText(State.TrayData.szTip, sizeof State.TrayData.szTip, tip ? tip : "");
}

BOOL NotifyShell(DWORD action)
{
    return Shell_NotifyIconA(action, reinterpret_cast<NOTIFYICONDATAA*>(&State.TrayData));
}

void CALLBACK RetryAddProc(HWND, UINT, UINT_PTR id, DWORD);

void StopAddRetries()
{
    KillTimer(nullptr, State.TrayRetryTimerId);
    State.TrayRetryTimerId = 0;
}

// Asks the shell to show the wanted icon with its current picture and tip.
// An add that timed out may still have reached the shell: a modify then finds
// the icon there. While the shell refuses, the add is retried every two
// seconds, `retries` more times.
void ShowWantedIcon(int retries)
{
    State.TrayData.uFlags = AddFlags;
    State.TrayIconShown = NotifyShell(NIM_ADD) || NotifyShell(NIM_MODIFY);
    State.TrayRetriesLeft = State.TrayIconShown ? 0 : retries;
    if (State.TrayRetriesLeft <= 0) {
        StopAddRetries();
    } else if (!State.TrayRetryTimerId) {
        State.TrayRetryTimerId = SetTimer(nullptr, 0, AddRetryPeriodMs, RetryAddProc);
    }
}

void CALLBACK RetryAddProc(HWND, UINT, UINT_PTR id, DWORD)
{
    if (id == State.TrayRetryTimerId) ShowWantedIcon(State.TrayRetriesLeft - 1);
}

bool ShiftIsDown() { return GetAsyncKeyState(VK_SHIFT) < 0; }

// Shows a popup menu at the cursor and returns the command picked, 0 for
// none. The pick comes back from the menu itself, so that nothing else that
// arrives meanwhile (the re-selection posted when a timed exit fires while
// the menu is open) can pass for it.
UINT ShowPopupMenu(HMENU menu)
{
    SetForegroundWindow(State.MainWindow);
    POINT cursor = {};
    GetCursorPos(&cursor);
    UINT picked = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD, cursor.x, cursor.y, 0, State.MainWindow, nullptr));
    PostMessageA(State.MainWindow, WM_NULL, 0, 0);
    return picked;
}

// A pick from the short menu selects its exit type and performs that exit,
// once.
void OnLeftButtonDown()
{
    State.PickToExit = 0;
    if (!ShiftIsDown()) {
        if (State.ClickFlag) TrayClickAction();
        return;
    }
    UpdateShortMenu();
    UINT pick = ShowPopupMenu(State.ShortMenu);
    if (!pick) return;
    State.PickToExit = 1;
    DispatchCommand(pick);
}

void OnRightButtonDown()
{
    UpdateFullMenu();
    if (UINT pick = ShowPopupMenu(State.FullMenu)) DispatchCommand(pick);
}
}  // namespace

bool HasAlphaIcons()
{
    const OSVERSIONINFOA version = WindowsVersion();
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= AlphaIconsMajorVersion;
}

// Loaded shared, so that the icon of a name and size is made once and kept
// for the run however often it is shown again.
HICON LoadProgramIcon(const char* name)
{
    char resource[IconNameSize] = "";
    CopyText(resource, sizeof resource, name);
    if (HasAlphaIcons()) AppendText(resource, sizeof resource, AlphaIconSuffix);
    return static_cast<HICON>(LoadImageA(State.Instance, resource, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

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
    State.TrayIconWanted = 1;
    ShowWantedIcon(AddRetries);
    return State.TrayIconShown;
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
    State.TrayIconWanted = 0;
    State.TrayIconShown = 0;
    StopAddRetries();
    return NotifyShell(NIM_DELETE);
}

// A deleted icon is not brought back by a shell restart; one that was
// wanted but refused is added now.
void RestoreTrayIcon()
{
    if (State.TrayIconWanted) ShowWantedIcon(AddRetries);
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
    case WM_RBUTTONDOWN: OnRightButtonDown(); break;
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
