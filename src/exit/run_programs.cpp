// The programs run, one after another, before the exit: a program is started
// directly, any other file is opened by the shell, and each is waited for.
#include "exit/run_programs.h"

#include "app/program_state.h"
#include "core/text.h"

#include <shellapi.h>

namespace {
constexpr const char* ProgramExtensions[] = {".com", ".exe", ".bat", ".pif", ".cmd"};

// The launches return their handles only for the wait: close them after it.
void WaitAndClose(HANDLE process)
{
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}
}  // namespace

void RunProgramsBeforeExit()
{
    for (const char* slot : State.ProgramPath) {
        if (HasProgramExtension(slot)) {
            RunProgramDirect(slot);
        } else {
            RunProgramByShell(slot);  // returns at once for an empty slot
        }
    }
}

// A plain, case-sensitive search anywhere in the text: arguments after the
// program name do not hide its extension.
bool HasProgramExtension(const char* text)
{
    for (const char* extension : ProgramExtensions) {
        if (ContainsText(text, extension)) return true;
    }
    return false;
}

void RunProgramDirect(const char* text)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!text || text[0] == '\0') return;
    // The system may write into the command line it is given.
    char commandLine[ProgramPathSize];
    CopyText(commandLine, sizeof commandLine, text);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return;
    }
    WaitAndClose(started.hProcess);
    CloseHandle(started.hThread);
}

void RunProgramByShell(const char* text)
{
    if (!text || text[0] == '\0') return;
    SHELLEXECUTEINFOA request = {};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.hwnd = State.MainWindow;  // none yet when the exit runs at start-up
    request.lpFile = text;
    request.nShow = SW_SHOWNORMAL;
    // A file that went to an already running program reports no process.
    if (ShellExecuteExA(&request) && request.hProcess) WaitAndClose(request.hProcess);
}
