// Registry data into settings fields, and settings into fixed-length data.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/stored_value.h"

namespace {

struct NumberRow {
    const char data[8];
    size_t dataLen;
    int expected;
};

TEST(StoredNumber, BoundedByTheDataLength)
{
    const NumberRow rows[] = {
        {" 1", 7, 1},
        {"-1", 7, -1},
        {"x", 7, 0},
        {"", 7, 0},
        {"99", 7, 99},
        {{'1', '2', '3', '4', '5', '6', '7'}, 7, 1234567},   // no terminator
        {{'1', '2', '3', '4', '5', '6', '7', '8'}, 3, 123},
        {"0\0" "55", 7, 0},                                  // bytes after the terminator mean nothing
        {" ", 1, 0},
    };
    for (const NumberRow& row : rows)
        EXPECT_EQ(row.expected, StoredNumber(row.data, row.dataLen)) << "data \"" << row.data << "\" length " << row.dataLen;
}

struct FieldRow {
    const char data[8];
    size_t dataLen;
    size_t fieldSize;
    const char* expected;
};

TEST(StoredTextToField, CutToTheFieldAndTerminated)
{
    const FieldRow rows[] = {
        {"30", 7, 7, "30"},
        {{'1', '2', '3', '4', '5', '6', '7'}, 7, 7, "123456"},   // 7 bytes, no terminator
        {"QZ", 7, 2, "Q"},                                      // HotKey keeps one letter
        {{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}, 3, 7, "abc"},
        {"", 7, 7, ""},
        {"ab\0cd", 7, 7, "ab"},
    };
    for (const FieldRow& row : rows) {
        char field[12];
        std::memset(field, 'Q', sizeof field);
        StoredTextToField(row.data, row.dataLen, field, row.fieldSize);
        EXPECT_STREQ(row.expected, field) << "data length " << row.dataLen << " field " << row.fieldSize;
        for (size_t i = row.fieldSize; i < sizeof field; ++i)
            EXPECT_EQ('Q', field[i]) << "byte " << i << " written past the field";
    }
}

TEST(FillFixedLength, TextThenZeros)
{
    char out[7 + 4];
    std::memset(out, 'Q', sizeof out);
    FillFixedLength("0", out, 7);
    const char expected[7] = {'0', 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(expected, out, 7));
    EXPECT_EQ(0, std::memcmp(out + 7, "QQQQ", 4));

    std::memset(out, 'Q', sizeof out);
    FillFixedLength("12345678", out, 7);
    EXPECT_EQ(0, std::memcmp("123456", out, 7));   // cut to six and terminated
    EXPECT_EQ('Q', out[7]);

    std::memset(out, 'Q', sizeof out);
    FillFixedLength("", out, 7);
    EXPECT_EQ(0, std::memcmp("\0\0\0\0\0\0\0", out, 7));
}

}  // namespace
