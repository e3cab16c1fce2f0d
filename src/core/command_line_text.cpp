// Option search and option values of the command line.
#include "command_line_text.h"

#include "text.h"

namespace {
bool IsValueStop(char c, char letter)
{
    return c == '/' || c == ':' || c == letter;
}

// Just past the last "/" + letter in the token, or 0 when there is none.
size_t AfterOption(const char* token, size_t length, char letter)
{
    size_t after = 0;
    for (size_t i = 0; i + 1 < length; ++i) {
        if (token[i] == '/' && token[i + 1] == letter) after = i + 2;
    }
    return after;
}
}  // namespace

bool HasOption(const char* text, const char* option)
{
    return ContainsText(text, option);
}

size_t OptionValue(const char* text, char letter, char* out, size_t outSize)
{
    if (text == nullptr) return 0;
    const char* from = nullptr;  // past the option in the last token that has it
    const char* end = nullptr;   // that token's end
    size_t at = 0;
    for (size_t count = 0; count < ValueTokenCount; ++count) {
        while (text[at] == ' ') ++at;
        if (text[at] == '\0') break;
        size_t start = at;
        while (text[at] != ' ' && text[at] != '\0') ++at;
        if (size_t after = AfterOption(text + start, at - start, letter)) {
            from = text + start + after;
            end = text + at;
        }
    }
    if (!from) return 0;
    while (from < end && (*from == ':' || *from == letter)) ++from;
    const char* stop = from;
    while (stop < end && !IsValueStop(*stop, letter)) ++stop;
    if (stop > from) CopyTextN(out, outSize, from, static_cast<size_t>(stop - from));
    return static_cast<size_t>(stop - from);
}
