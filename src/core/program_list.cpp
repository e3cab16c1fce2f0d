// Packing the program slots into their stored list and back.
#include "program_list.h"

#include "text.h"

void PackProgramText(const char slots[ProgramListSlots][ProgramItemSize], char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) return;
    out[0] = '\0';
    size_t len = 0;
    for (size_t i = 0; i < ProgramListSlots; ++i) {
        size_t itemLen = TextLengthN(slots[i], ProgramItemSize - 1);
        if (itemLen == 0) continue;
        // The item, its ';' and the terminator must all fit.
        if (itemLen + 2 > outSize - len) break;
        len += CopyTextN(out + len, outSize - len, slots[i], itemLen);
        out[len++] = ';';
        out[len] = '\0';
    }
}

void UnpackProgramTextN(const char* list, size_t listMax, char slots[ProgramListSlots][ProgramItemSize])
{
    for (size_t i = 0; i < ProgramListSlots; ++i) slots[i][0] = '\0';
    if (list == nullptr) return;

    size_t at = 0;
    size_t filled = 0;
    while (filled < ProgramListSlots) {
        while (at < listMax && list[at] == ';') ++at;
        if (at >= listMax || list[at] == '\0') break;
        size_t start = at;
        while (at < listMax && list[at] != ';' && list[at] != '\0') ++at;
        CopyTextN(slots[filled], ProgramItemSize, list + start, at - start);
        ++filled;
    }
}

void UnpackProgramText(const char* list, char slots[ProgramListSlots][ProgramItemSize])
{
    UnpackProgramTextN(list, static_cast<size_t>(-1), slots);
}
