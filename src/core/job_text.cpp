// Program names, process ids, the "/p:" value and the tips of the exits that
// wait for a condition.
#include "job_text.h"

#include "decimal.h"
#include "exit_types.h"
#include "text.h"

#include <cstring>

namespace {
constexpr char NotInAFileName[] = "\\/:*?\"<>|";

void AppendExitWord(int exitType, char* out, size_t outSize)
{
    CopyText(out, outSize, "Timed Exit");
    if (const ExitTypeInfo* type = FindExitType(exitType)) {
        AppendText(out, outSize, ": ");
        AppendText(out, outSize, type->tip);
    }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

bool IsProgramName(const char* name)
{
    const size_t length = TextLengthN(name, ProgramNameMax + 1);
    if (length == 0 || length > ProgramNameMax) return false;
    for (size_t i = 0; i < length; ++i) {
        if (std::strchr(NotInAFileName, name[i]) || static_cast<unsigned char>(name[i]) < ' ') return false;
    }
    return true;
}

bool IsProcessIdText(const char* name, unsigned long* id)
{
    unsigned long value = 0;
    if (!WholeDecimal(name, std::strlen(name), 0xFFFFFFFFul, &value) || value == 0) return false;
    *id = value;
    return true;
}

void ProgramFileName(const char* name, char* out, size_t outSize)
{
    CopyText(out, outSize, name);
    if (!std::strchr(name, '.')) AppendText(out, outSize, ".exe");
}

const char* FileNamePart(const char* path)
{
    const char* part = path;
    for (const char* at = path; *at; ++at) {
        if (*at == '\\' || *at == '/') part = at + 1;
    }
    return part;
}

bool IsProgramFile(const char* processFile, const char* fileName)
{
    return CompareTextNoCase(FileNamePart(processFile), fileName) == 0;
}

void MakeProgramTip(int exitType, const char* name, char* out, size_t outSize)
{
    AppendExitWord(exitType, out, outSize);
    unsigned long id = 0;
    char file[ProgramFileNameSize];
    ProgramFileName(name, file, sizeof file);
    const bool isId = IsProcessIdText(name, &id);
    AppendText(out, outSize, isId ? " when process " : " when ");
    AppendText(out, outSize, isId ? name : file);
    AppendText(out, outSize, " ends");
}

void MakeInactivityTip(int exitType, int minutes, char* out, size_t outSize)
{
    AppendExitWord(exitType, out, outSize);
    char number[12];
    IntToDecimal(minutes, number, sizeof number);
    AppendText(out, outSize, " after ");
    AppendText(out, outSize, number);
    AppendText(out, outSize, " min without input");
}

bool FindProgramValue(const char* text, ProgramValueSpan* span)
{
    const char* found = nullptr;
    for (const char* at = text; (at = std::strstr(at, "/p:")) != nullptr; ++at) found = at;
    if (!found) return false;
    const size_t start = static_cast<size_t>(found - text) + 3;
    size_t end = start;
    if (text[start] == '"') {
        const char* close = std::strchr(text + start + 1, '"');
        end = close ? static_cast<size_t>(close - text) : start + 1 + std::strlen(text + start + 1);
        span->start = start + 1;
        span->length = end - span->start;
        span->spanEnd = close ? end + 1 : end;
        return true;
    }
    while (text[end] && !IsBlank(text[end])) ++end;
    span->start = start;
    span->length = end - start;
    span->spanEnd = end;
    return true;
}
