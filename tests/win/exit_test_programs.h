// Real helper programs for the exit tests: copied from the build folder into a
// scratch folder on C:, their logs read back, and a watchdog so that a wait
// without limit in the code under test fails a test instead of hanging it.
#ifndef DORVA_EXIT_TEST_PROGRAMS_H
#define DORVA_EXIT_TEST_PROGRAMS_H

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace ExitTestPrograms {

// The folder of this test executable as a name that Windows calls accept.
// Under Wine a build folder outside every drive comes back as "unix\...",
// which only opens with the "\\?\" prefix in front.
inline std::string ProgramDir()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path);
    dir = dir.substr(0, dir.find_last_of('\\'));
    if (dir.compare(0, 5, "unix\\") == 0) dir = "\\\\?\\" + dir;
    return dir;
}

// A scratch folder on C: for this test process; also made the current
// directory, so that started programs get a directory they can open.
inline std::string ScratchDir()
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    char dir[MAX_PATH] = "";
    snprintf(dir, sizeof dir, "%sdorva-exit-%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(dir, nullptr);
    SetCurrentDirectoryA(dir);
    return dir;
}

inline void RemoveScratchDir()
{
    std::string dir = ScratchDir();
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((dir + "\\" + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

// Copies the helper program `name` from the build folder into the scratch
// folder as `asName`; returns its full name there, or "" on failure.
inline std::string CopyProgram(const char* name, const char* asName)
{
    std::string target = ScratchDir() + "\\" + asName;
    if (!CopyFileA((ProgramDir() + "\\" + name).c_str(), target.c_str(), FALSE)) return "";
    return target;
}

inline std::string WriteScratchFile(const char* name, const std::string& content)
{
    std::string path = ScratchDir() + "\\" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return "";
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

// The lines of a helper's log joined by single spaces ("" when absent).
inline std::string ReadLog(const std::string& path)
{
    std::string joined;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return joined;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        size_t length = std::strcspn(line, "\r\n");
        if (length == 0) continue;
        if (!joined.empty()) joined += ' ';
        joined.append(line, length);
    }
    std::fclose(file);
    return joined;
}

// Ends every process that this test process started, and theirs.
inline void TerminateDescendants()
{
    DWORD family[64] = {GetCurrentProcessId()};
    int members = 1;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    for (bool grew = true; grew;) {
        grew = false;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
            bool known = false, childOfKnown = false;
            for (int i = 0; i < members; ++i) {
                known = known || family[i] == entry.th32ProcessID;
                childOfKnown = childOfKnown || family[i] == entry.th32ParentProcessID;
            }
            if (!known && childOfKnown && members < 64) {
                family[members++] = entry.th32ProcessID;
                grew = true;
            }
        }
    }
    CloseHandle(snapshot);
    for (int i = 1; i < members; ++i) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, family[i]);
        if (process) {
            TerminateProcess(process, 99);
            CloseHandle(process);
        }
    }
}

// Answers the boxes that this process shows (a box of the shell stands in the
// way of the test as a hung program does). A named CALLBACK, not a lambda: the
// x86 build calls it as stdcall.
inline BOOL CALLBACK DismissIfOwnBox(HWND window, LPARAM)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (processId == GetCurrentProcessId() && std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

inline void DismissOwnBoxes() { EnumWindows(DismissIfOwnBox, 0); }

// Ends the started programs and answers this process's boxes when a test runs
// past its deadline, so that a wait without limit returns; Fired() then fails
// the test.
class Watchdog {
public:
    explicit Watchdog(DWORD deadlineMs)
        : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          thread_([this, deadlineMs] {
              if (WaitForSingleObject(stop_, deadlineMs) == WAIT_TIMEOUT) {
                  fired_ = true;
                  TerminateDescendants();
                  DismissOwnBoxes();
              }
          })
    {
    }
    ~Watchdog()
    {
        SetEvent(stop_);
        thread_.join();
        CloseHandle(stop_);
    }
    bool Fired() const { return fired_; }

private:
    HANDLE stop_;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

}  // namespace ExitTestPrograms

#endif
