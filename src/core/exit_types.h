// The exit types: what each one is and does, one row a type. The code is the
// value of ExitType, the command id of the type's menu items and the number
// stored in the settings. Everything that knows an exit type walks this
// table: the menus and the dispatch, the exit itself, the command line, the
// tray icon and tip, and the countdown text. The Win32 side turns a request
// into its system call. An exit type is added by its code and row here, its
// icons and its tests.
#ifndef DORVA_CORE_EXIT_TYPES_H
#define DORVA_CORE_EXIT_TYPES_H

#include <cstddef>

constexpr int ExitTypeShutdown = 10;
constexpr int ExitTypeReboot = 20;
constexpr int ExitTypeLogoff = 30;
constexpr int ExitTypeScreensaver = 40;
constexpr int ExitTypePowerOff = 50;
constexpr int ExitTypeRestartShell = 60;
constexpr int ExitTypeSleep = 70;
constexpr int ExitTypeHibernate = 80;
constexpr int ExitTypeLock = 90;

// What the last step of the exit asks of the system.
enum class ExitRequest : unsigned char {
    EndSession,    // ExitWindowsEx with the row's flags (never EWX_FORCE)
    ScreenSaver,   // SC_SCREENSAVE to the desktop window
    RestartShell,  // the shell is told to quit, then the configured one started
    Suspend,       // SetSuspendState: sleep, or hibernation when the flags are 1
    Lock,          // LockWorkStation
};

// What else the exit does, as bits of a row's traits.
constexpr unsigned char EndsSession = 1;    // with Force Exit, other applications are closed first
constexpr unsigned char FlushesDrives = 2;  // drives are flushed, and media ejected with Eject
constexpr unsigned char KeepsBlock = 4;     // the session goes on: Block Shutdown stays as it was
constexpr unsigned char NeverForced = 8;    // cannot be combined with Force Exit
constexpr unsigned char StartsGroup = 16;   // a separator comes before it in the menus

struct ExitTypeInfo {
    int code;
    // The tray tip. The menu label is the tip with an '&' before the
    // character at `mnemonic`; the countdown word is the tip in lower case.
    char tip[14];
    char icon[8];             // 16-colour icon; with "_Alpha" the 32-bit one
    char option[5];           // command-line option
    unsigned char mnemonic;
    ExitRequest request;
    unsigned char requestFlags;  // ExitWindowsEx flags; 1 hibernates
    unsigned char traits;
};

// The session requests, as ExitWindowsEx flags: never EWX_FORCE, the
// force-close step does that job.
constexpr unsigned char LogoffFlags = 0;
constexpr unsigned char ShutdownFlags = 1;
constexpr unsigned char RebootFlags = 2;
constexpr unsigned char PowerOffFlags = 9;
constexpr unsigned char HibernateFlags = 1;

// The table, in menu order (exit_types.cpp). The exit-type options are
// applied in this order too.
constexpr size_t ExitTypeCount = 9;
extern const ExitTypeInfo ExitTypes[ExitTypeCount];

// The positions that the exit types take at the top of a menu: their items
// and the separators before their groups.
extern const unsigned ExitTypeMenuPositions;

// The row of `code`, or nullptr for a number that is not an exit type.
const ExitTypeInfo* FindExitType(int code);

// Whether `type` is an exit type with the trait.
constexpr bool HasTrait(const ExitTypeInfo* type, unsigned char trait)
{
    return type != nullptr && (type->traits & trait) != 0;
}

// The menu label: the tip with '&' before its mnemonic ("Res&tart Shell").
// Cut to the buffer and terminated when outSize > 0.
void MakeMenuLabel(const ExitTypeInfo& type, char* out, size_t outSize);

// The tray tip while a timed exit is armed: what happens, and the time of
// day that the local clock shows when it is due, `secondOfDay` seconds after
// midnight ("Timed Exit: Logoff at 23:00:00"). A number that is no exit type
// gives "Timed Exit at 23:00:00". Cut to the buffer and terminated when
// outSize > 0; every exit type's fits the tray's 64 bytes.
void MakeTimedExitTip(int exitType, int secondOfDay, char* out, size_t outSize);

#endif
