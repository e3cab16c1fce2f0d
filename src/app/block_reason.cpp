// The shutdown block reason that goes with Block Shutdown on current Windows.
#include "app/block_reason.h"

#include "app/program_state.h"
#include "exit/system_actions.h"

namespace {
constexpr wchar_t BlockReasonText[] = L"Dorva NT: Block Shutdown is on";

// The reason lives on MainWindow; it is registered once, removed once.
bool ReasonRegistered = false;
}  // namespace

void UpdateBlockReason()
{
    if (!State.MainWindow) return;
    if (State.BlockFlag && !ReasonRegistered) {
        ReasonRegistered = SysShutdownBlockReasonCreate(State.MainWindow, BlockReasonText) != FALSE;
    } else if (!State.BlockFlag && ReasonRegistered) {
        SysShutdownBlockReasonDestroy(State.MainWindow);
        ReasonRegistered = false;
    }
}
