// Finding a program's processes and waiting on them. A wait posts
// ProcessEndedMessage to the main window from the system's thread pool; the
// message only says "look": the handles themselves tell which ended, so a
// message from an ended wait or from another program ends nothing.
#include "timer/job_watch.h"

#include "core/job_text.h"
#include "core/text.h"
#include "state/program_state.h"
#include "system/system_actions.h"

namespace {
struct Search {
    char file[ProgramFileNameSize];
    unsigned long id;    // non-zero: the program is named by its process id
    int found;
    bool watch;          // open and wait on what is found
};

bool IsWatched(DWORD id)
{
    for (int i = 0; i < State.WatchedCount; ++i) {
        if (State.Watched[i].id == id) return true;
    }
    return false;
}

// A process is waited on when it can be opened for it and the table has room;
// otherwise it is counted among those the slow look watches.
void Watch(DWORD id)
{
    if (IsWatched(id)) return;
    if (State.WatchedCount < MaxWatchedProcesses) {
        if (HANDLE process = SysOpenProcess(SYNCHRONIZE, FALSE, id)) {
            if (HANDLE wait = SysWatchObject(process, State.MainWindow, ProcessEndedMessage, id)) {
                State.Watched[State.WatchedCount++] = {id, process, wait};
                return;
            }
            SysCloseHandle(process);
        }
    }
    ++State.UnwaitedCount;
}

bool Visit(DWORD id, const char* fileName, bool thisSession, void* context)
{
    Search& search = *static_cast<Search*>(context);
    // This program never waits for its own end.
    const bool match = id != GetCurrentProcessId() &&
                       (search.id ? id == search.id : thisSession && IsProgramFile(fileName, search.file));
    if (!match) return true;
    ++search.found;
    if (search.watch) Watch(id);
    return true;
}

int List(const char* name, bool watch)
{
    Search search = {};
    if (!IsProcessIdText(name, &search.id)) ProgramFileName(name, search.file, sizeof search.file);
    search.watch = watch;
    if (watch) State.UnwaitedCount = 0;
    return SysListProcesses(Visit, &search) ? search.found : -1;
}

struct Listing {
    ListedProgram* names;
    int capacity;
    int count;
};

// Kept in order as they come: the table is small.
bool AddListed(DWORD id, const char* fileName, bool thisSession, void* context)
{
    if (id == GetCurrentProcessId()) return true;
    Listing& listing = *static_cast<Listing*>(context);
    const char* base = FileNamePart(fileName);
    if (!thisSession || !IsProgramName(base)) return true;
    int at = 0;
    while (at < listing.count && CompareTextNoCase(listing.names[at], base) < 0) ++at;
    if (at < listing.count && CompareTextNoCase(listing.names[at], base) == 0) return true;
    if (listing.count == listing.capacity) {
        if (at == listing.count) return true;
        --listing.count;  // the last in order makes room
    }
    for (int i = listing.count; i > at; --i) CopyText(listing.names[i], sizeof listing.names[i], listing.names[i - 1]);
    CopyText(listing.names[at], sizeof listing.names[at], base);
    ++listing.count;
    return true;
}

void Forget(int index)
{
    WatchedProcess& watched = State.Watched[index];
    SysUnwatchObject(watched.wait);
    SysCloseHandle(watched.process);
    State.Watched[index] = State.Watched[--State.WatchedCount];
    State.Watched[State.WatchedCount] = {};
}
}  // namespace

ProgramLook LookForProgram(const char* name)
{
    const int found = List(name, false);
    return found < 0 ? ProgramLook::Unavailable : found > 0 ? ProgramLook::Running : ProgramLook::NoneRunning;
}

int WatchProgramProcesses(const char* name) { return List(name, true); }

int ListRunningPrograms(ListedProgram* names, int capacity)
{
    Listing listing = {names, capacity, 0};
    return SysListProcesses(AddListed, &listing) ? listing.count : 0;
}

int ForgetEndedProcesses()
{
    for (int i = State.WatchedCount - 1; i >= 0; --i) {
        if (SysWaitForSingleObject(State.Watched[i].process, 0) == WAIT_OBJECT_0) Forget(i);
    }
    return State.WatchedCount;
}

void StopWatchingProcesses()
{
    while (State.WatchedCount > 0) Forget(State.WatchedCount - 1);
    State.UnwaitedCount = 0;
}
