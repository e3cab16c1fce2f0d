// The programs run, one after another, before the exit: a program is started
// directly, any other file is opened by the shell, a batch file is run by
// cmd.exe itself, and each is waited for, as long as it runs, unless the user
// stops waiting (and with it the exit).
#include "exit/run_programs.h"

#include "core/program_list.h"
#include "core/text.h"
#include "presence/tray_icon.h"
#include "state/program_state.h"
#include "system/system_actions.h"

#include <shellapi.h>

#include <cstring>


namespace {
// Room for cmd.exe's path, a batch file's path and the arguments of an entry.
constexpr size_t CommandLineSize = 4 * MAX_PATH;
constexpr char CommandShellName[] = "\\cmd.exe";
// cmd.exe without AutoRun commands and without delayed expansion; /s makes it
// strip exactly the outer pair of quotes around what follows /c, so that the
// batch file's name stays quoted and "&", "|", "<", ">", "^" or "(" in it are
// part of the name, not commands of their own.
constexpr char BatchCommandStart[] = "cmd.exe /d /v:off /s /c \"\"";

// While the exit waits, the tip says for what, and a click asks whether to
// stop waiting.
constexpr char WaitingTipStart[] = "Waiting for ";
constexpr char WaitingTipEnd[] = " to end";
constexpr size_t WaitingNameSize = sizeof State.TrayData.szTip - sizeof WaitingTipStart - sizeof WaitingTipEnd + 2;
constexpr char StopWaitingQuestion[] = "Stop waiting and cancel the exit ?";
constexpr char StopWaitingCaption[] = "Confirm";
constexpr UINT StopWaitingFlags = MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL;
// The wait wakes for messages sent to the program's windows and for those
// posted that it serves itself.
constexpr DWORD WaitWakeMask = QS_SENDMESSAGE | QS_POSTMESSAGE | QS_HOTKEY;

// The name of a program or document without its folder.
const char* FileNameOf(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at; ++at) {
        if (*at == '\\' || *at == '/' || *at == ':') name = at + 1;
    }
    return name;
}

void ShowWaitingTip(const char* program)
{
    if (!State.TrayIconWanted) return;
    char name[WaitingNameSize];
    CopyText(name, sizeof name, FileNameOf(program));
    char tip[sizeof State.TrayData.szTip];
    JoinText(tip, sizeof tip, {WaitingTipStart, name, WaitingTipEnd});
    ModifyTrayIcon(State.TrayData.hIcon, tip);
}

bool WaitStopped() { return State.ExitStopped || State.ProgramEnding; }

// Meanwhile the messages that other programs send to this program's windows
// are answered (a program that sends a message to every window and waits for
// the answers would otherwise never end), and of those posted to the main
// window the wait serves the ones that can end it: the tray icon's clicks
// (which ask whether to stop waiting), the hotkey (which an exit in progress
// ignores) and a close ("E&xit Program"). The timers and commands stay
// queued for after the exit. True while the wait goes on.
bool ServeWhileWaiting()
{
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    if (!State.MainWindow) return true;  // the exit runs before the window exists
    for (UINT served : {TrayMessage, static_cast<UINT>(WM_HOTKEY), static_cast<UINT>(WM_CLOSE)}) {
        while (!WaitStopped() && PeekMessageA(&message, State.MainWindow, served, served, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    return !WaitStopped();
}

// Waits for a started program to end, however long it runs; false when the
// user stopped waiting first or the program is ending.
bool WaitAndClose(HANDLE process, const char* program)
{
    State.WaitingForProgram = 1;
    ShowWaitingTip(program);
    bool waiting = true;
    while (waiting && MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, WaitWakeMask) == WAIT_OBJECT_0 + 1) {
        waiting = ServeWhileWaiting();
    }
    State.WaitingForProgram = 0;
    CloseHandle(process);
    if (State.TrayIconWanted && !State.ProgramEnding) ShowExitTypeIcon(false);
    return waiting;
}

bool StartAndWait(const char* application, char* commandLine, const char* program)
{
    PROCESS_INFORMATION started = {};
    if (!SysCreateProcess(application, commandLine, &started)) return true;
    CloseHandle(started.hThread);
    return WaitAndClose(started.hProcess, program);
}

// Runs one entry and waits for it. An entry whose whole text names an
// existing file is that file, blanks and all; any other entry is split by its
// quotes or its program extension, and the program is always named whole, in
// quotes. A batch file runs through the system's own cmd.exe, whichever road
// the entry took; cmd expands "%" even inside quotes, so a batch file whose
// name holds one is not run at all. Its arguments are cmd's to read, as the
// user wrote them. On the shell road the shell shows no box of its own: a
// file that cannot be opened is passed over, and an unattended exit never
// waits for someone to answer a box. False when the user stopped waiting.
bool RunEntry(const char* text, bool direct)
{
    if (!text || text[0] == '\0') return true;
    char program[MAX_PATH];
    const char* arguments = "";
    const DWORD attributes = GetFileAttributesA(text);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CopyText(program, sizeof program, text);  // a slot always fits
    } else if (!(arguments = SplitProgramEntry(text, program, sizeof program))) {
        return true;
    }
    char commandLine[CommandLineSize];
    if (IsBatchName(program)) {
        char shell[MAX_PATH];
        const UINT folder = GetSystemDirectoryA(shell, sizeof shell - sizeof CommandShellName);
        if (ContainsText(program, "%") || folder == 0 || folder >= sizeof shell - sizeof CommandShellName) return true;
        CopyText(shell + folder, sizeof shell - folder, CommandShellName);
        if (JoinText(commandLine, sizeof commandLine, {BatchCommandStart, program, "\" ", arguments, "\""})) {
            return StartAndWait(shell, commandLine, program);
        }
    } else if (direct) {
        if (JoinText(commandLine, sizeof commandLine, {"\"", program, "\" ", arguments})) {
            return StartAndWait(nullptr, commandLine, program);
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
        if (ShellExecuteExA(&request) && request.hProcess) return WaitAndClose(request.hProcess, program);
    }
    return true;
}
}  // namespace

bool RunProgramsBeforeExit()
{
    State.ExitStopped = 0;
    // An empty slot starts nothing on either road.
    for (const char* slot : State.ProgramPath) {
        if (!RunEntry(slot, HasProgramExtension(slot))) return false;
    }
    return true;
}

void AskToStopWaiting()
{
    if (State.StopWaitingAsked) return;
    State.StopWaitingAsked = 1;
    const int answer = MessageBoxA(nullptr, StopWaitingQuestion, StopWaitingCaption, StopWaitingFlags);
    State.StopWaitingAsked = 0;
    if (answer == IDYES && State.WaitingForProgram) State.ExitStopped = 1;
}

// A case-sensitive search: the extension counts where it ends a name, at the
// text's end or before the arguments or a closing quote, so that arguments
// after the program do not hide it and a folder named "my.exe.files" makes
// no program of a document in it.
bool HasProgramExtension(const char* text)
{
    for (const char* at = text; at && *at; ++at) {
        for (const char* extension : ProgramExtensions) {
            if (std::strncmp(at, extension, ProgramExtensionLength) != 0) continue;
            const char after = at[ProgramExtensionLength];
            if (after == '\0' || after == ' ' || after == '\t' || after == '"') return true;
        }
    }
    return false;
}

void RunProgramDirect(const char* text) { RunEntry(text, true); }

void RunProgramByShell(const char* text) { RunEntry(text, false); }
