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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Every piece of the word, from each '/' up to the next one or the word's end.
bool IsWordOfOptions(const char* word, size_t length, PieceTest isOption)
{
    for (size_t start = 0; start < length;) {
        size_t end = start + 1;
        while (end < length && word[end] != '/') ++end;
        if (!isOption(word + start, end - start)) return false;
        start = end;
    }
    return true;
}
}  // namespace

const char* FindUnknownWord(const char* text, PieceTest isOption, size_t* length)
{
    if (text == nullptr) return nullptr;
    for (const char* at = text; *at;) {
        while (IsBlank(*at)) ++at;
        const char* end = at;
        while (*end && !IsBlank(*end)) ++end;
        const size_t size = static_cast<size_t>(end - at);
        if (size > 0 && *at == '/' && !IsWordOfOptions(at, size, isOption)) {
            *length = size;
            return at;
        }
        at = end;
    }
    return nullptr;
}

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
