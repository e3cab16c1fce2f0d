// The programs run, one after another, before the exit: a program is started
// directly, any other file is opened by the shell, a batch file is run by
// cmd.exe itself, and each is waited for.
#include "exit/run_programs.h"

#include "app/program_state.h"
#include "core/program_list.h"
#include "core/text.h"

#include <shellapi.h>

#include <initializer_list>

namespace {
// Room for cmd.exe's path, a batch file's path and the arguments of an entry.
constexpr size_t CommandLineSize = 4 * MAX_PATH;
constexpr char CommandShellName[] = "\\cmd.exe";
// cmd.exe without AutoRun commands and without delayed expansion; /s makes it
// strip exactly the outer pair of quotes around what follows /c, so that the
// batch file's name stays quoted and "&", "|", "<", ">", "^" or "(" in it are
// part of the name, not commands of their own.
constexpr char BatchCommandStart[] = "cmd.exe /d /v:off /s /c \"\"";

// An entry as it is started: the program and its arguments.
struct Launch {
    char program[MAX_PATH];
    const char* arguments;
};

bool NamesExistingFile(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// An entry whose whole text names an existing file is that file, blanks and
// all; any other entry is split by its quotes or its program extension.
// False when the entry holds no program that can be named.
bool SplitEntry(const char* text, Launch& launch)
{
    if (NamesExistingFile(text)) {
        launch.arguments = "";
        return CopyText(launch.program, sizeof launch.program, text) == TextLengthN(text, MAX_PATH);
    }
    launch.arguments = SplitProgramEntry(text, launch.program, sizeof launch.program);
    return launch.arguments != nullptr;
}

// Joins the parts into `out`; false when they do not all fit.
bool Compose(char* out, size_t outSize, std::initializer_list<const char*> parts)
{
    out[0] = '\0';
    size_t wanted = 0;
    for (const char* part : parts) {
        wanted += TextLengthN(part, outSize);
        if (AppendText(out, outSize, part) != wanted) return false;
    }
    return true;
}

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

// A batch file runs through the system's own cmd.exe with its full path in
// quotes. cmd expands "%" even inside quotes, so a name that holds one is not
// run at all; the arguments are cmd's to read, as the user wrote them.
void RunBatchFile(const Launch& launch)
{
    char batch[MAX_PATH] = "";
    const DWORD found = SearchPathA(nullptr, launch.program, nullptr, sizeof batch, batch, nullptr);
    if (found == 0 || found >= sizeof batch || ContainsText(batch, "%")) return;
    char folder[MAX_PATH] = "";
    const UINT folderLength = GetSystemDirectoryA(folder, sizeof folder);
    char shell[MAX_PATH];
    if (folderLength == 0 || folderLength >= sizeof folder) return;
    if (!Compose(shell, sizeof shell, {folder, CommandShellName})) return;
    char commandLine[CommandLineSize];
    if (!Compose(commandLine, sizeof commandLine, {BatchCommandStart, batch, "\" ", launch.arguments, "\""})) return;
    StartAndWait(shell, commandLine);
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

// The program is started by its own name, in quotes: never by the first words
// of a path with blanks.
void RunProgramDirect(const char* text)
{
    Launch launch;
    if (!text || text[0] == '\0' || !SplitEntry(text, launch)) return;
    if (IsBatchName(launch.program)) {
        RunBatchFile(launch);
        return;
    }
    char commandLine[CommandLineSize];
    if (!Compose(commandLine, sizeof commandLine, {"\"", launch.program, "\" ", launch.arguments})) return;
    StartAndWait(nullptr, commandLine);
}

// The shell shows no box of its own: a file that cannot be opened is passed
// over, and an unattended exit never waits for someone to answer a box.
void RunProgramByShell(const char* text)
{
    Launch launch;
    if (!text || text[0] == '\0' || !SplitEntry(text, launch)) return;
    if (IsBatchName(launch.program)) {
        RunBatchFile(launch);
        return;
    }
    SHELLEXECUTEINFOA request = {};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    request.hwnd = State.MainWindow;  // none yet when the exit runs at start-up
    request.lpFile = launch.program;
    request.lpParameters = launch.arguments[0] != '\0' ? launch.arguments : nullptr;
    request.nShow = SW_SHOWNORMAL;
    // A file that went to an already running program reports no process.
    if (ShellExecuteExA(&request) && request.hProcess) WaitAndClose(request.hProcess);
}
