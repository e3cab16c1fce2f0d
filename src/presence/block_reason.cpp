// The shutdown block reason that goes with Block Shutdown on current Windows.
#include "presence/block_reason.h"

#include "state/program_state.h"
#include "system/system_actions.h"

namespace {
constexpr wchar_t BlockReasonText[] = L"Dorva NT: Block Shutdown is on";
}  // namespace

// The reason lives on MainWindow; it is registered once, removed once.
void UpdateBlockReason()
{
    if (!State.MainWindow) return;
    if (State.BlockFlag && !State.BlockReasonRegistered) {
        State.BlockReasonRegistered = SysShutdownBlockReasonCreate(State.MainWindow, BlockReasonText) != FALSE;
    } else if (!State.BlockFlag && State.BlockReasonRegistered) {
        SysShutdownBlockReasonDestroy(State.MainWindow);
        State.BlockReasonRegistered = 0;
    }
}
