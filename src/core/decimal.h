// Decimal text to number and back, with the exact rules the settings, the
// command line and the dialogs share.
#ifndef DORVA_CORE_DECIMAL_H
#define DORVA_CORE_DECIMAL_H

#include <cstddef>

// Leading white space (space, tab, line feed, vertical tab, form feed,
// carriage return) is skipped, then one optional '+' or '-', then decimal
// digits up to the first character that is not a digit. No digits gives 0.
// There is no range check: a number too big for 32 bits wraps the way 32-bit
// two's complement arithmetic does ("4294967297" gives 1), and the sign is
// applied after the wrap. A null text gives 0.
int DecimalToInt(const char* text);

// The same conversion, looking at no more than `maxLen` bytes of `text`
// (for registry data that may have no terminator).
int DecimalToIntN(const char* text, size_t maxLen);

// The `length` bytes at `text` as a whole number: digits only, at least one,
// and no more than `max` (at most 4294967295). False for anything else, with
// *value unchanged.
bool WholeDecimal(const char* text, size_t length, unsigned long max, unsigned long* value);
// Signed decimal: the digits, with '-' in front of a negative number
// (INT_MIN included). The text is cut to outSize - 1 characters when the
// buffer is too small and is always terminated when outSize > 0. Returns the
// number of characters written.
size_t IntToDecimal(int value, char* out, size_t outSize);

// Unsigned decimal with at least `minDigits` digits, zero-padded on the left:
// what "%u" (minDigits 0 or 1) and "%02u" (minDigits 2) give. Cut and
// terminated as IntToDecimal. Returns the number of characters written.
size_t FormatUnsignedPadded(unsigned value, unsigned minDigits, char* out, size_t outSize);

// The text the Timed Exit Options dialog shows for a stored timeout or
// warning number. A value of zero or more is shown with "%u". A negative
// value can only come from a text such as "-5" that was typed and rejected
// or edited into the registry; "%u" would make ten digits of it that do not
// fit the 7-byte field and tell the user nothing, so it is shown signed,
// just as it was typed ("-5"). Every value a six-character text can give
// (-99999 to 999999) fits seven bytes; anything longer is cut to the buffer.
// Returns the number of characters written.
size_t FormatFieldNumber(int value, char* out, size_t outSize);

// Hour, minute and second as "%02u%02u%02u". Fields from a valid time give
// six digits; a negative field is formatted as its unsigned value (ten
// digits), and the whole text is cut to the buffer. Returns the number of
// characters written.
size_t FormatTimeOfDayDigits(int hour, int minute, int second, char* out, size_t outSize);

#endif
