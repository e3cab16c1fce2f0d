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
// Windows 8 and later: the shutdown of fast startup, and the restart into
// the advanced boot options menu. Each beside the type it varies.
constexpr int ExitTypeHybridShutdown = 15;
constexpr int ExitTypeBootOptions = 25;

// What the last step of the exit asks of the system.
enum class ExitRequest : unsigned char {
    EndSession,    // ExitWindowsEx with the row's flags (never EWX_FORCE)
    ScreenSaver,   // SC_SCREENSAVE to the desktop window
    RestartShell,  // the shell is told to quit, then the configured one started
    Suspend,       // SetSuspendState: sleep, or hibernation when the flags are 1
    Lock,          // LockWorkStation
    Initiate,      // InitiateShutdown with the row's flags
};

// What else the exit does, as bits of a row's traits.
constexpr unsigned char EndsSession = 1;    // with Force Exit, other applications are closed first
constexpr unsigned char FlushesDrives = 2;  // drives are flushed, and media ejected with Eject
constexpr unsigned char KeepsBlock = 4;     // the session goes on: Block Shutdown stays as it was
constexpr unsigned char NeverForced = 8;    // cannot be combined with Force Exit
constexpr unsigned char StartsGroup = 16;   // a separator comes before it in the menus
constexpr unsigned char NeedsWindows8 = 32; // grayed and refused before Windows 8

struct ExitTypeInfo {
    int code;
    // The tray tip. The menu label is the tip with an '&' before the
    // character at `mnemonic`; the countdown word is the tip in lower case.
    char tip[24];
    char icon[8];             // 16-colour icon; with "_Alpha" the 32-bit one
    char option[5];           // command-line option
    unsigned char mnemonic;
    ExitRequest request;
    unsigned char traits;
    unsigned requestFlags;    // ExitWindowsEx or InitiateShutdown flags; 1 hibernates
};

// The session requests, as ExitWindowsEx flags: never EWX_FORCE, the
// force-close step does that job.
constexpr unsigned char LogoffFlags = 0;
constexpr unsigned char ShutdownFlags = 1;
constexpr unsigned char RebootFlags = 2;
constexpr unsigned char PowerOffFlags = 9;
constexpr unsigned char HibernateFlags = 1;
constexpr unsigned HybridShutdownFlags = 0x00400001;  // EWX_SHUTDOWN | EWX_HYBRID_SHUTDOWN
constexpr unsigned BootOptionsFlags = 0x00000404;     // SHUTDOWN_RESTART | SHUTDOWN_RESTART_BOOTOPTIONS
// Every session-end request says why: planned, major and minor "other", so
// that Windows logs no unexpected shutdown.
constexpr unsigned long PlannedReason = 0x80000000ul;  // SHTDN_REASON_FLAG_PLANNED

// The fixed items of the full menu after the exit types carry these
// mnemonics: "&Options", "To&ggles", "Registr&y Settings...", "&About...",
// "E&xit Program". No exit type may take one.
constexpr char FixedMenuMnemonics[] = "ogyax";

// The table, in menu order. The exit-type options are applied in this order
// too. Its length is its rows': no row can be missing.
inline constexpr ExitTypeInfo ExitTypes[] = {
    // code, tip, icon, option, mnemonic, request, traits, request flags
    {ExitTypeShutdown, "Shutdown", "Icon_1", "/e:s", 0, ExitRequest::EndSession, EndsSession | FlushesDrives,
     ShutdownFlags},
    {ExitTypeReboot, "Reboot", "Icon_2", "/e:b", 0, ExitRequest::EndSession, EndsSession | FlushesDrives,
     RebootFlags},
    {ExitTypeLogoff, "Logoff", "Icon_3", "/e:l", 0, ExitRequest::EndSession, EndsSession | FlushesDrives,
     LogoffFlags},
    {ExitTypePowerOff, "Power-off", "Icon_5", "/e:p", 0, ExitRequest::EndSession, EndsSession | FlushesDrives,
     PowerOffFlags},
    {ExitTypeHybridShutdown, "Hybrid Shutdown", "Icon_12", "/e:y", 4, ExitRequest::EndSession,
     EndsSession | FlushesDrives | NeedsWindows8, HybridShutdownFlags},
    {ExitTypeBootOptions, "Restart to Boot Options", "Icon_13", "/e:o", 11, ExitRequest::Initiate,
     EndsSession | FlushesDrives | NeedsWindows8, BootOptionsFlags},
    {ExitTypeScreensaver, "Screensaver", "Icon_4", "/x:s", 1, ExitRequest::ScreenSaver, KeepsBlock | NeverForced | StartsGroup, 0},
    {ExitTypeRestartShell, "Restart Shell", "Icon_8", "/x:r", 3, ExitRequest::RestartShell, FlushesDrives | KeepsBlock, 0},
    {ExitTypeSleep, "Sleep", "Icon_9", "/x:u", 2, ExitRequest::Suspend, FlushesDrives | KeepsBlock | NeverForced, 0},
    {ExitTypeHibernate, "Hibernate", "Icon_10", "/x:h", 0, ExitRequest::Suspend,
     FlushesDrives | KeepsBlock | NeverForced, HibernateFlags},
    {ExitTypeLock, "Lock", "Icon_11", "/x:k", 3, ExitRequest::Lock, KeepsBlock | NeverForced, 0},
};
constexpr size_t ExitTypeCount = sizeof ExitTypes / sizeof ExitTypes[0];

// The menu position of exit type row `row`, counting the separators before
// the groups; with the row count, the positions that they all take at the
// top of a menu.
constexpr unsigned ExitTypeMenuPosition(size_t row)
{
    unsigned position = 0;
    for (size_t i = 0; i <= row && i < ExitTypeCount; ++i) position += (ExitTypes[i].traits & StartsGroup) ? 2 : 1;
    return position - 1;
}
constexpr unsigned ExitTypeMenuPositions = ExitTypeMenuPosition(ExitTypeCount - 1) + 1;

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
// outSize > 0; every exit type's fits the tray's 64 bytes. When the exit is
// due on another day than today, `weekday` (0 Sunday to 6 Saturday) names it:
// "Timed Exit: Lock at 23:00:00 on Mon".
constexpr int Today = -1;
void MakeTimedExitTip(int exitType, int secondOfDay, char* out, size_t outSize, int weekday = Today);

#endif
