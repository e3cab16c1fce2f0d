// The program's entry points. The exe starts at ProgramEntry, without the C
// runtime's start-up code (argument parsing, TLS, atexit), which the program
// never uses and which would make up a sixth of its size. WinMain stays for
// builds that keep the runtime's start-up.
#include "app/stack_guard.h"
#include "app/startup.h"

namespace {
// The argument text: the command line after the program's own name, which may
// be quoted, and the blanks that follow it.
const char* ArgumentText(const char* line)
{
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}
}  // namespace

extern "C" void WINAPI ProgramEntry()
{
    InitStackGuard();
    ExitProcess(static_cast<UINT>(ProgramMain(GetModuleHandleA(nullptr), ArgumentText(GetCommandLineA()))));
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return ProgramMain(instance, commandLine);
}
