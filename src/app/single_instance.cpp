// A second start in tray mode (by hand, or by the Run key at logon) would add
// a second icon, a second owner of the hotkey and a second blocker: the tray
// belongs to the first. It is held as a named mutex owned by the GUI thread
// for the rest of the run; the system releases it when the process ends.
// What the second start asks goes to the first as one WM_COPYDATA: the text,
// bounded, and a 32-bit answer, given before any box of the first shows.
// For "/q" the first also sends its armed tip back, as a WM_COPYDATA to a
// message-only window of the second start's thread, which takes it while it
// waits in its own send.
#include "app/single_instance.h"

#include "cmdline/hand_over.h"
#include "core/text.h"
#include "state/program_state.h"
#include "system/on_demand.h"
#include "system/system_actions.h"
#include "timer/scheduler.h"

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

// The tip sent back for "/q", as it arrived.
char QueryTip[sizeof State.TrayData.szTip];

LRESULT CALLBACK QueryAnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != QueryTipKind) return FALSE;
    return TakeHandOverText(data->lpData, data->cbData, QueryTip, sizeof QueryTip);
}

// A window only this process's own sends reach, where the system has them
// (Windows 2000 and later); a hidden one elsewhere. Its class is how the
// running copy knows it.
HWND CreateQueryAnswerWindow()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = QueryAnswerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = QueryAnswerClassName;
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    HWND window = CreateWindowExA(0, QueryAnswerClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    if (!window) {
        window = CreateWindowExA(0, QueryAnswerClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    }
    if (window) AcceptHandOvers(window);
    return window;
}

// The running copy sends its tip only to a window of that class.
void SendQueryTip(HWND to)
{
    char name[sizeof QueryAnswerClassName + 1] = "";
    if (!to || !GetClassNameA(to, name, sizeof name) || lstrcmpA(name, QueryAnswerClassName) != 0) return;
    char tip[sizeof State.TrayData.szTip];
    MakeArmedTip(tip, sizeof tip);
    COPYDATASTRUCT data = {};
    data.dwData = QueryTipKind;
    data.cbData = static_cast<DWORD>(lstrlenA(tip) + 1);
    data.lpData = tip;
    DWORD_PTR ignored = 0;
    SysSendMessageTimeout(to, WM_COPYDATA, reinterpret_cast<WPARAM>(State.MainWindow), reinterpret_cast<LPARAM>(&data),
                          SMTO_ABORTIFHUNG, AnswerWaitMs, &ignored);
}

HandOverAnswer AnswerOf(int code)
{
    HandOverAnswer answer = {};
    answer.code = code;
    return answer;
}

// Every window of the program on this desktop in turn: the tray copy
// answers, an icon-less run says it is none, anything else is passed by.
bool AskEveryCopy(const COPYDATASTRUCT& data, HWND replyTo, HandOverAnswer* answer)
{
    for (HWND window = nullptr; (window = SysFindWindowEx(window, MainClassName, MainClassName)) != nullptr;) {
        DWORD_PTR raw = 0;
        HandOverAnswer got = {};
        if (!SysSendMessageTimeout(window, WM_COPYDATA, reinterpret_cast<WPARAM>(replyTo), reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
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

HandOverAnswer AskRunningCopy(const char* text, bool trayTaken, HWND replyTo)
{
    HandOverAnswer answer = AnswerOf(ExitNotRunning);
    const size_t size = TextLengthN(text, HandOverTextSize) + 1;
    if (size > HandOverTextSize) return AnswerOf(ExitNothingDone);
    COPYDATASTRUCT data = {};
    data.dwData = HandOverKind;
    data.cbData = static_cast<DWORD>(size);
    data.lpData = const_cast<char*>(text);  // only read, by the receiver's copy
    const DWORD start = SysGetTickCount();
    while (!AskEveryCopy(data, replyTo, &answer)) {
        if (!trayTaken || SysGetTickCount() - start >= StartWaitMs) return AnswerOf(ExitNotRunning);
        SysSleep(StartPollMs);
    }
    return answer;
}

HandOverAnswer AskRunningCopyForTip(const char* text, char* tip, size_t tipSize)
{
    QueryTip[0] = '\0';
    HWND window = CreateQueryAnswerWindow();
    const HandOverAnswer answer = AskRunningCopy(text, TrayTaken(), window);
    if (window) DestroyWindow(window);
    MakeQueryText(&answer, QueryTip, tip, tipSize);
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
LRESULT OnHandOverMessage(HWND from, const COPYDATASTRUCT* data)
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
    if (answer.armed && ClassifyRequest(Lowered) == Request::Query) SendQueryTip(from);
    State.HandOverApplying = 0;
    if (State.HeldBoxCount) PostMessageA(State.MainWindow, HeldBoxesMessage, 0, 0);
    return PackAnswer(answer);
}
