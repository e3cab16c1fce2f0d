// Bounded conversions between registry data and settings fields.
#include "stored_value.h"

#include <cstring>

#include "decimal.h"
#include "text.h"

void StoredTextToField(const char* data, size_t dataLen, char* field, size_t fieldSize)
{
    CopyTextN(field, fieldSize, data, dataLen);
}

int StoredNumber(const char* data, size_t dataLen)
{
    return DecimalToIntN(data, dataLen);
}

void FillFixedLength(const char* text, char* out, size_t fixedLen)
{
    if (out == nullptr || fixedLen == 0) return;
    size_t len = CopyText(out, fixedLen, text);
    std::memset(out + len, 0, fixedLen - len);
}
