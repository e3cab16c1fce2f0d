// The processes of a program that a timed exit waits for: found in the
// process list, opened and waited on through their handles. Those that
// cannot be waited on (another user's, an elevated one, more than the table
// holds, a system without registered waits) are only counted: the caller
// looks at the list again, slowly, while there are any.
#ifndef DORVA_JOB_WATCH_H
#define DORVA_JOB_WATCH_H

#include "core/job_text.h"

enum class ProgramLook { Running, NoneRunning, Unavailable };

// Whether a process of the program `name` names (a file name, or all digits
// for a process id) runs in this session now; nothing is opened.
ProgramLook LookForProgram(const char* name);

// Looks at the process list and waits on every process of `name` that is not
// yet waited on; returns how many of its processes run (waited on or not),
// -1 when the list cannot be read.
int WatchProgramProcesses(const char* name);

// Lets go of the processes that have ended; returns how many are still
// waited on.
int ForgetEndedProcesses();

// The file names of the programs that run in this session, each once, in
// the order of A to Z (any case), at most `capacity`; names too long to name
// a program are left out. Returns how many, 0 when the list cannot be read.
constexpr int ListedProgramsMax = 40;
using ListedProgram = char[ProgramNameSize];
int ListRunningPrograms(ListedProgram* names, int capacity);

// Every wait ended and every handle closed.
void StopWatchingProcesses();

#endif
