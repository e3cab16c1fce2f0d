// The text rules of the two timed exits that wait for a condition: a program's
// end, named by its file name or process id, and a stretch without input.
#ifndef DORVA_CORE_JOB_TEXT_H
#define DORVA_CORE_JOB_TEXT_H

#include <cstddef>

// A program is named by its file name alone, at most this long as typed.
constexpr size_t ProgramNameMax = 64;
// The name as typed, and the file name it stands for (".exe" added).
constexpr size_t ProgramNameSize = ProgramNameMax + 1;
constexpr size_t ProgramFileNameSize = ProgramNameMax + sizeof ".exe";

constexpr int MinIdleMinutes = 1;
constexpr int MaxIdleMinutes = 1440;
constexpr bool IsIdleMinutes(int minutes) { return minutes >= MinIdleMinutes && minutes <= MaxIdleMinutes; }

// Whether `name` can name a program: not empty, no longer than
// ProgramNameMax, no drive, folder or wildcard in it (none of \ / : * ? " < > |).
bool IsProgramName(const char* name);

// All digits (a number of 1 to 4294967295): a process id, put in *id.
bool IsProcessIdText(const char* name, unsigned long* id);

// The file name that `name` stands for: as it is, or with ".exe" when it has
// no extension ("render" -> "render.exe"). Cut and terminated as CopyText.
void ProgramFileName(const char* name, char* out, size_t outSize);

// The last part of a path: what follows its last \ or /.
const char* FileNamePart(const char* path);

// Whether a process's file name (a path is reduced to its last part) is
// `fileName`, in any case of A to Z.
bool IsProgramFile(const char* processFile, const char* fileName);

// The tray tips of the armed exits: "Timed Exit: Shutdown when render.exe
// ends" ("... when process 1234 ends" for an id) and "Timed Exit: Shutdown
// after 30 min without input". A number that is no exit type leaves out its
// word. Cut to the buffer and terminated when outSize > 0.
void MakeProgramTip(int exitType, const char* name, char* out, size_t outSize);
void MakeInactivityTip(int exitType, int minutes, char* out, size_t outSize);

// Where the value of the last "/p:" of `text` lies: from just after the colon
// to the end of its word, or between double quotes when a quote follows the
// colon (the quotes are no part of it; a missing closing quote ends it at
// the text's end). `spanEnd` is where the option's word ends, past a closing
// quote. False when the text has no "/p:".
struct ProgramValueSpan {
    size_t start, length, spanEnd;
};
bool FindProgramValue(const char* text, ProgramValueSpan* span);

#endif
