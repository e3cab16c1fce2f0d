// A second start's command line, applied by the running copy as its own start
// applies options over the saved settings, here over its current state: the
// same checks and messages, nothing changed by a refused one, and a timeout
// or time of day armed at once, in place of an armed one (the second start is
// itself the user's act). "/z" means nothing here.
#include "cmdline/hand_over.h"

#include "cmdline/command_line.h"
#include "core/command_line_text.h"
#include "dialogs/hotkey.h"
#include "presence/block_reason.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "timer/scheduler.h"

namespace {
// The running state with the options laid over it, until they are taken; then
// what they replaced.
ProgramState Laid;

HandOverAnswer Answer(int code)
{
    HandOverAnswer answer = {};
    answer.code = code;
    answer.armed = State.TimerRunning != 0;
    answer.exitType = State.ExitType;
    answer.secondOfDay = answer.armed ? TimedExitDueSecond() : 0;
    return answer;
}

// As a click on the icon cancels: icon, tip and hotkey come back.
int Cancel()
{
    if (!State.TimerRunning) return ExitNothingDone;
    CancelTimedExit();
    return ExitDone;
}

// "/d": the armed exit moves later, and the tip tells the new time. A bad
// number is refused whether or not an exit is armed.
static_assert(MaxPostponeRequestMinutes == MaxPostponeMinutes, "a request postpones as far as the setting");
constexpr char BadPostponeMinutes[] = "Postpone by 1 to 1440 minutes: /d:10";
int Postpone(const char* text)
{
    int minutes = 0;
    if (!PostponeRequestMinutes(text, PostponeMinutesSetting(), &minutes)) {
        ErrorBox(BadPostponeMinutes);
        return ExitNothingDone;
    }
    return State.TimerRunning && PostponeTimedExit(minutes) ? ExitDone : ExitNothingDone;
}

// A plain start: the icon comes back, hidden by the menu or by "/f:h".
int ShowHiddenIcon()
{
    State.HideIconFlag = 0;
    if (!State.TrayIconWanted) {
        ShowExitTypeIcon(true);
        if (State.TimerRunning) ShowTimedExitIcon();
    }
    return ExitDone;
}

// The taken options take effect: the block reason, the hotkey (held off while
// a timed exit is armed), the icon or its absence, and its picture and tip.
void ShowTakenOptions()
{
    UpdateBlockReason();
    if (!State.TimerRunning) SetHotkey(State.HotkeyFlag);
    if (State.HideIconFlag) {
        DeleteTrayIcon(State.MainWindow);
    } else if (State.TimerRunning) {
        ShowTimedExitIcon();
    } else {
        ShowExitTypeIcon(false);
    }
}

// One exit at a time: while one is performed (its box open, its programs
// running) nothing changes.
int TakeOptions(const char* text, const char* typed)
{
    text = CoverProgramValue(text, typed, &typed);
    if (State.ExitInProgress || !CheckOptions(text, typed)) return ExitNothingDone;
    Laid = State;
    if (!ApplyOptionsOver(text, Laid)) return ExitNothingDone;
    ExchangeOptions(Laid);
    // New weekdays take effect on the armed time of day at once.
    const bool timed = TypedTimedExit(text) || (HasOption(text, "/r") && State.AtFlag && State.TimerRunning);
    if (timed && !ArmTimedExit(text, true)) {
        ExchangeOptions(Laid);
        return ExitNothingDone;
    }
    ShowTakenOptions();
    return ExitDone;
}
}  // namespace

HandOverAnswer ApplyHandOver(const char* text, const char* typed)
{
    switch (ClassifyRequest(text)) {
    case Request::Query: return Answer(State.TimerRunning ? ExitDone : ExitNothingDone);
    case Request::Cancel: return Answer(Cancel());
    case Request::Postpone: return Answer(Postpone(text));
    case Request::HandOver: return Answer(IsBlankText(text) ? ShowHiddenIcon() : TakeOptions(text, typed));
    default: return Answer(ExitNothingDone);  // the option list and refused requests stay with the second start
    }
}
