// The countdown window of the last seconds before a timed exit, its
// once-a-second tick, and the generated default warning text.
#include "timer/countdown.h"

#include "core/countdown_text.h"
#include "core/warning_text.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "timer/cancel.h"

#include <climits>

namespace {
void OnCountdownInit(HWND window)
{
    State.CountdownWindow = window;
    // The template asks for a system-modal (topmost) window; not every
    // platform honours that for a modeless dialog, so make sure of it.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateDefaultWarningText();
    CountdownTick(nullptr, 0, 0, 0);
}

// Close and the close box only hide the warning: the timers keep running.
void OnCountdownClose(HWND window) { DestroyWindow(window); }

void OnCountdownDestroy(HWND window)
{
    if (State.CountdownWindow == window) State.CountdownWindow = nullptr;
}

void OnCountdownCommand(HWND window, int id)
{
    switch (id) {
    case IDC_CD_CLOSE: OnCountdownClose(window); break;
    // The main window's command postpones the armed exit, which closes this window.
    case IDC_CD_POSTPONE: SendMessageA(State.MainWindow, WM_COMMAND, IDM_POSTPONE, 0); break;
    case IDC_CD_ABORT:
        CancelTimedExit();  // destroys this window
        EndIfUnreachable();
        break;
    default: break;
    }
}
}  // namespace

INT_PTR CALLBACK CountdownProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnCountdownInit(window); return TRUE;
    case WM_COMMAND: OnCountdownCommand(window, LOWORD(wParam)); return TRUE;
    case WM_CLOSE: OnCountdownClose(window); return TRUE;
    case WM_DESTROY: OnCountdownDestroy(window); return FALSE;
    default: return FALSE;
    }
}

void CALLBACK CountdownTick(HWND, UINT, UINT_PTR id, DWORD)
{
    // Called with id 0 by the window itself; a timer message left over from
    // a killed countdown timer does not count.
    if (id != 0 && id != State.WarnTimerId) return;
    if (State.CountdownLeft > INT_MIN) --State.CountdownLeft;
    char text[CountdownTextSize] = "";
    FormatCountdown(State.CountdownLeft, text, sizeof text);
    HWND window = State.CountdownWindow;
    if (!window || !IsWindow(window)) return;
    SetDlgItemTextA(window, IDC_CD_TIMELEFT, text);
    SetDlgItemTextA(window, IDC_CD_TEXT, State.WarningText);
}

void MakeDefaultWarningText()
{
    MakeDefaultWarningTextFor(State.ExitType, State.WarningText, sizeof State.WarningText);
    State.WarningTextAuto = 1;
}

// The default fills a text that was never the user's; one the user emptied
// on purpose stays empty.
void UpdateDefaultWarningText()
{
    if (State.WarningTextAuto || (State.WarningText[0] == '\0' && !State.WarningTextOwn)) MakeDefaultWarningText();
}
