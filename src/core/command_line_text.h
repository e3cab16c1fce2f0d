// The text side of the command line: the option search, the cutting of the
// text into tokens and the taking of an option's value from its token.
#ifndef DORVA_CORE_COMMAND_LINE_TEXT_H
#define DORVA_CORE_COMMAND_LINE_TEXT_H

#include <cstddef>

// Working buffers of one parse, terminator included.
constexpr size_t CommandCopySize = 40;  // the text cut into tokens: 39 characters
constexpr size_t TokenSlotCount = 10;   // only the first ten tokens are kept
constexpr size_t TokenSlotSize = 10;    // 9 characters of each token
constexpr size_t TokenBufferSize = 12;  // the token that carries an option's value

// True when `option` occurs anywhere in `text` (case-sensitive substring;
// the text arrives lower-cased). The search covers the whole text, however
// long, unlike the value extraction below.
bool HasOption(const char* text, const char* option);

// Copies `text` into a 40-byte working copy (cut to 39 characters) and cuts
// it into tokens separated by the space character only: a run of spaces is
// one separator and leading spaces are skipped; a tab is part of a token.
// The first ten tokens go into `slots`, each cut to 9 characters; further
// tokens are ignored and unused slots are emptied. Returns the number of
// tokens stored (0 to 10). Over-long text and tokens are cut, never refused:
// the options themselves are found by HasOption over the whole text, so only
// a value can be lost by the cut, and a lost value falls back to the saved
// setting or its default.
int SplitTokens(const char* text, char slots[TokenSlotCount][TokenSlotSize]);

// Empties the four buffers, then gives each the last of the slots that
// contains "/a", "/h", "/t" or "/w" respectively. One slot can go into
// several buffers.
void PickOptionTokens(const char slots[TokenSlotCount][TokenSlotSize],
                      char at[TokenBufferSize], char hotkey[TokenBufferSize],
                      char timer[TokenBufferSize], char warn[TokenBufferSize]);

// SplitTokens followed by PickOptionTokens.
void CollectOptionTokens(const char* text,
                         char at[TokenBufferSize], char hotkey[TokenBufferSize],
                         char timer[TokenBufferSize], char warn[TokenBufferSize]);

// The value of option letter `letter` in `token`: every leading character
// that is '/', the letter or ':' is skipped, and the value is the run from
// there up to the next '/', letter or ':' or the end. Returns false, leaving
// `out` untouched, when nothing is left after the skipping ("/t", "/t:",
// "/h:h", an empty token). Otherwise the value is copied cut to the field
// (outSize - 1 characters: six for TimerValue, AtValue and WarnValue, one for
// HotKey) and true is returned. The cut keeps the leading characters, which
// for a number are its most significant digits.
bool ExtractOptionValue(const char* token, char letter, char* out, size_t outSize);

#endif
