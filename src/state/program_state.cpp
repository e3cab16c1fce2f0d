// The one instance of the program's state, and the error box that every
// part of the program reports its errors with.
#include "state/program_state.h"

#include "core/text.h"

#include <cstring>

// All zero at start: it takes no room in the exe. ResetProgramState, the
// first thing the program does, adds the one field that starts otherwise.
ProgramState State;

namespace {
// The file-open dialog starts from "*.*" the first time and from the name
// chosen last after that.
constexpr char InitialBrowseName[] = "*.*";
}  // namespace

void ResetProgramState()
{
    std::memset(&State, 0, sizeof State);
    CopyText(State.BrowseFileName, sizeof State.BrowseFileName, InitialBrowseName);
}

void ErrorBox(const char* text)
{
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, text, nullptr, MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}
