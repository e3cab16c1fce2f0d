// The program's one decimal conversion in each direction.
#include "decimal.h"

#include <climits>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reinterprets 32-bit unsigned bits as a signed number without relying on
// implementation-defined conversions.
int WrapToInt(unsigned bits)
{
    if (bits <= static_cast<unsigned>(INT_MAX)) return static_cast<int>(bits);
    return -static_cast<int>(~bits) - 1;
}

// Writes the decimal digits of `value` backwards into the end of `buf` and
// returns the index of the first digit.
size_t DigitsBackwards(unsigned value, char* buf, size_t bufSize)
{
    size_t at = bufSize;
    do {
        buf[--at] = static_cast<char>('0' + value % 10u);
        value /= 10u;
    } while (value != 0 && at > 0);
    return at;
}

// Puts one character at out[*len] when there is room for it and the
// terminator after it.
void PutChar(char c, char* out, size_t outSize, size_t* len)
{
    if (*len + 1 < outSize) out[(*len)++] = c;
}

}  // namespace

int DecimalToIntN(const char* text, size_t maxLen)
{
    if (text == nullptr) return 0;
    size_t i = 0;
    while (i < maxLen && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < maxLen && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned value = 0;  // unsigned so that an overflow wraps instead of being undefined
    while (i < maxLen && text[i] >= '0' && text[i] <= '9') {
        value = value * 10u + static_cast<unsigned>(text[i] - '0');
        ++i;
    }
    if (negative) value = 0u - value;
    return WrapToInt(value & 0xFFFFFFFFu);
}

int DecimalToInt(const char* text)
{
    return DecimalToIntN(text, static_cast<size_t>(-1));
}

size_t FormatUnsignedPadded(unsigned value, unsigned minDigits, char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) return 0;
    char digits[16];
    size_t first = DigitsBackwards(value, digits, sizeof digits);
    size_t count = sizeof digits - first;
    size_t len = 0;
    for (size_t pad = count; pad < minDigits && len + 1 < outSize; ++pad) PutChar('0', out, outSize, &len);
    for (size_t i = first; i < sizeof digits; ++i) PutChar(digits[i], out, outSize, &len);
    out[len] = '\0';
    return len;
}

size_t IntToDecimal(int value, char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) return 0;
    if (value >= 0) return FormatUnsignedPadded(static_cast<unsigned>(value), 1, out, outSize);
    size_t len = 0;
    PutChar('-', out, outSize, &len);
    // 0u - bits is the magnitude, also for INT_MIN.
    unsigned magnitude = 0u - static_cast<unsigned>(value);
    return len + FormatUnsignedPadded(magnitude, 1, out + len, outSize - len);
}

size_t FormatFieldNumber(int value, char* out, size_t outSize)
{
    return IntToDecimal(value, out, outSize);
}

size_t FormatTimeOfDayDigits(int hour, int minute, int second, char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) return 0;
    size_t len = FormatUnsignedPadded(static_cast<unsigned>(hour), 2, out, outSize);
    len += FormatUnsignedPadded(static_cast<unsigned>(minute), 2, out + len, outSize - len);
    len += FormatUnsignedPadded(static_cast<unsigned>(second), 2, out + len, outSize - len);
    return len;
}

bool WholeDecimal(const char* text, size_t length, unsigned long max, unsigned long* value)
{
    if (text == nullptr || length == 0) return false;
    unsigned long long number = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + static_cast<unsigned>(text[i] - '0');
        if (number > max) return false;
    }
    *value = static_cast<unsigned long>(number);
    return true;
}
