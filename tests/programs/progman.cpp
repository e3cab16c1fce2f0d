// A stand-in desktop shell for the Restart Shell tests: a window of class
// "Progman" that, told to quit, takes its time to end, as Explorer does.
// Appends "progman+" to the log when its window is up and "progman-" just
// before it ends.
// Usage: progman.exe LOGFILE MILLISECONDS_TO_QUIT
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {
void Append(const char* path, const char* line)
{
    FILE* file = std::fopen(path, "ab");
    if (!file) return;
    std::fputs(line, file);
    std::fclose(file);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 3) return 2;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "Progman";
    if (!RegisterClassA(&windowClass)) return 3;
    if (!CreateWindowExA(0, "Progman", "Program Manager", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                         nullptr)) {
        return 4;
    }
    Append(__argv[1], "progman+\r\n");
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    Sleep(static_cast<DWORD>(std::strtoul(__argv[2], nullptr, 10)));
    Append(__argv[1], "progman-\r\n");
    return 0;
}
