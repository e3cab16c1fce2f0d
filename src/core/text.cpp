// Bounded text copies used for every fixed-size field of the program.
#include "text.h"

#include <cstring>

size_t TextLengthN(const char* text, size_t maxLen)
{
    if (text == nullptr) return 0;
    size_t n = 0;
    while (n < maxLen && text[n] != '\0') ++n;
    return n;
}

size_t CopyTextN(char* dst, size_t dstSize, const char* src, size_t srcMax)
{
    if (dst == nullptr || dstSize == 0) return 0;
    size_t n = TextLengthN(src, srcMax);
    if (n > dstSize - 1) n = dstSize - 1;
    if (n > 0) std::memmove(dst, src, n);
    dst[n] = '\0';
    return n;
}

size_t CopyText(char* dst, size_t dstSize, const char* src)
{
    return CopyTextN(dst, dstSize, src, static_cast<size_t>(-1));
}

bool JoinText(char* dst, size_t dstSize, std::initializer_list<const char*> parts)
{
    dst[0] = '\0';
    size_t wanted = 0;
    for (const char* part : parts) {
        wanted += TextLengthN(part, dstSize);
        if (AppendText(dst, dstSize, part) != wanted) return false;
    }
    return true;
}

size_t AppendText(char* dst, size_t dstSize, const char* src)
{
    if (dst == nullptr || dstSize == 0) return 0;
    size_t used = TextLengthN(dst, dstSize);
    if (used == dstSize) {
        // No terminator inside the array: keep what is there, make it a text.
        dst[dstSize - 1] = '\0';
        return dstSize - 1;
    }
    return used + CopyText(dst + used, dstSize - used, src);
}

bool ContainsText(const char* text, const char* needle)
{
    if (text == nullptr) return false;
    if (needle == nullptr || needle[0] == '\0') return true;
    return std::strstr(text, needle) != nullptr;
}

int CompareTextNoCase(const char* a, const char* b)
{
    for (; *a != '\0' && LowerCase(*a) == LowerCase(*b); ++a, ++b) {
    }
    return static_cast<unsigned char>(LowerCase(*a)) - static_cast<unsigned char>(LowerCase(*b));
}
