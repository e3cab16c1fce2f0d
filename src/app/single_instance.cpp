// A second start in tray mode (by hand, or by the Run key at logon) would add
// a second icon, a second owner of the hotkey and a second blocker: the tray
// belongs to the first. It is held as a named mutex owned by the GUI thread
// for the rest of the run; the system releases it when the process ends.
// What the second start asks goes to the first as one WM_COPYDATA: the text,
// bounded, and a 32-bit answer, given before any box of the first shows.
#include "app/single_instance.h"

#include "cmdline/hand_over.h"
#include "core/text.h"
#include "state/program_state.h"
#include "system/on_demand.h"
#include "system/system_actions.h"

namespace {
// In the session's own namespace, so that each logged-on user has one; NT 4
// without Terminal Services knows no namespaces and takes the plain name.
constexpr char SessionMutexName[] = "Local\\Tarnwick.DorvaNT.Tray";
constexpr const char* PlainMutexName = SessionMutexName + sizeof "Local\\" - 1;  // "Tarnwick.DorvaNT.Tray"

constexpr DWORD AnswerWaitMs = 5000;
constexpr DWORD StartWaitMs = 5000;
constexpr DWORD StartPollMs = 100;

// The hand-over being applied as it arrived, and lower-cased in a copy.
char Received[HandOverTextSize];
char Lowered[HandOverTextSize];

HandOverAnswer AnswerOf(int code)
{
    HandOverAnswer answer = {};
    answer.code = code;
    return answer;
}

// Every window of the program on this desktop in turn: the tray copy
// answers, an icon-less run says it is none, anything else is passed by.
bool AskEveryCopy(const COPYDATASTRUCT& data, HandOverAnswer* answer)
{
    for (HWND window = nullptr; (window = SysFindWindowEx(window, MainClassName, MainClassName)) != nullptr;) {
        DWORD_PTR raw = 0;
        HandOverAnswer got = {};
        if (!SysSendMessageTimeout(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                   AnswerWaitMs, &raw)) {
            continue;
        }
        if (UnpackAnswer(raw, &got) && got.code != ExitNotRunning) {
            *answer = got;
            return true;
        }
    }
    return false;
}
}  // namespace

bool ClaimTray()
{
    HANDLE mutex = SysCreateMutex(SessionMutexName);
    if (!mutex) mutex = SysCreateMutex(PlainMutexName);
    if (!mutex) return true;  // nothing to hold: run rather than not at all
    const DWORD claimed = SysWaitForSingleObject(mutex, 0);
    if (claimed == WAIT_OBJECT_0 || claimed == WAIT_ABANDONED) return true;
    SysCloseHandle(mutex);
    return false;
}

bool TrayTaken()
{
    HANDLE mutex = SysOpenMutex(SessionMutexName);
    if (!mutex) mutex = SysOpenMutex(PlainMutexName);
    if (!mutex) return false;
    SysCloseHandle(mutex);
    return true;
}

HandOverAnswer AskRunningCopy(const char* text, bool trayTaken)
{
    HandOverAnswer answer = AnswerOf(ExitNotRunning);
    const size_t size = TextLengthN(text, HandOverTextSize) + 1;
    if (size > HandOverTextSize) return AnswerOf(ExitNothingDone);
    COPYDATASTRUCT data = {};
    data.dwData = HandOverKind;
    data.cbData = static_cast<DWORD>(size);
    data.lpData = const_cast<char*>(text);  // only read, by the receiver's copy
    const DWORD start = SysGetTickCount();
    while (!AskEveryCopy(data, &answer)) {
        if (!trayTaken || SysGetTickCount() - start >= StartWaitMs) return AnswerOf(ExitNotRunning);
        SysSleep(StartPollMs);
    }
    return answer;
}

// Windows 7 and later filter one window's messages, Vista the process's;
// older systems filter none.
void AcceptHandOvers(HWND window)
{
    using FilterWindowFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
    constexpr DWORD Allow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for Vista's call
    if (auto filter = reinterpret_cast<FilterWindowFn>(SystemFunction("user32.dll", "ChangeWindowMessageFilterEx"))) {
        filter(window, WM_COPYDATA, Allow, nullptr);
    } else if (auto all = reinterpret_cast<FilterFn>(SystemFunction("user32.dll", "ChangeWindowMessageFilter"))) {
        all(WM_COPYDATA, Allow);
    }
}

// What arrives is as hostile as any command line: a text that does not fit
// whole, or that arrives while one is being applied, is refused.
LRESULT OnHandOverMessage(const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != HandOverKind) return 0;
    // An icon-less run is not the copy in the tray: the second start looks on.
    if (State.NoIconMode) return PackAnswer(AnswerOf(ExitNotRunning));
    if (State.HandOverApplying || !TakeHandOverText(data->lpData, data->cbData, Received, sizeof Received)) {
        return PackAnswer(AnswerOf(ExitNothingDone));
    }
    CopyText(Lowered, sizeof Lowered, Received);
    CharLowerA(Lowered);
    State.HandOverApplying = 1;
    const HandOverAnswer answer = ApplyHandOver(Lowered, Received);
    State.HandOverApplying = 0;
    if (State.HeldBoxCount) PostMessageA(State.MainWindow, HeldBoxesMessage, 0, 0);
    return PackAnswer(answer);
}
