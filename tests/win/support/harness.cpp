// Message-box capture, dialog scripting and message pumping for the win tests.
#include "support/harness.h"

#include "app/main_window.h"
#include "app/startup.h"
#include "state/program_state.h"
#include "support/recorder.h"
#include "system/system_actions.h"

#include <cstring>
#include <deque>

namespace {
struct HarnessData {
    HHOOK hook = nullptr;
    std::deque<int> boxAnswers;
    std::vector<Harness::Box> boxes;
    std::vector<UINT> beeps;
    std::deque<Harness::DialogScript> scripts;
    Harness::BoxChooser chooser;
    int boxDepth = 0;          // MessageBoxA calls in progress
    UINT lastBeep = ~0u;
};
HarnessData Data;

using MessageBoxFn = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
using MessageBeepFn = BOOL(WINAPI*)(UINT);
MessageBoxFn RealMessageBox = nullptr;
MessageBeepFn RealMessageBeep = nullptr;

using SetTimerFn = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
using KillTimerFn = BOOL(WINAPI*)(HWND, UINT_PTR);
SetTimerFn RealSetTimer = nullptr;
KillTimerFn RealKillTimer = nullptr;
int LiveTimers = 0;

UINT_PTR WINAPI CountingSetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC proc)
{
    UINT_PTR made = RealSetTimer(window, id, ms, proc);
    if (made && !window) ++LiveTimers;
    return made;
}

BOOL WINAPI CountingKillTimer(HWND window, UINT_PTR id)
{
    BOOL killed = RealKillTimer(window, id);
    if (killed && !window) --LiveTimers;
    return killed;
}

constexpr UINT_PTR ScriptTimerId = 0x5C01;
constexpr int BoxTextId = 0xFFFF;

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsDialogClass(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

int WINAPI RecordingMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags)
{
    Harness::Box box;
    box.text = text ? text : "";
    box.caption = caption ? caption : "";
    box.flags = flags;
    box.hadOwner = owner != nullptr;
    box.beepBefore = Data.lastBeep;
    box.timedExitArmed = State.TimerRunning != 0;
    Data.lastBeep = ~0u;
    Data.boxes.push_back(box);
    size_t index = Data.boxes.size() - 1;
    ++Data.boxDepth;
    int result = RealMessageBox(owner, text, caption, flags);
    --Data.boxDepth;
    if (index < Data.boxes.size()) Data.boxes[index].answer = result;
    return result;
}

BOOL WINAPI RecordingMessageBeep(UINT type)
{
    Data.beeps.push_back(type);
    Data.lastBeep = type;
    return TRUE;  // the test machine stays quiet
}

void AnswerBox(HWND box)
{
    Harness::Box* seen = Data.boxes.empty() ? nullptr : &Data.boxes.back();
    if (seen) {
        seen->shownCaption = WindowText(box);
        seen->shownText = WindowText(GetDlgItem(box, BoxTextId));
    }
    if (Data.boxAnswers.empty() && Data.chooser && seen) {
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(Data.chooser(*seen)), 0);
        return;
    }
    if (Data.boxAnswers.empty()) {
        ADD_FAILURE() << "unexpected message box: \"" << (seen ? seen->text : WindowText(box)) << "\"";
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
    }
    int answer = Data.boxAnswers.front();
    Data.boxAnswers.pop_front();
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
}

// A modal dialog that no script expected fails the test and is ended, so
// that the test goes on instead of waiting in its modal loop for ever.
void FailUnexpectedDialog(HWND dialog)
{
    ADD_FAILURE() << "unexpected dialog \"" << WindowText(dialog) << "\"";
    EndDialog(dialog, IDCANCEL);
}

void CALLBACK RunScriptWhenVisible(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    if (!IsWindowVisible(dialog)) return;
    KillTimer(dialog, id);
    if (Data.scripts.empty()) return FailUnexpectedDialog(dialog);
    Harness::DialogScript script = std::move(Data.scripts.front());
    Data.scripts.pop_front();
    script(dialog);
}

// Without a script only the modeless countdown window may open.
void CALLBACK CheckUnscriptedDialog(HWND dialog, UINT, UINT_PTR id, DWORD)
{
    if (!IsWindowVisible(dialog)) return;
    KillTimer(dialog, id);
    if (dialog != State.CountdownWindow) FailUnexpectedDialog(dialog);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogClass(window) && !GetPropA(window, "DorvaSeen")) {
            SetPropA(window, "DorvaSeen", reinterpret_cast<HANDLE>(1));
            if (Data.boxDepth > 0 && GetDlgItem(window, BoxTextId)) {
                AnswerBox(window);
            } else if (GetWindow(window, GW_OWNER) || !GetParent(window)) {
                // Modal dialogs and the modeless countdown window alike: only
                // a queued script touches them, the countdown has none.
                SetTimer(window, ScriptTimerId, 10,
                         Data.scripts.empty() ? CheckUnscriptedDialog : RunScriptWhenVisible);
            }
        }
    }
    return CallNextHookEx(Data.hook, code, wParam, lParam);
}

// Every replacement made, with the function it replaced: patching a slot with
// what it already holds returns that function again, so that a second patch
// never makes a replacement call itself.
struct Patch {
    ULONG_PTR* slot;
    ULONG_PTR replacement;
    ULONG_PTR replaced;
};
std::vector<Patch> Patches;

void* SwapSlot(ULONG_PTR* slot, ULONG_PTR replacement)
{
    const ULONG_PTR current = *slot;
    for (const Patch& patch : Patches) {
        if (current == replacement && patch.slot == slot && patch.replacement == replacement) {
            return reinterpret_cast<void*>(patch.replaced);
        }
    }
    Patches.push_back({slot, replacement, current});
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = replacement;
    VirtualProtect(slot, sizeof *slot, old, &old);
    return reinterpret_cast<void*>(current);
}
}  // namespace

namespace Harness {

void* PatchImport(const char* dll, const char* name, void* replacement)
{
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress) return nullptr;
    auto desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), dll) != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
            return SwapSlot(&slots->u1.Function, reinterpret_cast<ULONG_PTR>(replacement));
        }
    }
    return nullptr;
}

bool CountThreadTimers()
{
    LiveTimers = 0;
    if (!RealSetTimer) {
        RealSetTimer = reinterpret_cast<SetTimerFn>(
            PatchImport("user32.dll", "SetTimer", reinterpret_cast<void*>(CountingSetTimer)));
        RealKillTimer = reinterpret_cast<KillTimerFn>(
            PatchImport("user32.dll", "KillTimer", reinterpret_cast<void*>(CountingKillTimer)));
    }
    return RealSetTimer && RealKillTimer;
}

int LiveThreadTimers() { return LiveTimers; }

void Install()
{
    if (!RealMessageBox) {
        RealMessageBox = reinterpret_cast<MessageBoxFn>(
            PatchImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(RecordingMessageBox)));
        RealMessageBeep = reinterpret_cast<MessageBeepFn>(
            PatchImport("user32.dll", "MessageBeep", reinterpret_cast<void*>(RecordingMessageBeep)));
        if (!RealMessageBox) RealMessageBox = MessageBoxA;
        if (!RealMessageBeep) RealMessageBeep = MessageBeep;
    }
    Data.boxAnswers.clear();
    Data.boxes.clear();
    Data.beeps.clear();
    Data.scripts.clear();
    Data.chooser = nullptr;
    Data.lastBeep = ~0u;
    if (!Data.hook) Data.hook = SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

void Uninstall()
{
    if (Data.hook) UnhookWindowsHookEx(Data.hook);
    Data.hook = nullptr;
}

void AnswerBoxes(std::initializer_list<int> answers)
{
    for (int answer : answers) Data.boxAnswers.push_back(answer);
}
void AnswerOtherBoxes(BoxChooser chooser) { Data.chooser = std::move(chooser); }
const std::vector<Box>& Boxes() { return Data.boxes; }
int BoxesOpen() { return Data.boxDepth; }
void ClearBoxes() { Data.boxes.clear(); }

void ExpectErrorBox(const Box& box, const std::string& text, UINT beep)
{
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.flags, 0x10030u);
    EXPECT_EQ(box.beepBefore, beep);
    EXPECT_FALSE(box.hadOwner);
}
int PendingBoxAnswers() { return static_cast<int>(Data.boxAnswers.size()); }
const std::vector<UINT>& Beeps() { return Data.beeps; }

void OnNextDialog(DialogScript script) { Data.scripts.push_back(std::move(script)); }
int PendingDialogScripts() { return static_cast<int>(Data.scripts.size()); }
void ForgetDialogScripts() { Data.scripts.clear(); }
void DropDialogScripts() { Data.scripts.clear(); }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Keep the quit for whoever asked: tests read it with PeekMessage.
                PostQuitMessage(static_cast<int>(message.wParam));
                return done();
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }
void SetItemText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool MayWriteMachineKey()
{
    // Only administrators may make keys under SOFTWARE; opening it for that
    // asks for the right without writing anything.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

SharedLock::SharedLock(const char* name) : mutex_(CreateMutexA(nullptr, FALSE, name))
{
    // An abandoned lock (a test process that crashed) is granted too.
    if (mutex_) WaitForSingleObject(mutex_, INFINITE);
}

SharedLock::~SharedLock()
{
    if (!mutex_) return;
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

}  // namespace Harness

void DorvaTest::SetUp()
{
    ResetProgramState();
    SetDefaults();
    State.Instance = GetModuleHandleA(nullptr);
    Recorder::Reset();
    Harness::Install();
}

void DorvaTest::TearDown()
{
    EXPECT_EQ(Harness::PendingBoxAnswers(), 0) << "expected message boxes did not appear";
    EXPECT_EQ(Harness::PendingDialogScripts(), 0) << "expected dialogs did not open";
    for (UINT_PTR id : {State.ExitTimerId, State.WarnTimerId}) {
        if (id) SysKillTimer(nullptr, id);
    }
    if (State.TrayRetryTimerId) KillTimer(nullptr, State.TrayRetryTimerId);
    if (State.CountdownWindow && IsWindow(State.CountdownWindow)) DestroyWindow(State.CountdownWindow);
    if (State.MainWindow && IsWindow(State.MainWindow)) {
        UnregisterHotKey(State.MainWindow, HotkeyId);
        DestroyWindow(State.MainWindow);
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    Harness::Uninstall();
}

void DorvaTest::CreateMainWindowAndMenus()
{
    RegisterMainWindowClass();
    CreateMainWindow();
    LoadMenus();
}
