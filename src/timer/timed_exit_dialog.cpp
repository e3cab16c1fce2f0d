// The Timed Exit Options dialog: chooses a timeout, a time of day, a
// program's end, a stretch without input or no timed exit, and the countdown
// warning; all but the timeout are armed on OK.
#include "timer/timed_exit_dialog.h"

#include "core/decimal.h"
#include "core/text.h"
#include "core/time_of_day.h"
#include "presence/single_dialog.h"
#include "state/program_state.h"
#include "timer/job_watch.h"
#include "timer/scheduler.h"
#include "timer/warning_text_dialog.h"

namespace {
constexpr char InvalidTimeText[] = "Invalid time";
constexpr int AtHourMidnight = 24;
constexpr int MillisPerSecond = 1000;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void SetChecked(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

// The controls that a choice enables or disables, each list ended by 0:
// constant tables, where lists built at the call would cost the exe a
// section of writable data.
#define DAY_BOXES IDC_TE_DAY1, IDC_TE_DAY1 + 1, IDC_TE_DAY1 + 2, IDC_TE_DAY1 + 3, IDC_TE_DAY1 + 4, IDC_TE_DAY1 + 5, IDC_TE_DAY1 + 6
constexpr int DayBoxes[] = {DAY_BOXES};
static_assert(sizeof DayBoxes / sizeof DayBoxes[0] == IDC_TE_DAYS && IDC_TE_DAYS == MaxWeekdayDigits,
              "one box a weekday");
constexpr int WarningChoice[] = {IDC_TE_WARN, IDC_TE_TEXT, 0};
constexpr int WarningOn[] = {IDC_TE_WARNEDIT, IDC_TE_WARN, 0};
constexpr int TimeoutEdit[] = {IDC_TE_TIMEOUTEDIT, 0};
constexpr int TimeOfDayEdit[] = {IDC_TE_ATEDIT, DAY_BOXES, 0};
constexpr int DayBoxList[] = {DAY_BOXES, 0};
constexpr int ProgramFields[] = {IDC_TE_PROGRAMEDIT, IDC_TE_PROGRAMLIST, 0};
constexpr int IdleEdit[] = {IDC_TE_IDLEEDIT, 0};
constexpr int WarningControls[] = {IDC_TE_WARNEDIT, IDC_TE_TEXT, 0};
constexpr int AllChoices[] = {IDC_TE_TIMEOUTEDIT, IDC_TE_ATEDIT, IDC_TE_PROGRAMEDIT, IDC_TE_PROGRAMLIST,
                              IDC_TE_IDLEEDIT, IDC_TE_WARNEDIT, IDC_TE_WARN, IDC_TE_TEXT, DAY_BOXES, 0};
#undef DAY_BOXES
constexpr int IdleChoice[] = {IDC_TE_IDLE, IDC_TE_IDLEEDIT, 0};
constexpr int ProgramChoiceIds[] = {IDC_TE_PROGRAM, IDC_TE_PROGRAMEDIT, IDC_TE_PROGRAMLIST, 0};
// The fields of each kind of timed exit, in the order of their radios: the
// chosen kind's are enabled, the others' disabled.
enum Choice { TimeoutChoice, TimeOfDayChoice, ProgramChoice, InactivityChoice };
constexpr const int* ChoiceFields[] = {TimeoutEdit, TimeOfDayEdit, ProgramFields, IdleEdit};

void Enable(HWND dialog, const int* ids, bool on)
{
    for (; *ids; ++ids) EnableWindow(GetDlgItem(dialog, *ids), on ? TRUE : FALSE);
}

// The fill routines show the stored texts; they change nothing that is live.
void ShowNumber(HWND dialog, int id, const char* stored)
{
    char shown[SmallTextSize];
    FormatFieldNumber(DecimalToInt(stored), shown, sizeof shown);
    SetText(dialog, id, shown);
}

void FillTimeout(HWND dialog)
{
    ShowNumber(dialog, IDC_TE_TIMEOUTEDIT, State.TimerValue);
    SetText(dialog, IDC_TE_ATEDIT, "");
}

// A stored time is shown as the clock shows it (midnight as 00); a stored text
// that is no time is shown as it is, for the user to correct.
void FillTimeOfDay(HWND dialog)
{
    SetText(dialog, IDC_TE_TIMEOUTEDIT, "");
    TimeOfDay time;
    if (!ParseTimeOfDay(State.AtValue, &time)) {
        SetText(dialog, IDC_TE_ATEDIT, State.AtValue);
        return;
    }
    char shown[SmallTextSize];
    FormatTimeOfDayDigits(time.hour % AtHourMidnight, time.minute, time.second, shown, sizeof shown);
    SetText(dialog, IDC_TE_ATEDIT, shown);
}

void FillWarning(HWND dialog) { ShowNumber(dialog, IDC_TE_WARNEDIT, State.WarnValue); }
void FillProgram(HWND dialog) { SetText(dialog, IDC_TE_PROGRAMEDIT, State.ProgramValue); }
void FillIdle(HWND dialog) { ShowNumber(dialog, IDC_TE_IDLEEDIT, State.IdleValue); }

// The weekdays, the waking and Postpone are shown as they are set, whatever
// the choice.
void FillOtherSettings(HWND dialog)
{
    int days = 0;
    if (!ParseWeekdays(State.AtDays, &days)) days = 0;
    for (int day = 0; day < IDC_TE_DAYS; ++day) SetChecked(dialog, DayBoxes[day], (days >> day & 1) != 0);
    SetChecked(dialog, IDC_TE_WAKE, State.WakeFlag != 0);
    char shown[SmallTextSize];
    FormatFieldNumber(PostponeMinutesSetting(), shown, sizeof shown);
    SetText(dialog, IDC_TE_POSTPONEEDIT, shown);
}

void ClearEdits(HWND dialog)
{
    SetText(dialog, IDC_TE_TIMEOUTEDIT, "");
    SetText(dialog, IDC_TE_ATEDIT, "");
    SetText(dialog, IDC_TE_PROGRAMEDIT, "");
    SetText(dialog, IDC_TE_IDLEEDIT, "");
    SetText(dialog, IDC_TE_WARNEDIT, "");
}

void ShowChoice(HWND dialog, Choice chosen)
{
    for (int choice = TimeoutChoice; choice <= InactivityChoice; ++choice) {
        Enable(dialog, ChoiceFields[choice], choice == chosen);
    }
    Enable(dialog, WarningOn, true);
}

// With no timed exit chosen the warning is shown off and cannot be chosen;
// the setting itself changes only on OK.
void OnTimedExitInit(HWND dialog)
{
    State.TimedExitDialog = dialog;
    const bool none = !TimedExitChosen(State);
    const bool warn = State.WarnFlag && !none;
    SetChecked(dialog, IDC_TE_TIMEOUT, State.TimerFlag != 0);
    SetChecked(dialog, IDC_TE_AT, State.AtFlag != 0);
    SetChecked(dialog, IDC_TE_PROGRAM, State.ProgramFlag != 0);
    SetChecked(dialog, IDC_TE_IDLE, State.IdleFlag != 0);
    SetChecked(dialog, IDC_TE_WARN, warn);
    SetChecked(dialog, IDC_TE_NONE, none);
    if (none) Enable(dialog, WarningChoice, false);
    if (State.TimerFlag) FillTimeout(dialog);
    if (State.AtFlag) FillTimeOfDay(dialog);
    if (warn) FillWarning(dialog);
    if (none) ClearEdits(dialog);
    if (State.ProgramFlag) FillProgram(dialog);
    if (State.IdleFlag) FillIdle(dialog);
    // NT 4 cannot tell when the last input came; without Toolhelp and PSAPI
    // no process can be found.
    if (!InputTimeKnown()) Enable(dialog, IdleChoice, false);
    if (LookForProgram("") == ProgramLook::Unavailable) Enable(dialog, ProgramChoiceIds, false);
    FillOtherSettings(dialog);
    // The weekdays belong to the time of day.
    if (!State.AtFlag) Enable(dialog, DayBoxList, false);
}

void OnTimeoutChosen(HWND dialog)
{
    FillTimeout(dialog);
    ShowChoice(dialog, TimeoutChoice);
}

void OnTimeOfDayChosen(HWND dialog)
{
    FillTimeOfDay(dialog);
    ShowChoice(dialog, TimeOfDayChoice);
}

void OnProgramChosen(HWND dialog)
{
    FillProgram(dialog);
    ShowChoice(dialog, ProgramChoice);
}

void OnInactivityChosen(HWND dialog)
{
    FillIdle(dialog);
    ShowChoice(dialog, InactivityChoice);
}

// The running programs, to pick one from under the button; the pick fills
// the name and chooses the program's end.
void OnListPrograms(HWND dialog)
{
    static ListedProgram names[ListedProgramsMax];
    const int count = ListRunningPrograms(names, ListedProgramsMax);
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (int i = 0; i < count; ++i) AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), names[i]);
    if (count == 0) AppendMenuA(menu, MF_STRING | MF_GRAYED, 0, "No program can be listed");
    RECT button = {};
    GetWindowRect(GetDlgItem(dialog, IDC_TE_PROGRAMLIST), &button);
    const int picked = static_cast<int>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN, button.left, button.bottom, 0, dialog, nullptr));
    DestroyMenu(menu);
    if (picked < 1 || picked > count) return;
    SetText(dialog, IDC_TE_PROGRAMEDIT, names[picked - 1]);
    for (int radio : {IDC_TE_TIMEOUT, IDC_TE_AT, IDC_TE_IDLE, IDC_TE_NONE}) SetChecked(dialog, radio, false);
    SetChecked(dialog, IDC_TE_PROGRAM, true);
    ShowChoice(dialog, ProgramChoice);
}

void OnWarningToggled(HWND dialog)
{
    bool on = Checked(dialog, IDC_TE_WARN);
    if (on) {
        FillWarning(dialog);
    } else {
        SetText(dialog, IDC_TE_WARNEDIT, "");
    }
    Enable(dialog, WarningControls, on);
}

void OnNoTimedExitChosen(HWND dialog)
{
    SetChecked(dialog, IDC_TE_WARN, false);
    ClearEdits(dialog);
    Enable(dialog, AllChoices, false);
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
    case IDC_TE_PROGRAM: OnProgramChosen(dialog); break;
    case IDC_TE_IDLE: OnInactivityChosen(dialog); break;
    case IDC_TE_PROGRAMLIST: OnListPrograms(dialog); break;
    case IDC_TE_WARN: OnWarningToggled(dialog); break;
    case IDC_TE_NONE: OnNoTimedExitChosen(dialog); break;
    case IDC_TE_TEXT: OnCountdownText(dialog); break;
    case IDOK: OnTimedExitOk(dialog); break;
    case IDCANCEL: EndDialog(dialog, 0); break;
    default: break;  // the edits' notifications
    }
}

int Reject(const char* message)
{
    ErrorBox(message);
    return 0;
}

// What OK reads, checked whole before any of it is stored. The texts hold
// one character more than their fields, so that a longer entry shows.
constexpr int EntryTextSize = SmallTextSize + 1;
struct TimedEntry {
    bool timer, at, program, idle, warn, wake;
    int days, postponeMinutes;
    char timerValue[EntryTextSize];
    char atValue[EntryTextSize];
    char warnValue[EntryTextSize];
    char programValue[ProgramNameSize + 1];
    char idleValue[EntryTextSize];
    int timeoutSeconds, warnSeconds, idleMinutes;
};

// The refusal that has shown its own box.
constexpr char AlreadyShown[] = "";

// An edit's whole text when it fits its six-character field: a longer entry
// is refused, not cut.
bool ReadWholeField(HWND dialog, int id, char (&text)[EntryTextSize])
{
    text[0] = '\0';  // nothing read: empty
    return GetDlgItemTextA(dialog, id, text, sizeof text) < static_cast<UINT>(SmallTextSize);
}

// A count of 1 to 999999 seconds; its text is then the number it stands for
// (" 45" and "45s" are kept as "45").
bool ReadSeconds(HWND dialog, int id, char (&text)[EntryTextSize], int* seconds)
{
    if (!ReadWholeField(dialog, id, text)) return false;
    *seconds = DecimalToInt(text);
    if (!IsTimedSeconds(*seconds)) return false;
    IntToDecimal(*seconds, text, sizeof text);
    return true;
}

// The message that refuses the entry, nullptr when it is good. The warning
// must fit inside the delay it warns of; equal is allowed.
const char* CheckEntry(HWND dialog, TimedEntry* entry)
{
    if (entry->warn && !ReadSeconds(dialog, IDC_TE_WARNEDIT, entry->warnValue, &entry->warnSeconds)) {
        return InvalidTimeText;
    }
    char minutes[EntryTextSize];
    if (!ReadWholeField(dialog, IDC_TE_POSTPONEEDIT, minutes)) return InvalidTimeText;
    entry->postponeMinutes = DecimalToInt(minutes);
    if (!IsPostponeMinutes(entry->postponeMinutes)) return InvalidTimeText;
    entry->days = 0;
    for (int day = 0; day < IDC_TE_DAYS; ++day) entry->days |= Checked(dialog, DayBoxes[day]) ? 1 << day : 0;
    int delaySeconds = 0;
    if (entry->timer) {
        if (!ReadSeconds(dialog, IDC_TE_TIMEOUTEDIT, entry->timerValue, &entry->timeoutSeconds)) return InvalidTimeText;
        delaySeconds = entry->timeoutSeconds;
    } else if (entry->at) {
        TimeOfDay time;
        GetDlgItemTextA(dialog, IDC_TE_ATEDIT, entry->atValue, sizeof entry->atValue);
        if (!ParseTimeOfDay(entry->atValue, &time)) return TimerNotStarted;  // armed at once: no timer
        delaySeconds = MillisUntilClockShows(time, entry->days) / MillisPerSecond;
    } else if (entry->program) {
        GetDlgItemTextA(dialog, IDC_TE_PROGRAMEDIT, entry->programValue, sizeof entry->programValue);
        if (!ProgramCanBeWatched(entry->programValue)) return AlreadyShown;
    } else if (entry->idle) {
        if (!ReadWholeField(dialog, IDC_TE_IDLEEDIT, entry->idleValue)) return BadMinutesText;
        entry->idleMinutes = DecimalToInt(entry->idleValue);
        if (!InactivityCanBeWatched(entry->idleMinutes)) return AlreadyShown;
        IntToDecimal(entry->idleMinutes, entry->idleValue, sizeof entry->idleValue);
    }
    // A condition has no length the warning could exceed.
    const bool timed = entry->timer || entry->at;
    return entry->warn && timed && entry->warnSeconds > delaySeconds ? InvalidTimeText : nullptr;
}

void StoreEntry(const TimedEntry& entry)
{
    State.TimerFlag = entry.timer ? 1 : 0;
    State.AtFlag = entry.at && !entry.timer ? 1 : 0;
    State.ProgramFlag = entry.program && !entry.timer && !entry.at ? 1 : 0;
    State.IdleFlag = entry.idle && !entry.timer && !entry.at && !entry.program ? 1 : 0;
    State.WarnFlag = entry.warn ? 1 : 0;
    State.WakeFlag = entry.wake ? 1 : 0;
    State.PostponeMinutes = entry.postponeMinutes;
    // A timeout keeps the weekdays of the time of day.
    if (State.AtFlag) FormatWeekdays(entry.days, State.AtDays, sizeof State.AtDays);
    if (entry.warn) {
        CopyText(State.WarnValue, sizeof State.WarnValue, entry.warnValue);
        State.WarnSeconds = entry.warnSeconds;
    }
    if (State.TimerFlag) {
        CopyText(State.TimerValue, sizeof State.TimerValue, entry.timerValue);
        State.TimeoutSeconds = entry.timeoutSeconds;
    }
    if (State.AtFlag) CopyText(State.AtValue, sizeof State.AtValue, entry.atValue);
    if (State.ProgramFlag) CopyText(State.ProgramValue, sizeof State.ProgramValue, entry.programValue);
    if (State.IdleFlag) {
        CopyText(State.IdleValue, sizeof State.IdleValue, entry.idleValue);
        State.IdleMinutes = entry.idleMinutes;
    }
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

// OK stores nothing of an entry it rejects; with a timed exit armed, it can
// only cancel it. A time of day is armed at once.
int ValidateTimedExit(HWND dialog)
{
    if (!State.TimerRunning) {
        TimedEntry entry;  // only what the choices ask for is read and stored
        entry.timer = Checked(dialog, IDC_TE_TIMEOUT);
        entry.at = Checked(dialog, IDC_TE_AT);
        entry.program = Checked(dialog, IDC_TE_PROGRAM);
        entry.idle = Checked(dialog, IDC_TE_IDLE);
        entry.warn = Checked(dialog, IDC_TE_WARN);
        entry.wake = Checked(dialog, IDC_TE_WAKE);
        if (const char* refusal = CheckEntry(dialog, &entry)) return refusal[0] ? Reject(refusal) : 0;
        StoreEntry(entry);
        // Checked whole above: what can still fail is the system's timer.
        if (ArmsWhenChosen(State) && !StartTimedExit()) return Reject(TimerNotStarted);
    }
    if (Checked(dialog, IDC_TE_NONE)) CancelTimedExit();
    return 1;
}
