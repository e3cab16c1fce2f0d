// Force-closing other applications before a session ends, against the
// recorder: the message, its time-out, the wait, the termination and the
// handle, for each way a window can answer.
#include "exit/perform_exit.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"

#include <string>

namespace {

const HWND OtherWindow = reinterpret_cast<HWND>(0x5100);
constexpr DWORD OtherProcess = 0x4444;

// The recorded force-close work in a short form.
std::string ForceCloseWork()
{
    std::string work;
    auto add = [&work](const std::string& step) { work += (work.empty() ? "" : ", ") + step; };
    for (int i = 0; i < Recorder::CallCount(); ++i) {
        const RecordedCall& call = Recorder::Call(i);
        std::string name = call.name;
        if (name == "OpenProcess") {
            add("open " + std::to_string(call.arg[2]));
        } else if (name == "SendMessageTimeout") {
            add("send " + std::to_string(call.arg[0]));
        } else if (name == "WaitForSingleObject") {
            add("wait " + std::to_string(call.arg[1]));
        } else if (name == "TerminateProcess") {
            add("terminate " + std::to_string(call.arg[1]));
        } else if (name == "CloseHandle") {
            add("close");
        }
    }
    return work;
}

struct AnswerCase {
    const char* what;
    bool canOpen;
    LRESULT sendResult;
    DWORD waitResult;
    const char* work;
};

// Window 0x5100 = 20736, process 0x4444 = 17476.
const AnswerCase AnswerCases[] = {
    {"answers at once", true, 1, WAIT_TIMEOUT, "open 17476, send 20736, close"},
    {"send fails, process ends within the wait", true, 0, WAIT_OBJECT_0,
     "open 17476, send 20736, wait 500, close"},
    {"send fails, process does not end", true, 0, WAIT_TIMEOUT,
     "open 17476, send 20736, wait 500, terminate 0, close"},
    {"send fails, the wait fails", true, 0, WAIT_FAILED,
     "open 17476, send 20736, wait 500, terminate 0, close"},
    {"cannot be opened, answers", false, 1, WAIT_TIMEOUT, "open 17476, send 20736"},
    {"cannot be opened, send fails", false, 0, WAIT_TIMEOUT, "open 17476, send 20736"},
};

class ForceCloseTest : public DorvaTest {};

TEST_F(ForceCloseTest, EachWayOfAnsweringGetsItsTreatment)
{
    for (const AnswerCase& c : AnswerCases) {
        Recorder::Reset();
        Recorder::AddWindow({OtherWindow, OtherProcess, c.canOpen, c.sendResult, c.waitResult});
        EXPECT_TRUE(ForceCloseWindow(OtherWindow, 0)) << c.what;
        EXPECT_EQ(ForceCloseWork(), c.work) << c.what;
    }
}

TEST_F(ForceCloseTest, OpensWithSynchronizeAndTerminateNotInheritable)
{
    Recorder::AddWindow({OtherWindow, OtherProcess, true, 0, WAIT_TIMEOUT});
    ForceCloseWindow(OtherWindow, 0);
    const RecordedCall* open = Recorder::Find("OpenProcess");
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->arg[0], 0x00100001u);
    EXPECT_EQ(open->arg[1], 0u);
    EXPECT_EQ(open->arg[2], OtherProcess);
}

TEST_F(ForceCloseTest, SendsEndSessionTrueWithAbortIfHungAndHalfASecond)
{
    Recorder::AddWindow({OtherWindow, OtherProcess, true, 0, WAIT_TIMEOUT});
    ForceCloseWindow(OtherWindow, 0);
    const RecordedCall* send = Recorder::Find("SendMessageTimeout");
    const RecordedCall* flags = Recorder::Find("SendMessageTimeout.flags");
    ASSERT_NE(send, nullptr);
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(send->arg[0], reinterpret_cast<uintptr_t>(OtherWindow));
    EXPECT_EQ(send->arg[1], static_cast<uintptr_t>(WM_ENDSESSION));
    EXPECT_EQ(send->arg[2], 1u);
    EXPECT_EQ(send->arg[3], 0u);
    EXPECT_EQ(flags->arg[0], static_cast<uintptr_t>(SMTO_ABORTIFHUNG));
    EXPECT_EQ(flags->arg[1], 500u);
    EXPECT_EQ(Recorder::CountOf("SendMessageTimeout"), 1);  // no query first
    // The wait and the termination are on the handle that was opened.
    const RecordedCall* wait = Recorder::Find("WaitForSingleObject");
    const RecordedCall* terminate = Recorder::Find("TerminateProcess");
    const RecordedCall* close = Recorder::Find("CloseHandle");
    ASSERT_TRUE(wait && terminate && close);
    EXPECT_EQ(terminate->arg[0], wait->arg[0]);
    EXPECT_EQ(close->arg[0], wait->arg[0]);
    EXPECT_NE(wait->arg[0], 0u);
}

TEST_F(ForceCloseTest, TheProgramsOwnWindowsAreLeftAlone)
{
    Recorder::AddWindow({OtherWindow, GetCurrentProcessId(), true, 0, WAIT_TIMEOUT});
    EXPECT_TRUE(ForceCloseWindow(OtherWindow, 0));
    EXPECT_EQ(Recorder::CallCount(), 0);
}

TEST_F(ForceCloseTest, ShutdownWithForceVisitsEveryTopLevelWindowOncePerWindow)
{
    const HWND own = reinterpret_cast<HWND>(0x5200);
    const HWND hung = reinterpret_cast<HWND>(0x5300);
    const HWND second = reinterpret_cast<HWND>(0x5400);  // same process as `hung`
    Recorder::AddWindow({OtherWindow, OtherProcess, true, 1, WAIT_TIMEOUT});
    Recorder::AddWindow({own, GetCurrentProcessId(), true, 0, WAIT_TIMEOUT});
    Recorder::AddWindow({hung, 0x5555, true, 0, WAIT_TIMEOUT});
    Recorder::AddWindow({second, 0x5555, true, 0, WAIT_TIMEOUT});
    State.ExitType = ExitTypeShutdown;
    State.ForceFlag = 1;
    PerformExit();
    const RecordedCall* enumerate = Recorder::Find("EnumWindows");
    ASSERT_NE(enumerate, nullptr);
    EXPECT_EQ(enumerate->arg[0], 0u);
    EXPECT_EQ(ForceCloseWork(),
              "open 17476, send 20736, close, "
              "open 21845, send 21248, wait 500, terminate 0, close, "
              "open 21845, send 21504, wait 500, terminate 0, close");
    // The request itself never forces: this step did that job.
    const RecordedCall* request = Recorder::Find("ExitWindowsEx");
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->arg[0] & EWX_FORCE, 0u);
}

TEST_F(ForceCloseTest, LogoffWithForceClosesApplicationsAsShutdownDoes)
{
    std::string work[2];
    int types[2] = {ExitTypeShutdown, ExitTypeLogoff};
    for (int i = 0; i < 2; ++i) {
        Recorder::Reset();
        Recorder::AddWindow({OtherWindow, OtherProcess, true, 0, WAIT_TIMEOUT});
        State.ExitType = types[i];
        State.ForceFlag = 1;
        PerformExit();
        work[i] = ForceCloseWork();
    }
    EXPECT_EQ(work[0], "open 17476, send 20736, wait 500, terminate 0, close");
    EXPECT_EQ(work[1], work[0]);
}

}  // namespace
