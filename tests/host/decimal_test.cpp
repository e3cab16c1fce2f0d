// Decimal text to number and back.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/decimal.h"

namespace {

struct ParseRow {
    const char* text;
    int expected;
};

TEST(DecimalToInt, LeadingDigitsRule)
{
    const ParseRow rows[] = {
        {" 1", 1},
        {"-1", -1},
        {"+7", 7},
        {"x", 0},
        {"", 0},
        {"\t42abc", 42},
        {"\n\v\f\r 9", 9},
        {"45s", 45},
        {"- 5", 0},
        {"+-5", 0},
        {"--5", 0},
        {"0500", 500},
        {"-99999", -99999},
        {"1 2", 1},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", INT_MIN},    // wraps like 32-bit arithmetic
        {"4294967297", 1},
        {"4294967295", -1},
        {"-4294967297", -1},
        {"99999999999999999999", static_cast<int>(0x630FFFFFu)},  // 10^20 - 1 mod 2^32
        {nullptr, 0},
    };
    for (const ParseRow& row : rows) {
        EXPECT_EQ(row.expected, DecimalToInt(row.text)) << "text \"" << (row.text ? row.text : "(null)") << "\"";
    }
}

TEST(DecimalToIntN, ReadsNoFurtherThanTheLimit)
{
    EXPECT_EQ(12, DecimalToIntN("12345", 2));
    EXPECT_EQ(0, DecimalToIntN("  7", 2));
    EXPECT_EQ(0, DecimalToIntN("-7", 1));
    EXPECT_EQ(-7, DecimalToIntN("-7", 2));
    EXPECT_EQ(0, DecimalToIntN("7", 0));
}

struct FormatRow {
    int value;
    const char* expected;
};

TEST(IntToDecimal, SignedDigits)
{
    const FormatRow rows[] = {
        {0, "0"}, {7, "7"}, {-1, "-1"}, {999999, "999999"}, {-99999, "-99999"},
        {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"},
    };
    for (const FormatRow& row : rows) {
        char out[16];
        std::memset(out, 'Q', sizeof out);
        size_t len = IntToDecimal(row.value, out, sizeof out);
        EXPECT_STREQ(row.expected, out) << "value " << row.value;
        EXPECT_EQ(std::strlen(row.expected), len) << "value " << row.value;
        EXPECT_EQ(row.value, DecimalToInt(out)) << "round trip of " << row.value;
    }
}

struct CutRow {
    int value;
    size_t outSize;
    const char* expected;
};

TEST(IntToDecimal, TooSmallBufferIsCutAndTerminated)
{
    const CutRow rows[] = {
        {INT_MIN, 5, "-214"},
        {-5, 2, "-"},
        {-5, 1, ""},
        {123456, 4, "123"},
        {123456, 7, "123456"},
    };
    for (const CutRow& row : rows) {
        char out[16];
        std::memset(out, 'Q', sizeof out);
        size_t len = IntToDecimal(row.value, out, row.outSize);
        EXPECT_STREQ(row.expected, out) << "value " << row.value << " size " << row.outSize;
        EXPECT_EQ(std::strlen(row.expected), len);
        for (size_t i = row.outSize; i < sizeof out; ++i)
            EXPECT_EQ('Q', out[i]) << "byte " << i << " written for value " << row.value << " size " << row.outSize;
    }
    char untouched = 'Q';
    EXPECT_EQ(0u, IntToDecimal(42, &untouched, 0));
    EXPECT_EQ('Q', untouched);
}

struct PaddedRow {
    unsigned value;
    unsigned minDigits;
    const char* expected;
};

TEST(FormatUnsignedPadded, PercentUAndPercent02u)
{
    const PaddedRow rows[] = {
        {0, 2, "00"}, {5, 2, "05"}, {59, 2, "59"}, {16666, 2, "16666"},
        {0, 0, "0"}, {7, 1, "7"}, {4294967295u, 2, "4294967295"}, {42, 5, "00042"},
    };
    for (const PaddedRow& row : rows) {
        char out[16];
        FormatUnsignedPadded(row.value, row.minDigits, out, sizeof out);
        EXPECT_STREQ(row.expected, out) << "value " << row.value << " minDigits " << row.minDigits;
    }
}

TEST(FormatFieldNumber, FitsTheSevenByteNumberText)
{
    const FormatRow rows[] = {
        {-5, "-5"}, {0, "0"}, {999999, "999999"}, {-99999, "-99999"}, {30, "30"},
        {1234567, "123456"},       // cut to the field, never past it
        {INT_MIN, "-21474"},
    };
    for (const FormatRow& row : rows) {
        char field[7 + 4];
        std::memset(field, 'Q', sizeof field);
        FormatFieldNumber(row.value, field, 7);
        EXPECT_STREQ(row.expected, field) << "value " << row.value;
        EXPECT_EQ(0, std::memcmp(field + 7, "QQQQ", 4)) << "overrun for value " << row.value;
    }
}

struct TimeDigitsRow {
    int hour, minute, second;
    const char* expected;
};

TEST(FormatTimeOfDayDigits, SixDigitsAndBounded)
{
    const TimeDigitsRow rows[] = {
        {0, 5, 0, "000500"},
        {0, 0, 0, "000000"},
        {23, 59, 59, "235959"},
        {14, 0, 1, "140001"},
        {-1, 0, 0, "429496"},  // the unsigned value, cut to the 7-byte field
    };
    for (const TimeDigitsRow& row : rows) {
        char field[7 + 4];
        std::memset(field, 'Q', sizeof field);
        FormatTimeOfDayDigits(row.hour, row.minute, row.second, field, 7);
        EXPECT_STREQ(row.expected, field) << row.hour << ":" << row.minute << ":" << row.second;
        EXPECT_EQ(0, std::memcmp(field + 7, "QQQQ", 4)) << "overrun";
    }
}

}  // namespace
