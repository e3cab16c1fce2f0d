// The six exit types: their codes and the words that go with them. The code
// is the value of ExitType, the menu command that selects the type and the
// number stored in the settings.
#ifndef DORVA_CORE_EXIT_TYPES_H
#define DORVA_CORE_EXIT_TYPES_H

constexpr int ExitTypeShutdown = 10;
constexpr int ExitTypeReboot = 20;
constexpr int ExitTypeLogoff = 30;
constexpr int ExitTypeScreensaver = 40;
constexpr int ExitTypePowerOff = 50;
constexpr int ExitTypeRestartShell = 60;

struct ExitTypeInfo {
    int code;
    const char* icon;    // tray icon resource name
    const char* tip;     // tray tip; in lower case, the word of the default countdown text
};

// The row of `code`, or nullptr for a number that is not an exit type.
const ExitTypeInfo* FindExitType(int code);

#endif
