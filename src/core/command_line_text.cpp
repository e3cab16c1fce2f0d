// Option search and option values of the command line.
#include "command_line_text.h"

#include "text.h"

namespace {
bool IsValueStop(char c, char letter)
{
    return c == '/' || c == ':' || c == letter;
}

bool TokenHasOption(const char* token, size_t length, char letter)
{
    for (size_t i = 0; i + 1 < length; ++i) {
        if (token[i] == '/' && token[i + 1] == letter) return true;
    }
    return false;
}
}  // namespace

bool HasOption(const char* text, const char* option)
{
    return ContainsText(text, option);
}

size_t OptionValue(const char* text, char letter, char* out, size_t outSize)
{
    if (text == nullptr) return 0;
    const char* token = nullptr;
    size_t tokenLength = 0;
    size_t at = 0;
    for (size_t count = 0; count < ValueTokenCount; ++count) {
        while (text[at] == ' ') ++at;
        if (text[at] == '\0') break;
        size_t start = at;
        while (text[at] != ' ' && text[at] != '\0') ++at;
        if (TokenHasOption(text + start, at - start, letter)) {
            token = text + start;
            tokenLength = at - start;
        }
    }
    size_t start = 0;
    while (start < tokenLength && IsValueStop(token[start], letter)) ++start;
    size_t end = start;
    while (end < tokenLength && !IsValueStop(token[end], letter)) ++end;
    if (end > start) CopyTextN(out, outSize, token + start, end - start);
    return end - start;
}
