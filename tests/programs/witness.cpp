// A witness window for the session-end tests: logs WM_QUERYENDSESSION and
// WM_ENDSESSION with wall-clock times to the file named on its command line.
// Usage: witness.exe LOGFILE [answer0|hang]
//   answer0  refuse the session end (WM_QUERYENDSESSION returns 0)
//   hang     stop serving messages right after the window exists
// Each log line is "<unix ms> <event> ..." and the file is closed after it,
// because the process may be terminated at any moment.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr char WitnessClass[] = "DorvaWitness";
constexpr ULONGLONG UnixEpochIn100ns = 116444736000000000ULL;
const char* LogPath = nullptr;
bool RefuseSessionEnd = false;

unsigned long long UnixMillis()
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks = {};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    return (ticks.QuadPart - UnixEpochIn100ns) / 10000;
}

void Log(const char* event, unsigned long long a = 0, unsigned long long b = 0)
{
    char line[160];
    int length = snprintf(line, sizeof line, "%llu %s %llu %llu\r\n", UnixMillis(), event, a, b);
    if (length <= 0 || !LogPath) return;
    HANDLE file = CreateFileA(LogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK WitnessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_QUERYENDSESSION:
        Log("query", wParam, static_cast<unsigned long long>(lParam));
        return RefuseSessionEnd ? 0 : 1;
    case WM_ENDSESSION:
        Log("end", wParam, static_cast<unsigned long long>(lParam));
        return 0;
    case WM_DESTROY:
        Log("destroy");
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc < 2) return 2;
    LogPath = __argv[1];
    const char* mode = __argc > 2 ? __argv[2] : "";
    RefuseSessionEnd = std::strcmp(mode, "answer0") == 0;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WitnessProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WitnessClass;
    RegisterClassA(&windowClass);
    char title[64];
    snprintf(title, sizeof title, "DorvaWitness %lu", GetCurrentProcessId());
    // Well away from the top-left corner, where the tray sits; witnesses of
    // one test stacked by process id.
    int top = 200 + static_cast<int>(GetCurrentProcessId() / 4 % 5) * 90;
    HWND window = CreateWindowExA(0, WitnessClass, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, top,
                                  240, 80, nullptr, nullptr, instance, nullptr);
    if (!window) return 3;
    Log("start", GetCurrentProcessId());

    if (std::strcmp(mode, "hang") == 0) {
        Log("hang", GetCurrentProcessId());
        Sleep(INFINITE);
    }
    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
