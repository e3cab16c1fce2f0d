// The one record of every setting and all run-time state, its constants and
// the table of exit types. Every routine of the program reads and writes the
// global `State` directly; nothing here allocates.
#ifndef DORVA_PROGRAM_STATE_H
#define DORVA_PROGRAM_STATE_H

#include <windows.h>

#include "../core/exit_types.h"
#include "../core/time_of_day.h"
#include "../core/job_text.h"
#include "../res/resource_ids.h"

constexpr UINT TrayMessage = 1524;     // sent by the tray icon to MainWindow
constexpr int HotkeyId = 4097;         // the one global hotkey
constexpr char MainClassName[] = "DorvaNT";  // window class and title
constexpr char ProgramName[] = "Dorva NT";   // what the user reads
// Posted by the main window to itself: the boxes a hand-over held come up.
constexpr UINT HeldBoxesMessage = WM_APP + 1;
// Posted to the main window when a watched program's process may have ended.
constexpr UINT ProcessEndedMessage = WM_APP + 2;

// Text field sizes, terminator included.
constexpr int SmallTextSize = 7;       // TimerValue, AtValue, WarnValue
constexpr int WarningTextSize = 100;
constexpr int HotKeySize = 2;
constexpr int ProgramsToRunSize = 1024;
constexpr int ProgramPathSize = 260;
constexpr int ProgramSlots = 4;
constexpr int HeldBoxSlots = 3;
constexpr int HeldBoxTextSize = 160;

// Postpone moves the armed exit 1 to 1440 minutes (a day) later.
constexpr int MinPostponeMinutes = 1;
constexpr int MaxPostponeMinutes = 1440;
constexpr int DefaultPostponeMinutes = 10;
constexpr bool IsPostponeMinutes(int minutes) { return minutes >= MinPostponeMinutes && minutes <= MaxPostponeMinutes; }

// The notification-icon record in its first published layout (88 bytes on
// 32-bit Windows): every shell since NT 4 accepts it, and its tip is 64 bytes.
struct TrayIconRecord {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
};
static_assert(sizeof(TrayIconRecord) == NOTIFYICONDATAA_V1_SIZE,
              "tray record must have the first published layout");

// The timed exit as the scheduler armed it (timer/scheduler.cpp). A timeout
// is measured on the tick count, a time of day on the local clock; both
// record when the clocks were last read, so that a jump of the clock can be
// told from time that really passed.
enum class WarningStage { None, Pending, Counting };
// What an armed timed exit waits for. The last two wait for a condition;
// once it is met (`conditionMet`) they count down like a timeout of their
// warning's length, or exit at once without one.
enum class TimedExitKind { Timeout, TimeOfDay, ProgramEnds, Inactivity };
struct ArmedTimedExit {
    TimedExitKind kind;
    int conditionMet;
    char program[ProgramNameSize];  // the program it waits for, as named
    int idleMinutes;           // the inactivity it waits for
    int hour, minute, second;  // that time of day
    long long dueLocal;        // the local date and time it is due, in ms from 1970-01-01
    DWORD armTick;             // a timeout: the tick count at arming and its length
    DWORD delayMs;
    long long checkedUtc;      // UTC and the tick count at the last look
    DWORD checkedTick;
    long long wakeUtc;         // the due moment the waking timer is set for, 0 for none
    int days;                  // the weekdays a time of day comes on, 0 for every day
    int postponed;             // moved by Postpone: comes once at its new time, any day
    int postponedMs;           // waiting for a condition: Postpone's delay after its countdown
    long long repeatsAfterUtc; // armed again after its exit: due after this moment, 0 for none
    int warnSeconds;           // the countdown it was armed with, 0 for none
    WarningStage warning;
};

// One process waited on: its handle and the registered wait that posts
// ProcessEndedMessage when it signals.
constexpr int MaxWatchedProcesses = 64;
struct WatchedProcess {
    DWORD id;
    HANDLE process;
    HANDLE wait;
};

// What TimerRunning holds while a timed exit waits for a program with no
// timer of its own.
constexpr UINT_PTR ArmedWithoutTimer = ~static_cast<UINT_PTR>(0);

struct ProgramState {
    // Persisted settings (registry value names).
    int ExitType;
    int ForceFlag;
    int ClickFlag;
    int ConfirmFlag;
    int EjectFlag;
    int BlockFlag;
    int WakeFlag;            // a timed exit wakes the computer for itself
    int TimerFlag;
    char TimerValue[SmallTextSize];
    int AtFlag;
    char AtValue[SmallTextSize];
    char AtDays[WeekdaysTextSize];  // the weekdays of the time of day, "" for every day
    int WarnFlag;
    char WarnValue[SmallTextSize];
    int PostponeMinutes;     // how much later Postpone moves the armed exit
    int ProgramFlag;         // a timed exit once no process of ProgramValue runs
    char ProgramValue[ProgramNameSize];
    int IdleFlag;            // a timed exit after IdleValue minutes without input
    char IdleValue[SmallTextSize];
    char WarningText[WarningTextSize];
    int HotkeyFlag;
    char HotKey[HotKeySize];
    int RunBeforeExit;
    char ProgramsToRun[ProgramsToRunSize];

    // Derived from settings.
    char ProgramPath[ProgramSlots][ProgramPathSize];
    int TimeoutSeconds;
    int WarnSeconds;
    int IdleMinutes;

    // Modes of the command line, never saved.
    int NoIconMode;
    int HideIconFlag;

    // Timed-exit run-time state.
    UINT_PTR TimerRunning;   // non-zero exactly while a timed exit is armed
    UINT_PTR ExitTimerId;
    UINT_PTR WarnTimerId;    // warning timer, later the one-second countdown
    int CountdownLeft;
    ArmedTimedExit Armed;    // the one record of what is armed, while TimerRunning is set
    // The processes of the program a timed exit waits for: those opened are
    // waited on through their handles; the others (not to be opened, or
    // beyond the table) are counted, and a slow look at the process list
    // watches them.
    WatchedProcess Watched[MaxWatchedProcesses];
    int WatchedCount;
    int UnwaitedCount;

    // Warning-text state.
    int WarningTextAuto;
    int WarningTextEdited;
    int WarningTextOwn;      // the user's text, changed in this run or saved: kept even when empty

    // User-interface state.
    int PickToExit;
    int WaitingForProgram;   // the exit waits for a program it started
    int StopWaitingAsked;    // "Stop waiting and cancel the exit ?" is open
    int ExitStopped;         // the user stopped waiting: no further program, no exit

    // Handles.
    HINSTANCE Instance;
    HWND MainWindow;
    HMENU FullMenu;
    HMENU ShortMenu;
    HACCEL Accelerators;
    HWND TimedExitDialog;
    HWND CountdownWindow;
    HWND WarningTextDialog;
    HWND AboutDialog;
    HWND RunBeforeExitDialog;
    HWND HotkeyDialog;
    HWND RegistryDialog;
    HWND ShortcutDialog;

    TrayIconRecord TrayData;

    // What the program has made the system hold for it, so that one reset
    // forgets it all.
    int TrayIconWanted;         // the icon belongs in the notification area
    int TrayIconShown;          // the shell holds the icon
    UINT_PTR TrayRetryTimerId;  // retries an add the shell refused
    int TrayRetriesLeft;
    int BlockReasonRegistered;  // the shutdown block reason is on MainWindow
    int HotkeyRegistered;       // HotkeyId is registered on MainWindow
    int ExitInProgress;         // PerformExit runs (its box may be open)
    int ProgramEnding;          // MainWindow is destroyed: the loop is about to end
    HANDLE WakeTimer;           // the waitable timer that resumes the computer, made once
    int ComStarted;             // COM is initialised for the thread
    int HideIconAsking;         // "Are you sure you want to hide the tray icon ?" is open

    // A second start gets its answer before any box shows: the error boxes
    // of a hand-over wait here until the answer has gone.
    int HandOverApplying;       // a hand-over is being applied: error boxes are held
    int HeldBoxCount;
    char HeldBoxes[HeldBoxSlots][HeldBoxTextSize];
    int ShowingHeldBoxes;       // the held boxes are coming up, one after another
};

extern ProgramState State;

// The kinds of timed exit armed as soon as they are chosen (at start, on OK,
// by a hand-over): all but the timeout, which waits for a click.
inline bool ArmsWhenChosen(const ProgramState& s) { return s.AtFlag || s.ProgramFlag || s.IdleFlag; }
// Whether any kind of timed exit is chosen.
inline bool TimedExitChosen(const ProgramState& s) { return s.TimerFlag || ArmsWhenChosen(s); }

// Puts the record back to its value at process start: everything zero. Only
// tests call it again later.
void ResetProgramState();

// Error box: exclamation beep, then a box with no owner and no caption.
// While a hand-over is applied it is held (the text kept, cut to fit) until
// ShowHeldBoxes.
void ErrorBox(const char* text);
// Shows the held boxes in the order they were asked for, one at a time.
void ShowHeldBoxes();

#endif
