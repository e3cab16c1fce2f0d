// Performing the exit against the recorder: the request of each exit type,
// the steps each type takes and their order, the confirmation, and the
// Restart Shell road with the configured shell read from the registry.
#include "core/text.h"
#include "exit/perform_exit.h"
#include "exit_test_programs.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"

#include <cstring>
#include <string>

using namespace ExitTestPrograms;

namespace {

const HWND OtherWindow = reinterpret_cast<HWND>(0x5100);
const HWND ShellWindow = reinterpret_cast<HWND>(0x6200);
constexpr char WinlogonKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

std::string Hex(uintptr_t value)
{
    char text[24];
    snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

// The requests made, in a short form; the desktop and shell windows by name.
std::string Requests()
{
    std::string requests;
    auto add = [&requests](const std::string& step) {
        requests += (requests.empty() ? "" : ", ") + step;
    };
    auto window = [](uintptr_t handle) -> std::string {
        if (handle == reinterpret_cast<uintptr_t>(GetDesktopWindow())) return "desktop";
        if (handle == reinterpret_cast<uintptr_t>(ShellWindow)) return "shell";
        return Hex(handle);
    };
    for (int i = 0; i < Recorder::CallCount(); ++i) {
        const RecordedCall& call = Recorder::Call(i);
        std::string name = call.name;
        if (name == "ExitWindowsEx") {
            add("ExitWindowsEx " + Hex(call.arg[0]) + " " + Hex(call.arg[1]));
        } else if (name == "PostMessage") {
            add("PostMessage " + window(call.arg[0]) + " " + Hex(call.arg[1]) + " " + Hex(call.arg[2]) +
                " " + Hex(call.arg[3]));
        } else if (name == "FindWindow") {
            add("FindWindow " + std::string(call.text) + (call.arg[0] ? " named" : ""));
        } else if (name == "WinExec") {
            add("WinExec " + std::string(call.text) + " " + Hex(call.arg[0]));
        } else if (name == "SetSuspendState") {
            add("SetSuspendState " + Hex(call.arg[0]) + " " + Hex(call.arg[1]) + " " + Hex(call.arg[2]));
        } else if (name == "LockWorkStation") {
            add(name);
        } else if (name == "InitiateShutdown") {
            add(name + " " + Hex(call.arg[0]) + " " + Hex(call.arg[1]));
        }
    }
    return requests;
}

// Sets the Winlogon "Shell" value for one test and puts the old one back.
class ShellValue {
public:
    ShellValue()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, WinlogonKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        DWORD size = sizeof saved_;
        hadValue_ = RegQueryValueExA(key_, "Shell", nullptr, &savedType_,
                                     reinterpret_cast<BYTE*>(saved_), &size) == ERROR_SUCCESS;
        savedSize_ = size;
    }
    ~ShellValue()
    {
        if (hadValue_) {
            RegSetValueExA(key_, "Shell", 0, savedType_, reinterpret_cast<BYTE*>(saved_), savedSize_);
        } else {
            RegDeleteValueA(key_, "Shell");
        }
        RegCloseKey(key_);
    }
    void Set(const std::string& text)
    {
        ASSERT_EQ(RegSetValueExA(key_, "Shell", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
    }
    void Remove() { RegDeleteValueA(key_, "Shell"); }

private:
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    DWORD savedType_ = 0;
    DWORD savedSize_ = 0;
    char saved_[1024] = "";
};

class PerformExitTest : public DorvaTest {
protected:
    // Every step has something to do unless the exit type says otherwise.
    void ScriptEverything()
    {
        Recorder::AddWindow({OtherWindow, 0x4444, true, 1, WAIT_TIMEOUT});
        Recorder::AddDrive({'C', DRIVE_FIXED, true, true, 0});
        Recorder::SetShellWindow(ShellWindow);
        Recorder::SetWindowsVersion(6, 2);  // Windows 8: every exit type is there
        State.ForceFlag = 1;
        State.BlockFlag = 1;
    }
    // The marker program in `slot`, to run before the exit: it logs "tag+"
    // and, `sleepMs` later, "tag-" to the log whose path is returned.
    static std::string RunMarkerFirst(int slot, const char* tag, int sleepMs = 0)
    {
        const std::string log = ScratchDir() + "\\" + tag + ".log";
        const std::string marker = CopyProgram("marker.exe", "marker.exe");
        CopyText(State.ProgramPath[slot], sizeof State.ProgramPath[slot],
                 (marker + " " + log + " " + tag + " " + std::to_string(sleepMs)).c_str());
        State.RunBeforeExit = 1;
        return log;
    }
    void TearDown() override
    {
        RemoveScratchDir();
        DorvaTest::TearDown();
    }
};

struct TypeCase {
    int exitType;
    const char* requests;
    bool forceCloses;
    bool drives;
    bool keepsBlock;  // the session goes on: Block Shutdown stays on
};

const TypeCase TypeCases[] = {
    {ExitTypeShutdown, "ExitWindowsEx 1 80000000", true, true},
    {ExitTypeReboot, "ExitWindowsEx 2 80000000", true, true},
    {ExitTypeLogoff, "ExitWindowsEx 0 80000000", true, true},
    {ExitTypePowerOff, "ExitWindowsEx 9 80000000", true, true},
    {ExitTypeHybridShutdown, "ExitWindowsEx 400001 80000000", true, true},
    {ExitTypeBootOptions, "InitiateShutdown 404 80000000", true, true},
    {ExitTypeScreensaver, "PostMessage desktop 112 f140 0", false, false, true},
    {ExitTypeRestartShell,
     "FindWindow Progman, PostMessage shell 12 0 0, WinExec explorer.exe /desktop 5", false, true, true},
    {ExitTypeSleep, "SetSuspendState 0 0 0", false, true, true},
    {ExitTypeHibernate, "SetSuspendState 1 0 0", false, true, true},
    {ExitTypeLock, "LockWorkStation", false, false, true},
    {0, "", false, true},
    {99, "", false, true},
};

TEST_F(PerformExitTest, EachExitTypeMakesItsRequestAfterItsOwnSteps)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    ShellValue shell;
    shell.Set("explorer.exe /desktop");
    for (const TypeCase& c : TypeCases) {
        Recorder::Reset();
        ScriptEverything();
        State.ExitType = c.exitType;
        PerformExit();
        EXPECT_EQ(Requests(), c.requests) << c.exitType;
        EXPECT_EQ(Recorder::CountOf("EnumWindows"), c.forceCloses ? 1 : 0) << c.exitType;
        EXPECT_EQ(Recorder::CountOf("GetLogicalDrives"), c.drives ? 1 : 0) << c.exitType;
        EXPECT_EQ(Recorder::CountOf("FlushFileBuffers"), c.drives ? 1 : 0) << c.exitType;
        EXPECT_EQ(State.BlockFlag, c.keepsBlock ? 1 : 0) << c.exitType;
    }
}

struct RefusalCase {
    int exitType;
    bool missing;      // the system lacks the call (NT 4)
    const char* box;   // what the box says first
    const char* requests;
    bool flushes;
};

// Sleep, hibernation and the lock say so when the system refuses them, with
// the system's reason; a system that lacks them refuses before anything
// else happens, the confirmation included.
TEST_F(PerformExitTest, ARefusedOrMissingPowerActionSaysSo)
{
    const RefusalCase cases[] = {
        {ExitTypeHibernate, false, "Hibernate was refused by Windows:\n", "SetSuspendState 1 0 0", true},
        {ExitTypeLock, false, "Lock was refused by Windows:\n", "LockWorkStation", false},
        {ExitTypeSleep, true, "Sleep is not available on this system", "", false},
        {ExitTypeLock, true, "Lock is not available on this system", "", false},
        {ExitTypeLogoff, false, "Logoff was refused by Windows:\n", "ExitWindowsEx 0 80000000", true},
        {ExitTypeBootOptions, false, "Restart to Boot Options was refused by Windows:\n",
         "InitiateShutdown 404 80000000", true},
        {ExitTypeHybridShutdown, true, "Hybrid Shutdown is not available on this system", "", false},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.box);
        Recorder::Reset();
        Harness::ClearBoxes();
        ScriptEverything();
        Recorder::RefuseExits(ERROR_ACCESS_DENIED);
        Recorder::LackPowerActions(c.missing);
        Recorder::SetWindowsVersion(6, c.missing ? 1 : 2);
        State.ConfirmFlag = 1;
        State.ExitType = c.exitType;
        if (c.missing) {
            Harness::AnswerBoxes({IDOK});
        } else {
            Harness::AnswerBoxes({IDYES, IDOK});
        }
        PerformExit();
        ASSERT_EQ(Harness::Boxes().size(), c.missing ? 1u : 2u);
        const Harness::Box& box = Harness::Boxes().back();
        const std::string words = c.box;
        EXPECT_EQ(box.text.substr(0, words.size()), words);
        EXPECT_EQ(box.text.size() > words.size(), !c.missing) << "the system's reason follows";
        EXPECT_EQ(box.flags, 0x10030u);
        EXPECT_EQ(Requests(), c.requests);
        EXPECT_EQ(Recorder::CountOf("GetLogicalDrives"), c.flushes ? 1 : 0);
        EXPECT_EQ(State.BlockFlag, 1) << "kept, or put back after a refusal";
    }
}

TEST_F(PerformExitTest, NothingAtAllWhileATimedExitIsArmed)
{
    ScriptEverything();
    const std::string log = RunMarkerFirst(0, "P");
    State.ConfirmFlag = 1;  // a box would fail the test: none is answered
    State.TimerRunning = 0x77;
    PerformExit();
    EXPECT_EQ(Recorder::CallCount(), 0);
    EXPECT_TRUE(Harness::Boxes().empty());
    EXPECT_EQ(State.BlockFlag, 1);
    EXPECT_EQ(ReadLog(log), "");

    // Once the timed exit is cancelled the same call performs the exit.
    State.TimerRunning = 0;
    Harness::AnswerBoxes({IDYES});
    PerformExit();
    EXPECT_EQ(ReadLog(log), "P+ P-");
    EXPECT_EQ(Requests(), "ExitWindowsEx 1 80000000");
}

// Without Force Exit no application is closed.
TEST_F(PerformExitTest, ConfirmationAskedWithoutOwnerOrBeepAndYesGoesOn)
{
    ScriptEverything();
    State.ForceFlag = 0;
    State.ConfirmFlag = 1;
    State.ExitType = ExitTypeReboot;
    Harness::AnswerBoxes({IDYES});
    PerformExit();
    ASSERT_EQ(Harness::Boxes().size(), 1u);
    const Harness::Box& box = Harness::Boxes()[0];
    EXPECT_EQ(box.text, "Are you sure you want to exit ?");
    EXPECT_EQ(box.caption, "Confirm");
    EXPECT_EQ(box.flags, 0x1024u);
    EXPECT_FALSE(box.hadOwner);
    EXPECT_EQ(box.beepBefore, ~0u);
    EXPECT_EQ(box.shownCaption, "Confirm");
    EXPECT_TRUE(Harness::Beeps().empty());
    EXPECT_EQ(Recorder::CountOf("EnumWindows"), 0);
    EXPECT_EQ(Requests(), "ExitWindowsEx 2 80000000");
    EXPECT_EQ(State.BlockFlag, 0);
}

TEST_F(PerformExitTest, DeclinedConfirmationTouchesNothingAndKeepsBlock)
{
    ScriptEverything();
    const std::string log = RunMarkerFirst(0, "P");
    State.ConfirmFlag = 1;
    State.EjectFlag = 1;
    Harness::AnswerBoxes({IDNO, IDOK});
    PerformExit();
    ASSERT_EQ(Harness::Boxes().size(), 2u);
    const Harness::Box& box = Harness::Boxes()[1];
    EXPECT_EQ(box.text, "You have chosen not to exit");
    EXPECT_EQ(box.caption, "Abort");
    EXPECT_EQ(box.flags, 0x40u);
    EXPECT_FALSE(box.hadOwner);
    EXPECT_EQ(Recorder::CallCount(), 0);
    EXPECT_EQ(State.BlockFlag, 1);
    EXPECT_EQ(ReadLog(log), "");
}

// A confirmation box that ends as the row says, without a user, and what
// happens while it is open.
struct FakeBox {
    int result;
    bool programEnds;    // "E&xit Program" closes the main window under it
    bool hotkeyPressed;  // the hotkey is pressed again while it is open
    int boxes;           // boxes shown in all
    const char* requests;
};
FakeBox Box;
int FakeBoxCalls = 0;

int WINAPI FakeMessageBox(HWND, LPCSTR, LPCSTR, UINT)
{
    if (++FakeBoxCalls == 1 && Box.programEnds) DestroyWindow(State.MainWindow);
    if (FakeBoxCalls == 1 && Box.hotkeyPressed) SendMessageA(State.MainWindow, WM_HOTKEY, HotkeyId, 0);
    return Box.result;
}

// Only Yes is consent: a box that cannot be shown (0), is cancelled, or ends
// because the program ends under it is a No, and the program on its way out
// shows no second box and keeps its quit message. One exit at a time: the
// hotkey pressed again while the box is open does nothing.
TEST_F(PerformExitTest, OnlyYesIsConsentAndOnlyOnce)
{
    const FakeBox rows[] = {
        {0, false, false, 2, ""},
        {IDCANCEL, false, false, 2, ""},
        {IDCANCEL, true, false, 1, ""},
        {IDYES, false, true, 1, "ExitWindowsEx 0 80000000"},
    };
    for (const FakeBox& row : rows) {
        SCOPED_TRACE(testing::Message() << "result " << row.result << " ending " << row.programEnds);
        CreateMainWindowAndMenus();
        Recorder::Reset();
        State.ConfirmFlag = State.HotkeyFlag = State.HotkeyRegistered = 1;
        State.ExitType = ExitTypeLogoff;
        Box = row;
        FakeBoxCalls = 0;
        void* previous = Harness::PatchImport("user32.dll", "MessageBoxA", reinterpret_cast<void*>(FakeMessageBox));
        PerformExit();
        Harness::PatchImport("user32.dll", "MessageBoxA", previous);
        EXPECT_EQ(Requests(), row.requests);
        EXPECT_EQ(FakeBoxCalls, row.boxes);
        MSG quit;
        EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, row.programEnds);
        DestroyWindow(State.MainWindow);
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        State.ProgramEnding = 0;
    }
}

// The programs run first for every type, the screen saver and a number that
// is no exit type too; neither closes applications, the screen saver touches
// no drive even with Eject on, and the unknown type flushes them but requests
// nothing.
TEST_F(PerformExitTest, ProgramsRunBeforeAScreensaverOrAnUnknownType)
{
    const struct {
        int exitType;
        int slot;
        int flushes;
        const char* requests;
    } cases[] = {{ExitTypeScreensaver, 0, 0, "PostMessage desktop 112 f140 0"}, {45, 1, 1, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exitType);
        Recorder::Reset();
        ScriptEverything();
        const std::string log = RunMarkerFirst(c.slot, "S");
        State.EjectFlag = 1;
        State.ExitType = c.exitType;
        PerformExit();
        EXPECT_EQ(ReadLog(log), "S+ S-");
        EXPECT_EQ(Recorder::CountOf("EnumWindows"), 0);
        EXPECT_EQ(Recorder::CountOf("GetLogicalDrives"), c.flushes);
        EXPECT_EQ(Recorder::CountOf("FlushFileBuffers"), c.flushes);
        if (!c.flushes) EXPECT_EQ(Recorder::CountOf("CreateFile"), 0);
        EXPECT_EQ(State.BlockFlag, c.exitType == ExitTypeScreensaver ? 1 : 0);
        EXPECT_EQ(Requests(), c.requests);
        DeleteFileA(log.c_str());
        State.ProgramPath[c.slot][0] = '\0';
    }
}

// What the world looked like when the steps reached the recorder.
struct Sightings {
    std::string logPath;
    std::string logAtBox = "unset";
    std::string logAtForceClose = "unset";
    int blockAtDrives = -1;
    int blockAtRequest = -1;
};
Sightings Seen;

int WINAPI ObservingMessageBox(HWND, LPCSTR, LPCSTR, UINT)
{
    Seen.logAtBox = ReadLog(Seen.logPath);
    return IDYES;
}

void ObserveCall(const RecordedCall& call)
{
    std::string name = call.name;
    if (name == "EnumWindows") Seen.logAtForceClose = ReadLog(Seen.logPath);
    if (name == "GetLogicalDrives") Seen.blockAtDrives = State.BlockFlag;
    if (name == "ExitWindowsEx") Seen.blockAtRequest = State.BlockFlag;
}

TEST_F(PerformExitTest, StepsRunInTheirOrder)
{
    ScriptEverything();
    Seen.logPath = RunMarkerFirst(0, "P", 300);
    State.ConfirmFlag = 1;
    State.ExitType = ExitTypePowerOff;
    Recorder::OnCall(ObserveCall);
    void* previous = Harness::PatchImport("user32.dll", "MessageBoxA",
                                          reinterpret_cast<void*>(ObservingMessageBox));
    ASSERT_NE(previous, nullptr);
    PerformExit();
    Harness::PatchImport("user32.dll", "MessageBoxA", previous);
    Recorder::OnCall(nullptr);

    EXPECT_EQ(Seen.logAtBox, "");              // confirmation before the programs
    EXPECT_EQ(Seen.logAtForceClose, "P+ P-");  // the program had ended before the force-close
    int force = Recorder::IndexOf("EnumWindows");
    int drives = Recorder::IndexOf("GetLogicalDrives");
    int request = Recorder::IndexOf("ExitWindowsEx");
    ASSERT_GE(force, 0);
    EXPECT_LT(force, drives);
    EXPECT_LT(drives, request);
    int send = Recorder::IndexOf("SendMessageTimeout");  // the closing happens inside the walk
    EXPECT_GT(send, force);
    EXPECT_LT(send, drives);
    EXPECT_EQ(Seen.blockAtDrives, 1);   // Block is cleared after the drives...
    EXPECT_EQ(Seen.blockAtRequest, 0);  // ...and before the request
    EXPECT_EQ(Requests(), "ExitWindowsEx 9 80000000");
}

TEST_F(PerformExitTest, RestartShellWithoutAShellWindowPostsNoQuitButStartsTheShell)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    ShellValue shell;
    shell.Set("C:\\shells\\myshell.exe -restart");
    ScriptEverything();
    Recorder::SetShellWindow(nullptr);
    State.ExitType = ExitTypeRestartShell;
    PerformExit();
    // Posted to no window the quit would end this program.
    EXPECT_EQ(Requests(), "FindWindow Progman, WinExec C:\\shells\\myshell.exe -restart 5");
}

TEST_F(PerformExitTest, RestartShellFlushesAndEjectsButClosesNoApplication)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    ShellValue shell;
    shell.Set("explorer.exe");
    ScriptEverything();
    Recorder::AddDrive({'D', DRIVE_CDROM, true, true, 0});
    State.EjectFlag = 1;
    State.ExitType = ExitTypeRestartShell;
    PerformExit();
    EXPECT_EQ(Recorder::CountOf("EnumWindows"), 0);
    EXPECT_EQ(Recorder::CountOf("FlushFileBuffers"), 1);
    EXPECT_EQ(Recorder::CountOf("DeviceIoControl"), 4);
    EXPECT_EQ(Requests(), "FindWindow Progman, PostMessage shell 12 0 0, WinExec explorer.exe 5");
    EXPECT_EQ(State.BlockFlag, 1);
}

// Where Winlogon names no shell, Explorer starts; a shell that cannot be read
// leaves the running one alone, and one that cannot start says why.
TEST_F(PerformExitTest, RestartShellReadsTheShellFirstAndSaysWhatFails)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    ShellValue shell;
    const std::string tooLong(300, 'x');  // longer than the 260 bytes read
    const char* const explorer = "FindWindow Progman, PostMessage shell 12 0 0, WinExec explorer.exe 5";
    const struct {
        const char *value, *requests, *box;  // a box after a request: the shell did not start
    } cases[] = {
        {nullptr, explorer, nullptr},
        {"", explorer, nullptr},
        {tooLong.c_str(), "", "Restart Shell could not read the shell to start:\n"},
        {"C:\\gone\\shell.exe", "FindWindow Progman, PostMessage shell 12 0 0, WinExec C:\\gone\\shell.exe 5",
         "Restart Shell could not start C:\\gone\\shell.exe:\n"},
    };
    for (const auto& c : cases) {
        if (c.value) {
            shell.Set(c.value);
        } else {
            shell.Remove();
        }
        Recorder::Reset();
        Harness::ClearBoxes();
        if (c.box) Harness::AnswerBoxes({IDOK});
        Recorder::SetShellWindow(ShellWindow);
        Recorder::SetWinExecResult(c.box && c.requests[0] ? ERROR_FILE_NOT_FOUND : 33);
        State.ExitType = ExitTypeRestartShell;
        PerformExit();
        EXPECT_EQ(Requests(), c.requests) << (c.value ? std::to_string(std::strlen(c.value)) + " characters" : "no value");
        ASSERT_EQ(Harness::Boxes().size(), c.box ? 1u : 0u);
        if (c.box) EXPECT_EQ(Harness::Boxes()[0].text.find(c.box), 0u) << "then the system's reason";
    }
}

TEST_F(PerformExitTest, RestartShellTakesAShellOfTheFullLength)
{
    if (!Harness::MayWriteMachineKey()) GTEST_SKIP() << Harness::NeedsAdministrator;
    ShellValue shell;
    const std::string longest(259, 'y');  // 259 characters and the terminator: 260 bytes
    shell.Set(longest);
    Recorder::SetShellWindow(ShellWindow);
    State.ExitType = ExitTypeRestartShell;
    PerformExit();
    const RecordedCall* start = Recorder::Find("WinExec");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(std::string(start->text), longest);
}

}  // namespace
