// The stored form of the four programs run before an exit: every non-empty
// path followed by ';', in slot order ("C:\A.EXE;D:\B.BAT;").
#ifndef DORVA_CORE_PROGRAM_LIST_H
#define DORVA_CORE_PROGRAM_LIST_H

#include <cstddef>

constexpr size_t ProgramListSlots = 4;
constexpr size_t ProgramItemSize = 260;  // 259 characters and the terminator

// The extensions that mark an entry as a program to start directly, each a
// dot and three letters.
constexpr const char* ProgramExtensions[] = {".com", ".exe", ".bat", ".pif", ".cmd"};
constexpr size_t ProgramExtensionLength = 4;

constexpr bool ProgramExtensionsHaveTheirLength()
{
    for (const char* extension : ProgramExtensions) {
        size_t length = 0;
        while (extension[length] != '\0') ++length;
        if (length != ProgramExtensionLength) return false;
    }
    return true;
}
static_assert(ProgramExtensionsHaveTheirLength(), "every program extension is a dot and three letters");

// Joins the non-empty slots, each followed by ';', into `out`. A slot is read
// up to its terminator and never past its 260 bytes, so an item is at most
// 259 characters. When an item and its ';' do not fit what is left of `out`
// (four items of 259 characters need 1040 bytes, the stored field has 1024),
// the list ends before that item: it always ends on a whole item and its ';',
// later items are left out, and nothing is written past outSize. A path that
// contains ';' is stored as it stands and reads back as several items.
void PackProgramText(const char slots[ProgramListSlots][ProgramItemSize], char* out, size_t outSize);

// Empties the four slots, then fills them with the first four items of
// `list`: leading separators are skipped, a run of ';' is one separator and
// a trailing ';' ends the last item; items after the fourth are ignored.
// An item longer than 259 characters is cut to 259. `list` is only read.
void UnpackProgramText(const char* list, char slots[ProgramListSlots][ProgramItemSize]);

// As UnpackProgramText, reading no more than `listMax` bytes of `list` (for
// a list field whose stored data may have filled it without a terminator).
void UnpackProgramTextN(const char* list, size_t listMax, char slots[ProgramListSlots][ProgramItemSize]);

// Where the program of an entry ends and its arguments begin, by its text
// alone (the caller first tries the whole entry as the name of a file):
//  - a quoted entry: the program is the text between the quotes;
//  - otherwise the program runs to the first program extension (".com",
//    ".exe", ".bat", ".pif" or ".cmd", in any case) that ends the entry or
//    is followed by a blank: a path holding blanks is never cut at its first
//    blank, as the system's command-line rule would;
//  - otherwise the whole entry, without trailing blanks, is the program.
// Blanks before the program and before the arguments are skipped. Copies the
// program into `program` and returns where the arguments start (the empty
// text when there are none); returns null when there is no program or it
// does not fit `programSize`.
const char* SplitProgramEntry(const char* entry, char* program, size_t programSize);

// True when `program` ends in ".bat" or ".cmd", in any case: the system runs
// such a file through cmd.exe.
bool IsBatchName(const char* program);

#endif
