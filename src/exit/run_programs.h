// The programs run, one after another, before the exit.
#ifndef DORVA_RUN_PROGRAMS_H
#define DORVA_RUN_PROGRAMS_H

void RunProgramsBeforeExit();
bool HasProgramExtension(const char* text);
void RunProgramDirect(const char* text);
void RunProgramByShell(const char* text);

#endif
