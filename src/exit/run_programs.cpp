// The programs run, one after another, before the exit: a program is started
// directly, any other file is opened by the shell, a batch file is run by
// cmd.exe itself, and each is waited for.
#include "exit/run_programs.h"

#include "core/program_list.h"
#include "core/text.h"
#include "state/program_state.h"

#include <shellapi.h>


namespace {
// Room for cmd.exe's path, a batch file's path and the arguments of an entry.
constexpr size_t CommandLineSize = 4 * MAX_PATH;
constexpr char CommandShellName[] = "\\cmd.exe";
// cmd.exe without AutoRun commands and without delayed expansion; /s makes it
// strip exactly the outer pair of quotes around what follows /c, so that the
// batch file's name stays quoted and "&", "|", "<", ">", "^" or "(" in it are
// part of the name, not commands of their own.
constexpr char BatchCommandStart[] = "cmd.exe /d /v:off /s /c \"\"";

// Waits for a started program to end. Meanwhile the messages that other
// programs send to this program's windows are answered (a program that sends
// a message to every window and waits for the answers would otherwise never
// end); posted messages, and with them the timers and every user command,
// stay queued, and the main window ignores user input sent to it.
void WaitAndClose(HANDLE process)
{
    State.WaitingForProgram = 1;
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    State.WaitingForProgram = 0;
    CloseHandle(process);
}

void StartAndWait(const char* application, char* commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(application, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        return;
    }
    CloseHandle(started.hThread);
    WaitAndClose(started.hProcess);
}

// Runs one entry and waits for it. An entry whose whole text names an
// existing file is that file, blanks and all; any other entry is split by its
// quotes or its program extension, and the program is always named whole, in
// quotes. A batch file runs through the system's own cmd.exe, whichever road
// the entry took; cmd expands "%" even inside quotes, so a batch file whose
// name holds one is not run at all. Its arguments are cmd's to read, as the
// user wrote them. On the shell road the shell shows no box of its own: a
// file that cannot be opened is passed over, and an unattended exit never
// waits for someone to answer a box.
void RunEntry(const char* text, bool direct)
{
    if (!text || text[0] == '\0') return;
    char program[MAX_PATH];
    const char* arguments = "";
    const DWORD attributes = GetFileAttributesA(text);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CopyText(program, sizeof program, text);  // a slot always fits
    } else if (!(arguments = SplitProgramEntry(text, program, sizeof program))) {
        return;
    }
    char commandLine[CommandLineSize];
    if (IsBatchName(program)) {
        char shell[MAX_PATH];
        const UINT folder = GetSystemDirectoryA(shell, sizeof shell - sizeof CommandShellName);
        if (ContainsText(program, "%") || folder == 0 || folder >= sizeof shell - sizeof CommandShellName) return;
        CopyText(shell + folder, sizeof shell - folder, CommandShellName);
        if (JoinText(commandLine, sizeof commandLine, {BatchCommandStart, program, "\" ", arguments, "\""})) {
            StartAndWait(shell, commandLine);
        }
    } else if (direct) {
        if (JoinText(commandLine, sizeof commandLine, {"\"", program, "\" ", arguments})) {
            StartAndWait(nullptr, commandLine);
        }
    } else {
        SHELLEXECUTEINFOA request = {};
        request.cbSize = sizeof request;
        request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        request.hwnd = State.MainWindow;  // none yet when the exit runs at start-up
        request.lpFile = program;
        request.lpParameters = arguments[0] != '\0' ? arguments : nullptr;
        request.nShow = SW_SHOWNORMAL;
        // A file that went to an already running program reports no process.
        if (ShellExecuteExA(&request) && request.hProcess) WaitAndClose(request.hProcess);
    }
}
}  // namespace

void RunProgramsBeforeExit()
{
    // An empty slot starts nothing on either road.
    for (const char* slot : State.ProgramPath) RunEntry(slot, HasProgramExtension(slot));
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

void RunProgramDirect(const char* text) { RunEntry(text, true); }

void RunProgramByShell(const char* text) { RunEntry(text, false); }
