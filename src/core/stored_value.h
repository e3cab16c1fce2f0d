// Turning registry data into settings fields and settings into fixed-length
// registry data. Registry data need not end in a terminator, so every reader
// here is bounded by the data's length.
#ifndef DORVA_CORE_STORED_VALUE_H
#define DORVA_CORE_STORED_VALUE_H

#include <cstddef>

// Copies `data` (dataLen bytes, up to its first terminator if it has one)
// into `field`, cut to fieldSize - 1 characters and always terminated: a
// 7-byte value without terminator keeps its first six characters in a 7-byte
// field, a longer HotKey text keeps its first letter.
void StoredTextToField(const char* data, size_t dataLen, char* field, size_t fieldSize);

// The decimal value of `data`, reading no more than dataLen bytes.
int StoredNumber(const char* data, size_t dataLen);

// Fills exactly fixedLen bytes of `out`: `text` cut to fixedLen - 1
// characters, its terminator, then zeros up to fixedLen. The bytes after the
// terminator are written as zeros so that no stale memory is stored.
void FillFixedLength(const char* text, char* out, size_t fixedLen);

#endif
