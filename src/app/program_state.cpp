// The one instance of the program's state, and the error box that every
// part of the program reports its errors with.
#include "app/program_state.h"

#include "core/text.h"

#include <cstring>

ProgramState State = {};

namespace {
// The file-open dialog starts from "*.*" the first time and from the name
// chosen last after that.
constexpr char InitialBrowseName[] = "*.*";
const bool StateInitialised = (CopyText(State.BrowseFileName, sizeof State.BrowseFileName,
                                        InitialBrowseName), true);
}  // namespace

void ResetProgramState()
{
    (void)StateInitialised;
    std::memset(&State, 0, sizeof State);
    CopyText(State.BrowseFileName, sizeof State.BrowseFileName, InitialBrowseName);
}

void ErrorBox(const char* text)
{
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(nullptr, text, nullptr, MB_ICONEXCLAMATION | MB_SETFOREGROUND);
}
