// The one instance of the program's state, and the error box that every
// part of the program reports its errors with.
#include "state/program_state.h"

#include "core/text.h"

#include <cstring>

// All zero at start: it takes no room in the exe.
ProgramState State;

void ResetProgramState() { std::memset(&State, 0, sizeof State); }

void ErrorBox(const char* text)
{
    if (State.HandOverApplying) {
        if (State.HeldBoxCount < HeldBoxSlots) {
            CopyText(State.HeldBoxes[State.HeldBoxCount++], HeldBoxTextSize, text);
        }
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, text, nullptr, MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}

// A hand-over that arrives while a box is up may hold more: they come after
// it, not over it.
void ShowHeldBoxes()
{
    if (State.ShowingHeldBoxes) return;
    State.ShowingHeldBoxes = 1;
    while (State.HeldBoxCount > 0) {
        char text[HeldBoxTextSize];
        CopyText(text, sizeof text, State.HeldBoxes[0]);
        --State.HeldBoxCount;
        std::memmove(State.HeldBoxes, State.HeldBoxes + 1, sizeof State.HeldBoxes[0] * State.HeldBoxCount);
        ErrorBox(text);
    }
    State.ShowingHeldBoxes = 0;
}
