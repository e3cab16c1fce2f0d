// The one notification-area icon: add, change, delete and restore it, and
// its pictures; and whether anything is left to reach the program by.
#include "presence/tray_icon.h"

#include "core/exit_types.h"
#include "core/text.h"
#include "res/image_names.h"
#include "state/program_state.h"
#include "system/windows_version.h"

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
constexpr DWORD AlphaIconsMinorVersion = 0;
constexpr char AlphaIconSuffix[] = "_Alpha";
constexpr size_t IconNameSize = 16;

// Every icon that the program names is drawn, in both kinds: a name without
// its drawing would build and show a blank icon.
constexpr const char* DrawnIcons[] = {DORVA_ICON_NAMES};

constexpr bool IsDrawn(const char* name, const char* suffix)
{
    for (const char* drawn : DrawnIcons) {
        size_t i = 0;
        while (name[i] != '\0' && name[i] == drawn[i]) ++i;
        if (name[i] != '\0') continue;
        size_t j = 0;
        while (suffix[j] != '\0' && suffix[j] == drawn[i + j]) ++j;
        if (suffix[j] == '\0' && drawn[i + j] == '\0') return true;
    }
    return false;
}

constexpr bool ExitTypeIconsAreDrawn()
{
    for (const ExitTypeInfo& type : ExitTypes) {
        if (!IsDrawn(type.icon, "") || !IsDrawn(type.icon, AlphaIconSuffix)) return false;
        if (sizeof type.icon + sizeof AlphaIconSuffix - 1 > IconNameSize) return false;
    }
    return IsDrawn(ProgramIcon, "") && IsDrawn(ProgramIcon, AlphaIconSuffix);
}
static_assert(ExitTypeIconsAreDrawn(), "every exit type's icon has its drawings in src/res/images, both kinds");

// A stored number that is no exit type shows the program's own picture and
// name: without an icon nothing could reach the program to choose a type.
constexpr const char* ProgramTip = ProgramName;

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

}  // namespace

bool HasAlphaIcons() { return WindowsAtLeast(AlphaIconsMajorVersion, AlphaIconsMinorVersion); }

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

// The program lives on only while the user can still reach it. The copy in
// the tray always can: a plain second start brings its icon back. In
// icon-less mode only the armed exit keeps it: once that is cancelled, or has
// been performed, the program ends.
void EndIfUnreachable()
{
    if (State.TimerRunning || !State.NoIconMode) return;
    PostMessageA(State.MainWindow, WM_CLOSE, 0, 0);
}

BOOL ShowExitTypeIcon(bool add)
{
    const ExitTypeInfo* type = FindExitType(State.ExitType);
    HICON icon = LoadProgramIcon(type ? type->icon : ProgramIcon);
    const char* tip = type ? type->tip : ProgramTip;
    return add ? AddTrayIcon(State.MainWindow, icon, tip) : ModifyTrayIcon(icon, tip);
}
