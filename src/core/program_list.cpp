// Packing the program slots into their stored list and back.
#include "program_list.h"

#include "text.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when `text` starts with the lower-case `word`, in any case. Stops at
// the first difference, so never reads past the terminator of `text`.
bool StartsWithNoCase(const char* text, const char* word)
{
    for (; *word; ++text, ++word) {
        if (LowerCase(*text) != *word) return false;
    }
    return true;
}

// The length of the program of an unquoted entry.
size_t UnquotedProgramLength(const char* entry)
{
    size_t at = 0;
    for (; entry[at] != '\0'; ++at) {
        for (const char* extension : ProgramExtensions) {
            if (!StartsWithNoCase(entry + at, extension)) continue;
            const char after = entry[at + ProgramExtensionLength];
            if (after == '\0' || IsBlank(after)) return at + ProgramExtensionLength;
        }
    }
    while (at > 0 && IsBlank(entry[at - 1])) --at;
    return at;
}
}  // namespace

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

const char* SplitProgramEntry(const char* entry, char* program, size_t programSize)
{
    if (entry == nullptr || program == nullptr || programSize == 0) return nullptr;
    while (IsBlank(*entry)) ++entry;
    const char* start = entry;
    size_t length = 0;
    const char* rest = nullptr;
    if (*entry == '"') {
        start = entry + 1;
        while (start[length] != '\0' && start[length] != '"') ++length;
        rest = start[length] == '"' ? start + length + 1 : start + length;
    } else {
        length = UnquotedProgramLength(entry);
        rest = entry + length;
    }
    if (length == 0 || length >= programSize) return nullptr;
    CopyTextN(program, programSize, start, length);
    while (IsBlank(*rest)) ++rest;
    return rest;
}

bool IsBatchName(const char* program)
{
    size_t length = TextLengthN(program, static_cast<size_t>(-1));
    if (length < ProgramExtensionLength) return false;
    const char* extension = program + length - ProgramExtensionLength;
    return StartsWithNoCase(extension, ".bat") || StartsWithNoCase(extension, ".cmd");
}
