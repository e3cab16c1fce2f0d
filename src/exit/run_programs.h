// The programs run, one after another, before the exit.
#ifndef DORVA_RUN_PROGRAMS_H
#define DORVA_RUN_PROGRAMS_H

// False when the user stopped waiting for a program (no further one runs,
// and the exit is not performed) or the program is ending meanwhile.
bool RunProgramsBeforeExit();
// A click on the icon while the exit waits for a program: asks, one question
// at a time, whether to stop waiting and cancel the exit.
void AskToStopWaiting();
bool HasProgramExtension(const char* text);
void RunProgramDirect(const char* text);
void RunProgramByShell(const char* text);

#endif
