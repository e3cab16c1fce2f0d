// A helper program for the tests of the programs run before an exit: appends
// "TAG+" to a log file when it starts and "TAG-" when it ends, and sleeps in
// between, so that a test can see what ran, in which order, and whether the
// caller waited for it.
// Usage: marker.exe LOGFILE TAG [MILLISECONDS [WINDOW COMMAND]]
// Without arguments the log file and tag come from the environment variables
// DORVA_MARKER_LOG, DORVA_MARKER_TAG and DORVA_MARKER_SLEEP (for launches that
// pass no arguments). The tag "@" logs the program's own file name, to show
// which executable ran. With WINDOW and COMMAND (decimal) it sends WM_COMMAND
// COMMAND to that window once started and waits for the answer.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void Append(const char* path, const char* tag, char sign)
{
    char line[64];
    int length = snprintf(line, sizeof line, "%s%c\r\n", tag, sign);
    if (length <= 0) return;
    // Another helper may be writing the same file: retry a sharing clash.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char envLog[MAX_PATH] = "";
    char envTag[32] = "env";
    const char* log = nullptr;
    const char* tag = nullptr;
    DWORD sleepMs = 0;
    if (__argc >= 3) {
        log = __argv[1];
        tag = __argv[2];
        if (__argc >= 4) sleepMs = static_cast<DWORD>(std::strtoul(__argv[3], nullptr, 10));
    } else {
        DWORD length = GetEnvironmentVariableA("DORVA_MARKER_LOG", envLog, sizeof envLog);
        if (length == 0 || length >= sizeof envLog) return 2;
        length = GetEnvironmentVariableA("DORVA_MARKER_TAG", envTag, sizeof envTag);
        if (length >= sizeof envTag) return 2;
        char envSleep[16] = "";
        length = GetEnvironmentVariableA("DORVA_MARKER_SLEEP", envSleep, sizeof envSleep);
        if (length > 0 && length < sizeof envSleep) {
            sleepMs = static_cast<DWORD>(std::strtoul(envSleep, nullptr, 10));
        }
        log = envLog;
        tag = envTag;
    }
    char self[MAX_PATH] = "";
    if (std::strcmp(tag, "@") == 0 && GetModuleFileNameA(nullptr, self, sizeof self)) {
        tag = std::strrchr(self, '\\') ? std::strrchr(self, '\\') + 1 : self;
    }
    Append(log, tag, '+');
    if (__argc >= 6) {
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(__argv[4], nullptr, 10)));
        SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(std::strtoul(__argv[5], nullptr, 10)), 0);
    }
    if (sleepMs) Sleep(sleepMs);
    Append(log, tag, '-');
    return 0;
}
