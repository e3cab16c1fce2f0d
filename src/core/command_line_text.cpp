// Option search, tokenizer and value extraction of the command line.
#include "command_line_text.h"

#include "text.h"

bool HasOption(const char* text, const char* option)
{
    return ContainsText(text, option);
}

int SplitTokens(const char* text, char slots[TokenSlotCount][TokenSlotSize])
{
    for (size_t i = 0; i < TokenSlotCount; ++i) slots[i][0] = '\0';

    char commandCopy[CommandCopySize];
    CopyText(commandCopy, sizeof commandCopy, text);

    size_t count = 0;
    size_t at = 0;
    while (count < TokenSlotCount) {
        while (commandCopy[at] == ' ') ++at;
        if (commandCopy[at] == '\0') break;
        size_t start = at;
        while (commandCopy[at] != ' ' && commandCopy[at] != '\0') ++at;
        CopyTextN(slots[count], TokenSlotSize, commandCopy + start, at - start);
        ++count;
    }
    return static_cast<int>(count);
}

void PickOptionTokens(const char slots[TokenSlotCount][TokenSlotSize],
                      char at[TokenBufferSize], char hotkey[TokenBufferSize],
                      char timer[TokenBufferSize], char warn[TokenBufferSize])
{
    at[0] = hotkey[0] = timer[0] = warn[0] = '\0';
    for (size_t i = 0; i < TokenSlotCount; ++i) {
        char slot[TokenSlotSize];  // a terminated copy, whatever the caller left in the slot
        CopyTextN(slot, sizeof slot, slots[i], TokenSlotSize);
        if (ContainsText(slot, "/a")) CopyText(at, TokenBufferSize, slot);
        if (ContainsText(slot, "/h")) CopyText(hotkey, TokenBufferSize, slot);
        if (ContainsText(slot, "/t")) CopyText(timer, TokenBufferSize, slot);
        if (ContainsText(slot, "/w")) CopyText(warn, TokenBufferSize, slot);
    }
}

void CollectOptionTokens(const char* text,
                         char at[TokenBufferSize], char hotkey[TokenBufferSize],
                         char timer[TokenBufferSize], char warn[TokenBufferSize])
{
    char slots[TokenSlotCount][TokenSlotSize];
    SplitTokens(text, slots);
    PickOptionTokens(slots, at, hotkey, timer, warn);
}

namespace {
bool IsValueStop(char c, char letter)
{
    return c == '/' || c == ':' || c == letter;
}
}  // namespace

bool ExtractOptionValue(const char* token, char letter, char* out, size_t outSize)
{
    if (token == nullptr) return false;
    size_t start = 0;
    while (token[start] != '\0' && IsValueStop(token[start], letter)) ++start;
    if (token[start] == '\0') return false;
    size_t end = start;
    while (token[end] != '\0' && !IsValueStop(token[end], letter)) ++end;
    CopyTextN(out, outSize, token + start, end - start);
    return true;
}
