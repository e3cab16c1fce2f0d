// The programs run before an exit, with real processes under Wine: which road
// each slot takes, the order, and that every program is waited for.
#include "core/text.h"
#include "exit/run_programs.h"
#include "exit_test_programs.h"
#include "state/program_state.h"
#include "support/harness.h"

#include <atomic>
#include <string>
#include <thread>

using namespace ExitTestPrograms;

namespace {

struct ExtensionCase {
    const char* text;
    bool program;
};

const ExtensionCase ExtensionCases[] = {
    {"C:\\tools\\backup.exe", true},
    {"C:\\tools\\backup.com", true},
    {"C:\\tools\\nightly.bat", true},
    {"C:\\tools\\old.pif", true},
    {"C:\\tools\\script.cmd", true},
    {"notepad.exe C:\\notes\\today.txt", true},     // arguments after the name
    {"\"C:\\tools\\backup.exe\" /quiet", true},
    {"C:\\my.exe.files\\readme.txt", false},       // a document in a folder named so
    {"C:\\tools\\BACKUP.EXE", false},              // upper case goes to the shell
    {"C:\\tools\\Nightly.Bat", false},
    {"C:\\notes\\today.txt", false},
    {"C:\\tools\\backupexe", false},
    {"C:\\tools\\backup.ex", false},
    {".co", false},
    {"", false},
};

TEST(HasProgramExtension, FindsTheFiveExtensionsCaseSensitivelyWhereANameEnds)
{
    for (const ExtensionCase& c : ExtensionCases) {
        EXPECT_EQ(HasProgramExtension(c.text), c.program) << c.text;
    }
}

class RunProgramsTest : public DorvaTest {
protected:
    void SetUp() override
    {
        DorvaTest::SetUp();
        ScratchDir();
        marker_ = CopyProgram("marker.exe", "marker.exe");
        ASSERT_FALSE(marker_.empty()) << "marker.exe is not next to the test";
        log_ = ScratchDir() + "\\run.log";
    }
    void TearDown() override
    {
        RemoveScratchDir();
        DorvaTest::TearDown();
    }
    void SetSlot(int slot, const std::string& text)
    {
        ASSERT_LT(text.size(), sizeof State.ProgramPath[slot]);
        CopyText(State.ProgramPath[slot], sizeof State.ProgramPath[slot], text.c_str());
    }
    // The direct command line of the marker: quoted program, log, tag, sleep.
    std::string MarkerCommand(const char* tag, int sleepMs)
    {
        return "\"" + marker_ + "\" " + log_ + " " + tag + " " + std::to_string(sleepMs);
    }

    std::string marker_;
    std::string log_;
};

TEST_F(RunProgramsTest, TwoSlotsStartDirectlyWithTheirArgumentsOneAfterTheOther)
{
    SetSlot(0, MarkerCommand("A", 400));
    SetSlot(1, MarkerCommand("B", 0));
    Watchdog watchdog(20000);
    RunProgramsBeforeExit();
    EXPECT_FALSE(watchdog.Fired());
    // A ended before B started, and both had ended when the call returned.
    EXPECT_EQ(ReadLog(log_), "A+ A- B+ B-");
}

TEST_F(RunProgramsTest, AnEmptySlotBetweenTwoIsSkipped)
{
    SetSlot(0, MarkerCommand("A", 200));
    SetSlot(2, MarkerCommand("C", 0));
    Watchdog watchdog(20000);
    RunProgramsBeforeExit();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(ReadLog(log_), "A+ A- C+ C-");
}

TEST_F(RunProgramsTest, ExeWithADocumentArgumentStartsThatProgramWithIt)
{
    // The argument names a text document: the ".exe" still decides the road,
    // and the program gets the document's name (it writes its log there).
    std::string document = ScratchDir() + "\\notes.txt";
    std::string slot = "\"" + marker_ + "\" " + document + " DOC 300";
    ASSERT_TRUE(HasProgramExtension(slot.c_str()));
    SetSlot(0, slot);
    Watchdog watchdog(20000);
    RunProgramsBeforeExit();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(ReadLog(document), "DOC+ DOC-");
}

TEST_F(RunProgramsTest, UpperCaseExeGoesByTheShellAndIsWaitedFor)
{
    std::string upper = CopyProgram("marker.exe", "MARKER.EXE");
    ASSERT_FALSE(upper.empty());
    ASSERT_FALSE(HasProgramExtension(upper.c_str()));
    // The shell road passes no arguments: the marker reads the environment.
    SetEnvironmentVariableA("DORVA_MARKER_LOG", log_.c_str());
    SetEnvironmentVariableA("DORVA_MARKER_TAG", "UP");
    SetEnvironmentVariableA("DORVA_MARKER_SLEEP", "400");
    SetSlot(0, upper);
    SetSlot(1, MarkerCommand("NEXT", 0));
    Watchdog watchdog(20000);
    RunProgramsBeforeExit();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(ReadLog(log_), "UP+ UP- NEXT+ NEXT-");
}

TEST_F(RunProgramsTest, BatchFileRunsDirectlyAndUpperCaseBatchByTheShell)
{
    std::string lower = WriteScratchFile("direct.bat", "@echo off\r\n\"" + marker_ + "\" " + log_ +
                                                           " BAT 300\r\n");
    std::string upper = WriteScratchFile("SHELL.BAT", "@echo off\r\n\"" + marker_ + "\" " + log_ +
                                                          " SHELLBAT 300\r\n");
    ASSERT_TRUE(HasProgramExtension(lower.c_str()));
    ASSERT_FALSE(HasProgramExtension(upper.c_str()));
    SetSlot(0, lower);
    SetSlot(1, upper);
    SetSlot(2, MarkerCommand("LAST", 0));
    Watchdog watchdog(30000);
    RunProgramsBeforeExit();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(ReadLog(log_), "BAT+ BAT- SHELLBAT+ SHELLBAT- LAST+ LAST-");
}

// Entries that the system's command-line rule, cmd.exe or the shell would
// turn into something else: each runs its own program or is passed over, and
// the next slot follows. Decoys wait where a wrong reading would look: the
// first word of a path with blanks, the names between the "&" of a batch
// file's name.
TEST_F(RunProgramsTest, EachEntryRunsItsOwnProgramOrIsPassedOver)
{
    CreateMainWindowAndMenus();
    const std::string dir = ScratchDir();
    CreateDirectoryA((dir + "\\Foo Bar").c_str(), nullptr);
    const std::string spaced = CopyProgram("marker.exe", "Foo Bar\\prog.exe");
    ASSERT_FALSE(CopyProgram("marker.exe", "Foo.exe").empty());
    ASSERT_FALSE(CopyProgram("marker.exe", "probe.exe").empty());
    const std::string batch = WriteScratchFile("Backup&probe&.bat", "@\"" + spaced + "\" " + log_ + " BAT 0\r\n");
    SetEnvironmentVariableA("DORVA_MARKER_LOG", log_.c_str());
    SetEnvironmentVariableA("DORVA_MARKER_TAG", "@");  // the decoys log their own names
    const std::string mainWindow = std::to_string(reinterpret_cast<uintptr_t>(State.MainWindow));
    struct Row {
        std::string slot;
        const char* log;
    };
    const Row rows[] = {
        {spaced, "prog.exe+ prog.exe-"},
        {spaced + " " + log_ + " ARGS 0", "ARGS+ ARGS-"},
        {batch, "BAT+ BAT-"},
        {dir + "\\missing.txt", ""},  // no box of the shell waits for an answer
        // Sends "Eject Removable Media" to the main window and waits for the
        // answer: answered while the exit waits, and not carried out.
        {MarkerCommand("SEND", 0) + " " + mainWindow + " " + std::to_string(IDM_EJECT), "SEND+ SEND-"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.slot);
        DeleteFileA(log_.c_str());
        SetSlot(0, row.slot);
        SetSlot(1, MarkerCommand("NEXT", 0));
        Watchdog watchdog(10000);
        RunProgramsBeforeExit();
        EXPECT_FALSE(watchdog.Fired());
        EXPECT_EQ(ReadLog(log_), std::string(row.log) + (row.log[0] ? " " : "") + "NEXT+ NEXT-");
    }
    EXPECT_EQ(State.EjectFlag, 0) << "a command ran while the exit waited";
}

// Closes the Notepad window that shows `document` once it is visible, from
// another thread: the thread under test waits without serving messages.
class NotepadCloser {
public:
    explicit NotepadCloser(std::string title) : title_(std::move(title)), thread_([this] { Run(); }) {}
    ~NotepadCloser()
    {
        stop_ = true;
        thread_.join();
    }
    bool Closed() const { return closed_; }

private:
    void Run()
    {
        for (DWORD start = GetTickCount(); !stop_ && GetTickCount() - start < 15000; Sleep(50)) {
            HWND window = FindWindowA("Notepad", nullptr);
            if (!window || !IsWindowVisible(window)) continue;
            char text[MAX_PATH] = "";
            GetWindowTextA(window, text, sizeof text);
            if (std::string(text).find(title_) == std::string::npos) continue;
            Sleep(300);  // the caller must still be waiting now
            closed_ = true;
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
    }
    std::string title_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> closed_{false};
    std::thread thread_;
};

TEST_F(RunProgramsTest, TextDocumentOpensInNotepadAndTheExitWaitsUntilItIsClosed)
{
    std::string document = WriteScratchFile("letter.txt", "Dear reader\r\n");
    SetSlot(0, document);
    SetSlot(1, MarkerCommand("AFTER", 0));
    Watchdog watchdog(20000);
    NotepadCloser closer("letter");
    RunProgramsBeforeExit();
    // The closer waits 300 ms after the window shows before it closes it:
    // a call that did not wait for Notepad would be back before that.
    bool closedBeforeReturn = closer.Closed();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_TRUE(closedBeforeReturn) << "returned before Notepad was closed (or it never showed)";
    EXPECT_EQ(FindWindowA("Notepad", nullptr), nullptr);
    EXPECT_EQ(ReadLog(log_), "AFTER+ AFTER-");
}

// The handles open in this process, counted by probing the handle values
// (GetProcessHandleCount is not implemented by Wine).
DWORD CountOpenHandles()
{
    DWORD open = 0, flags = 0;
    for (uintptr_t value = 4; value < 0x10000; value += 4) {
        open += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
    }
    return open;
}

// The launches' process and thread handles are closed after each wait.
TEST_F(RunProgramsTest, NoHandleIsLeftOpenByEitherRoad)
{
    std::string upper = CopyProgram("marker.exe", "MARKER.EXE");
    SetEnvironmentVariableA("DORVA_MARKER_LOG", log_.c_str());
    SetEnvironmentVariableA("DORVA_MARKER_TAG", "UP");
    SetEnvironmentVariableA("DORVA_MARKER_SLEEP", "0");
    Watchdog watchdog(20000);
    // A first launch of each road loads what the roads need for good.
    RunProgramDirect(MarkerCommand("WARM", 0).c_str());
    RunProgramByShell(upper.c_str());
    DWORD before = CountOpenHandles();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 3; ++i) {
        RunProgramDirect(MarkerCommand("D", 0).c_str());
        RunProgramByShell(upper.c_str());
    }
    DWORD after = CountOpenHandles();
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(ReadLog(log_), "WARM+ WARM- UP+ UP- D+ D- UP+ UP- D+ D- UP+ UP- D+ D- UP+ UP-");
    EXPECT_EQ(after, before) << "handles left open by the launches";
}

// Processes started by this test process that are still running.
int RunningChildren()
{
    int children = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        children += entry.th32ParentProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    return children;
}

TEST_F(RunProgramsTest, EmptySlotsStartNothing)
{
    // Handed to the shell, an empty name would open a folder window. Wine's
    // desktop process may be a child already, from the first window made.
    const int before = RunningChildren();
    Watchdog watchdog(5000);
    RunProgramDirect("");
    RunProgramByShell("");
    RunProgramsBeforeExit();
    Harness::PumpFor(500);
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(RunningChildren(), before);
}

}  // namespace
