// The Timed Exit Options dialog: chooses a timeout, a time of day or no timed
// exit, and the countdown warning; a time of day is armed on OK.
#include "timer/timed_exit_dialog.h"

#include "app/program_state.h"
#include "app/single_dialog.h"
#include "core/decimal.h"
#include "timer/scheduler.h"
#include "timer/warning_text_dialog.h"

#include <initializer_list>

namespace {
constexpr char InvalidTimeText[] = "Invalid time";
constexpr unsigned MaxTimeoutSeconds = 999999;
constexpr int MillisPerSecond = 1000;
constexpr int AtHourMidnight = 24;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void SetChecked(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

void Enable(HWND dialog, std::initializer_list<int> ids, bool on)
{
    for (int id : ids) EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

// Reads at most the field's six characters: the rest of a longer entry is
// ignored.
void ReadField(HWND dialog, int id, char* field, int fieldSize) { GetDlgItemTextA(dialog, id, field, fieldSize); }

void ShowNumber(HWND dialog, int id, int value)
{
    FormatFieldNumber(value, State.NumberText, sizeof State.NumberText);
    SetText(dialog, id, State.NumberText);
}

void FillTimeout(HWND dialog)
{
    State.TimeoutSeconds = DecimalToInt(State.TimerValue);
    ShowNumber(dialog, IDC_TE_TIMEOUTEDIT, State.TimeoutSeconds);
    SetText(dialog, IDC_TE_ATEDIT, "");
}

// Even an invalid stored time is shown split into its fields; midnight as 00.
void FillTimeOfDay(HWND dialog)
{
    ParseAtValue();
    if (State.AtHour == AtHourMidnight) State.AtHour = 0;
    SetText(dialog, IDC_TE_TIMEOUTEDIT, "");
    FormatTimeOfDayDigits(State.AtHour, State.AtMinute, State.AtSecond, State.NumberText,
                          sizeof State.NumberText);
    SetText(dialog, IDC_TE_ATEDIT, State.NumberText);
}

void FillWarning(HWND dialog)
{
    State.WarnSeconds = DecimalToInt(State.WarnValue);
    ShowNumber(dialog, IDC_TE_WARNEDIT, State.WarnSeconds);
}

void ClearEdits(HWND dialog)
{
    SetText(dialog, IDC_TE_TIMEOUTEDIT, "");
    SetText(dialog, IDC_TE_ATEDIT, "");
    SetText(dialog, IDC_TE_WARNEDIT, "");
}

void OnTimedExitInit(HWND dialog)
{
    State.TimedExitDialog = dialog;
    SetChecked(dialog, IDC_TE_TIMEOUT, State.TimerFlag != 0);
    SetChecked(dialog, IDC_TE_AT, State.AtFlag != 0);
    SetChecked(dialog, IDC_TE_WARN, State.WarnFlag != 0);
    State.NoTimedExit = (!State.TimerFlag && !State.AtFlag) ? 1 : 0;
    SetChecked(dialog, IDC_TE_NONE, State.NoTimedExit != 0);
    if (State.NoTimedExit) {
        State.WarnFlag = 0;  // at once: it stays off even after Cancel
        SetChecked(dialog, IDC_TE_WARN, false);
        Enable(dialog, {IDC_TE_WARN, IDC_TE_TEXT}, false);
    }
    if (State.TimerFlag) FillTimeout(dialog);
    if (State.AtFlag) FillTimeOfDay(dialog);
    if (State.WarnFlag) FillWarning(dialog);
    if (State.NoTimedExit) ClearEdits(dialog);
}

void OnTimeoutChosen(HWND dialog)
{
    FillTimeout(dialog);
    Enable(dialog, {IDC_TE_TIMEOUTEDIT, IDC_TE_WARNEDIT, IDC_TE_WARN}, true);
    Enable(dialog, {IDC_TE_ATEDIT}, false);
}

void OnTimeOfDayChosen(HWND dialog)
{
    FillTimeOfDay(dialog);
    Enable(dialog, {IDC_TE_ATEDIT, IDC_TE_WARNEDIT, IDC_TE_WARN}, true);
    Enable(dialog, {IDC_TE_TIMEOUTEDIT}, false);
}

void OnWarningToggled(HWND dialog)
{
    bool on = Checked(dialog, IDC_TE_WARN);
    if (on) {
        FillWarning(dialog);
    } else {
        SetText(dialog, IDC_TE_WARNEDIT, "");
    }
    Enable(dialog, {IDC_TE_WARNEDIT, IDC_TE_TEXT}, on);
}

void OnNoTimedExitChosen(HWND dialog)
{
    SetChecked(dialog, IDC_TE_WARN, false);
    ClearEdits(dialog);
    Enable(dialog, {IDC_TE_TIMEOUTEDIT, IDC_TE_ATEDIT, IDC_TE_WARNEDIT, IDC_TE_WARN, IDC_TE_TEXT}, false);
}

void OnCountdownText(HWND dialog)
{
    RunDialogOnce(IDD_WARNINGTEXT, dialog, WarningTextProc, State.WarningTextDialog);
}

// The checks may show a box ("Invalid time", a warning longer than the
// delay): another OK meanwhile is ignored.
void OnTimedExitOk(HWND dialog)
{
    DialogBusy busy(dialog);
    if (busy.Entered() && ValidateTimedExit(dialog)) EndDialog(dialog, 0);
}

void OnTimedExitCommand(HWND dialog, int id)
{
    switch (id) {
    case IDC_TE_TIMEOUT: OnTimeoutChosen(dialog); break;
    case IDC_TE_AT: OnTimeOfDayChosen(dialog); break;
    case IDC_TE_WARN: OnWarningToggled(dialog); break;
    case IDC_TE_NONE: OnNoTimedExitChosen(dialog); break;
    case IDC_TE_TEXT: OnCountdownText(dialog); break;
    case IDOK: OnTimedExitOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;  // the edits' notifications
    }
}

int RejectTime()
{
    CancelTimedExit();
    ErrorBox(InvalidTimeText);
    return 0;
}

// The warning must be positive and fit inside the delay it warns of.
bool WarningFits()
{
    unsigned warn = static_cast<unsigned>(State.WarnSeconds);
    if (State.WarnSeconds == 0) return false;
    if (State.TimerFlag && warn > static_cast<unsigned>(State.TimeoutSeconds)) return false;
    if (State.AtFlag && static_cast<unsigned>(State.MillisToExit / MillisPerSecond) < warn) return false;
    return true;
}
}  // namespace

INT_PTR CALLBACK TimedExitProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: OnTimedExitInit(dialog); return TRUE;
    case WM_COMMAND: OnTimedExitCommand(dialog, LOWORD(wParam)); return TRUE;
    case WM_CLOSE: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

// What OK stores is kept even when it is then rejected, so the user's
// entries stay as typed; with a timed exit armed, OK can only cancel it.
int ValidateTimedExit(HWND dialog)
{
    State.NoTimedExit = Checked(dialog, IDC_TE_NONE) ? 1 : 0;
    if (!State.TimerRunning) {
        State.TimerFlag = Checked(dialog, IDC_TE_TIMEOUT) ? 1 : 0;
        State.AtFlag = Checked(dialog, IDC_TE_AT) ? 1 : 0;
        State.WarnFlag = Checked(dialog, IDC_TE_WARN) ? 1 : 0;
        if (State.WarnFlag) {
            ReadField(dialog, IDC_TE_WARNEDIT, State.WarnValue, sizeof State.WarnValue);
            State.WarnSeconds = DecimalToInt(State.WarnValue);
        }
        if (State.TimerFlag) {
            ReadField(dialog, IDC_TE_TIMEOUTEDIT, State.TimerValue, sizeof State.TimerValue);
            State.TimeoutSeconds = DecimalToInt(State.TimerValue);
            if (static_cast<unsigned>(State.TimeoutSeconds) - 1u >= MaxTimeoutSeconds) return RejectTime();
            if (State.AtFlag) CancelTimedExit();
            State.AtFlag = 0;
        }
        if (State.AtFlag) {
            ReadField(dialog, IDC_TE_ATEDIT, State.AtValue, sizeof State.AtValue);
            if (!ParseAtValue()) return RejectTime();
            State.TimerFlag = 0;
            StartTimedExit();
        }
        if (State.WarnFlag && !WarningFits()) return RejectTime();
    }
    if (State.NoTimedExit) CancelTimedExit();
    return 1;
}
