// The text side of the command line: the option search and the taking of an
// option's value.
#ifndef DORVA_CORE_COMMAND_LINE_TEXT_H
#define DORVA_CORE_COMMAND_LINE_TEXT_H

#include <cstddef>

// Only the first ten tokens of the text carry values.
constexpr size_t ValueTokenCount = 10;

// True when `option` occurs anywhere in `text` (case-sensitive substring;
// the text arrives lower-cased). The search covers the whole text.
bool HasOption(const char* text, const char* option);

// The value of option letter `letter` ('a', 'h', 't' or 'w') in `text`. The
// text is cut into tokens at the space character only (a run of spaces is
// one separator, leading spaces are skipped, a tab is part of a token); the
// value comes from the last of the first ten tokens that contains '/'
// followed by the letter, so options may be joined in one token
// ("/e:s/t:600/w:60"). In that token the value follows the last '/' and
// letter: every ':' or letter right after them is skipped, and the value is
// the run from there up to the next '/', letter or ':' or the token's end.
// Nothing limits the text or the token: the value's whole length is
// returned, 0 when there is none (no such token, or "/t", "/t:", "/h:h",
// "/t:/w:5" for 't'), so that the caller can refuse a value too long for its
// field. The value is copied into `out`, cut to outSize - 1 characters and
// terminated, when outSize > 0; `out` is left as it was when there is none.
size_t OptionValue(const char* text, char letter, char* out, size_t outSize);

// The first word of `text` that starts with '/' and is not made of options,
// nullptr when there is none, with its length in *length. Words are
// separated by blanks (space or tab); a word of options written together
// ("/e:s/t:600") is cut into pieces at every '/', and `isOption` judges each
// piece by its text and length. Other words are not looked at.
using PieceTest = bool (*)(const char* piece, size_t length);
const char* FindUnknownWord(const char* text, PieceTest isOption, size_t* length);

#endif
