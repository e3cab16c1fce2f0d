// The program's entry point.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    return ProgramMain(instance, commandLine);
}
