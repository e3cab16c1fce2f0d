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

// Vista and later read the 32-bit PNG icons "Icon_1_Alpha" and so on; older
// systems get the 16-colour "Icon_1".
constexpr DWORD AlphaIconsMajorVersion = 6;
constexpr char AlphaIconSuffix[] = "_Alpha";
constexpr size_t IconNameSize = 16;

// True from a successful add until the icon is deleted; a deleted icon is not
// brought back by a shell restart.
bool IconShown = false;

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
    BOOL added = NotifyShell(NIM_ADD);
    IconShown = added != FALSE;
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
    IconShown = false;
    return NotifyShell(NIM_DELETE);
}

void RestoreTrayIcon()
{
    if (!IconShown) return;
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
    } else if (State.TimerFlag) {
        StartTimedExit();
    } else {
        PerformExit();
    }
}
