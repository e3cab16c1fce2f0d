// Block Shutdown on current Windows: the reason is registered on the main
// window exactly while BlockFlag is set, and removed before the program's own
// exit request.
#include "app/menus.h"
#include "app/startup.h"
#include "exit/perform_exit.h"
#include "state/program_state.h"
#include "support/harness.h"
#include "support/recorder.h"

#include <cstring>

namespace {

constexpr char ReasonText[] = "Dorva NT: Block Shutdown is on";

class BlockReasonTest : public DorvaTest {
protected:
    static int Creates() { return Recorder::CountOf("ShutdownBlockReasonCreate"); }
    static int Destroys() { return Recorder::CountOf("ShutdownBlockReasonDestroy"); }
};

TEST_F(BlockReasonTest, TheToggleRegistersAndRemovesTheReasonOnTheMainWindow)
{
    CreateMainWindowAndMenus();
    DispatchCommand(IDM_BLOCK);
    ASSERT_EQ(State.BlockFlag, 1);
    ASSERT_EQ(Creates(), 1);
    const RecordedCall* create = Recorder::Find("ShutdownBlockReasonCreate");
    EXPECT_EQ(create->arg[0], reinterpret_cast<uintptr_t>(State.MainWindow));
    EXPECT_STREQ(create->text, ReasonText);
    EXPECT_EQ(Destroys(), 0);

    DispatchCommand(IDM_BLOCK);
    EXPECT_EQ(State.BlockFlag, 0);
    ASSERT_EQ(Destroys(), 1);
    EXPECT_EQ(Recorder::Find("ShutdownBlockReasonDestroy")->arg[0],
              reinterpret_cast<uintptr_t>(State.MainWindow));
    EXPECT_EQ(Creates(), 1);
}

TEST_F(BlockReasonTest, StartUpRegistersTheReasonExactlyWithBlockShutdown)
{
    for (int block : {1, 0}) {
        Recorder::Reset();
        int result = -1;
        ASSERT_TRUE(StartProgram(GetModuleHandleA(nullptr), block ? "/z /f:b" : "/z", &result));
        EXPECT_EQ(State.BlockFlag, block);
        ASSERT_EQ(Creates(), block);
        EXPECT_EQ(Destroys(), 0);
        if (block) {
            EXPECT_EQ(Recorder::Find("ShutdownBlockReasonCreate")->arg[0],
                      reinterpret_cast<uintptr_t>(State.MainWindow));
        }
        Teardown();
        DestroyWindow(State.MainWindow);
        ResetProgramState();
    }
}

TEST_F(BlockReasonTest, TheProgramsOwnExitRemovesTheReasonBeforeItsRequest)
{
    CreateMainWindowAndMenus();
    DispatchCommand(IDM_BLOCK);
    State.ExitType = ExitTypeLogoff;
    PerformExit();
    int destroy = Recorder::IndexOf("ShutdownBlockReasonDestroy");
    int request = Recorder::IndexOf("ExitWindowsEx");
    ASSERT_GE(destroy, 0);
    ASSERT_GE(request, 0);
    EXPECT_LT(destroy, request);
    EXPECT_EQ(State.BlockFlag, 0);
}

TEST_F(BlockReasonTest, ADeclinedExitKeepsTheReason)
{
    CreateMainWindowAndMenus();
    DispatchCommand(IDM_BLOCK);
    State.ConfirmFlag = 1;
    Harness::AnswerBoxes({IDNO, IDOK});
    PerformExit();
    EXPECT_EQ(State.BlockFlag, 1);
    EXPECT_EQ(Destroys(), 0);
}

TEST_F(BlockReasonTest, WithoutAMainWindowNothingIsRegistered)
{
    State.BlockFlag = 1;
    State.ExitType = ExitTypeShutdown;
    PerformExit();  // icon-less start-up: no window exists yet
    EXPECT_EQ(State.BlockFlag, 0);
    EXPECT_EQ(Creates(), 0);
    EXPECT_EQ(Destroys(), 0);
    EXPECT_EQ(Recorder::CountOf("ExitWindowsEx"), 1);
}

}  // namespace
