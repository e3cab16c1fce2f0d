// Bounded copies for the program's fixed text fields: every copy into an
// array is told the array's size and always leaves a terminated text.
#ifndef DORVA_CORE_TEXT_H
#define DORVA_CORE_TEXT_H

#include <cstddef>
#include <initializer_list>

// Length of `text`, looking at no more than `maxLen` bytes (a text without a
// terminator within them counts as `maxLen` long). A null pointer is empty.
size_t TextLengthN(const char* text, size_t maxLen);

// Copies `src` into `dst`, cut to dstSize - 1 characters, and terminates it
// when dstSize > 0. A null `src` copies as the empty text. Returns the number
// of characters copied (the length of `dst` afterwards).
size_t CopyText(char* dst, size_t dstSize, const char* src);

// Appends `src` to the text in `dst`, cut so that the result fits dstSize
// with its terminator. A `dst` with no terminator within dstSize is treated
// as full and is terminated at its last byte. Returns the length of `dst`.
size_t AppendText(char* dst, size_t dstSize, const char* src);

// As CopyText, but reads at most `srcMax` bytes of `src` and stops at its
// terminator if one comes first: for data that may lack a terminator.
size_t CopyTextN(char* dst, size_t dstSize, const char* src, size_t srcMax);

// Joins the parts into `dst` (dstSize > 0), cut to fit; true when they all
// fit whole.
bool JoinText(char* dst, size_t dstSize, std::initializer_list<const char*> parts);

// A to Z lower-cased; every other byte as it is, whatever the locale.
constexpr char LowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The order of two texts with A to Z taken as a to z: below 0, 0 or above 0
// as strcmp gives.
int CompareTextNoCase(const char* a, const char* b);

// True when `needle` occurs anywhere in `text` (case-sensitive). The empty
// needle occurs in every text; nothing occurs in a null text.
bool ContainsText(const char* text, const char* needle);

#endif
