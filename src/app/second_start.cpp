// What a start that leaves the tray to the running copy says and returns. The
// process result tells a script what came of it (ExitDone, ExitNothingDone,
// ExitNotRunning); the texts go where a script can read them.
#include "app/second_start.h"

#include "app/single_instance.h"
#include "cmdline/command_line.h"
#include "core/command_line_text.h"
#include "state/program_state.h"
#include "system/system_actions.h"

#include <windows.h>

namespace {
constexpr char LineEnd[] = "\r\n";
constexpr UINT TellFlags = MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND;
constexpr size_t QueryTextSize = 64;

bool WriteOut(const char* text) { return SysWriteStandardOutput(text, lstrlenA(text)) != FALSE; }
}  // namespace

const char UsageText[] =
    "Usage: DorvaNT.exe [options]\r\n"
    "  /e:s /e:b /e:l /e:p   shutdown, reboot, logoff, power-off\r\n"
    "  /x:s /x:r             screen saver, restart the shell\r\n"
    "  /x:u /x:h /x:k        sleep, hibernate, lock the workstation (only one exit type at a time)\r\n"
    "  /e:y /e:o             hybrid shutdown, restart into the boot options menu (Windows 8 and later)\r\n"
    "  /f:f /f:e /f:b /f:c   force applications to close, eject media, block others' session ends, confirm\r\n"
    "  /f:d /f:h             act on a double click; run without a tray icon\r\n"
    "  /f:w                  wake the computer from sleep or hibernation for the timed exit\r\n"
    "  /h[:letter]           enable the Ctrl+Alt+letter hotkey (default X)\r\n"
    "  /t[:seconds]          timed exit after 1 to 999999 seconds (default 30)\r\n"
    "  /a[:hhmmss]           timed exit the next time the clock shows that time, six digits (default 230000)\r\n"
    "  /p[:name]             timed exit once no program of that file name runs (\"my job.exe\" in quotes;\r\n"
    "                        .exe is added to a name without one; digits alone are a process id)\r\n"
    "  /i[:minutes]          timed exit after 1 to 1440 minutes without keyboard or mouse input (default 30)\r\n"
    "  /r:days               the time of day only on these weekdays, digits 1 (Monday) to 7 (Sunday): /r:12345\r\n"
    "                        (after a screen saver, restart of the shell, sleep, hibernation or lock it comes again)\r\n"
    "  /w[:seconds]          countdown window for the last seconds (with /t, /a, /p or /i)\r\n"
    "  /n                    no icon: perform the exit, at once or timed, and quit\r\n"
    "  /z                    ignore the saved settings\r\n"
    "  /c                    cancel the timed exit of the copy in the tray\r\n"
    "  /q                    tell what the copy in the tray will do, and when\r\n"
    "  /d[:minutes]          postpone the timed exit of the copy in the tray by 1 to 1440 minutes\r\n"
    "                        (default: the Postpone setting, 10)\r\n"
    "  /?                    this list\r\n"
    "While a copy runs in the tray, a second start hands its options to it.\r\n"
    "Exit codes: 0 done, 1 nothing to do or refused, 2 no copy in the tray.";

void TellUser(const char* text)
{
    if (WriteOut(text) && WriteOut(LineEnd)) return;
    MessageBoxA(nullptr, text, ProgramName, TellFlags);
}

bool AnswerWithoutStarting(const char* options, const char* typed, int* result)
{
    if (typed == nullptr) typed = options;
    switch (ClassifyRequest(options)) {
    case Request::Usage:
        TellUser(UsageText);
        *result = ExitDone;
        return true;
    case Request::TooMany:
        ErrorBox(TooManyOptions);
        *result = ExitNothingDone;
        return true;
    case Request::Postpone:
    case Request::Cancel:
        *result = AskRunningCopy(typed, TrayTaken()).code;
        return true;
    case Request::Query: {
        char text[QueryTextSize];
        const HandOverAnswer answer = AskRunningCopyForTip(typed, text, sizeof text);
        TellUser(text);
        *result = answer.code;
        return true;
    }
    case Request::HandOver: break;
    }
    // "/n" runs alone, beside a copy in the tray.
    if (HasOption(options, "/n") || ClaimTray()) return false;
    *result = AskRunningCopy(typed, true).code;
    return true;
}
