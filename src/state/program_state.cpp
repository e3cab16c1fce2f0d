// The one instance of the program's state, and the error box that every
// part of the program reports its errors with.
#include "state/program_state.h"

#include <cstring>

// All zero at start: it takes no room in the exe.
ProgramState State;

void ResetProgramState() { std::memset(&State, 0, sizeof State); }

void ErrorBox(const char* text)
{
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, text, nullptr, MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}
