// Option search, tokens and option values of the command line.
#include <gtest/gtest.h>

#include <cstring>

#include "core/command_line_text.h"

namespace {

struct OptionRow {
    const char* text;
    const char* option;
    bool expected;
};

TEST(HasOption, SubstringAnywhere)
{
    const OptionRow rows[] = {
        {"/e:s/f:f", "/e:s", true},
        {"/e:s/f:f", "/f:f", true},
        {"/e:s/f:f", "/f", true},
        {"x/t:30y", "/t", true},
        {"/t", "/t:", false},
        {"/E:S", "/e:s", false},                  // case-sensitive: the caller lower-cases
        {"/e:s /e:s", "/e:s", true},
        {"", "/n", false},
        {"a very long command line well past forty characters and then /z", "/z", true},
        {nullptr, "/n", false},
    };
    for (const OptionRow& row : rows)
        EXPECT_EQ(row.expected, HasOption(row.text, row.option))
            << "text \"" << (row.text ? row.text : "(null)") << "\" option " << row.option;
}

struct ValueRow {
    const char* text;
    char letter;
    size_t fieldSize;
    size_t length;      // the whole value's length
    const char* value;  // the field afterwards; it starts as "old"
};

TEST(OptionValue, LastOfTheFirstTenTokensFromItsOptionUpToAStop)
{
    const ValueRow rows[] = {
        {"/x:r /f:e /t:600 /w:60 /n", 't', 7, 3, "600"},
        {"/x:r /f:e /t:600 /w:60 /n", 'w', 7, 2, "60"},
        {"/x:r /f:e /t:600 /w:60 /n", 'a', 7, 0, "old"},
        {"/t:0", 't', 7, 1, "0"},
        {"/t:abc", 't', 7, 3, "abc"},
        {"/t:1234567", 't', 7, 7, "123456"},        // too long: the caller refuses it
        {"/t:123456789012345", 't', 7, 15, "123456"},
        {"/t", 't', 7, 0, "old"},
        {"/t:", 't', 7, 0, "old"},
        {"", 't', 7, 0, "old"},
        {"   ", 't', 7, 0, "old"},
        {"/t:10 /t:20", 't', 7, 2, "20"},
        {"/t:5/w:3", 't', 7, 1, "5"},               // one token serves two options
        {"/t:5/w:3", 'w', 7, 1, "3"},               // the value follows its own option
        {"/e:s/t:600/w:60", 't', 7, 3, "600"},
        {"/e:s/t:600/w:60", 'w', 7, 2, "60"},
        {"/t:/w:5", 't', 7, 0, "old"},              // no value of its own
        {"/t:5/t:6", 't', 7, 1, "6"},               // the last in its token
        {"/t:5\t/w:2", 't', 7, 2, "5\t"},           // a tab does not separate
        {"  /h:q   /a:120000  ", 'h', 2, 1, "q"},
        {"/h:h", 'h', 2, 0, "old"},                 // h itself is skipped: no value
        {"/h:qz", 'h', 2, 2, "q"},
        {"/a:12:30", 'a', 7, 2, "12"},
        {"x/t:9", 't', 7, 1, "9"},
        {"//t::tt42", 't', 7, 2, "42"},
        {"/t:1 a b c d e f g h /t:2", 't', 7, 1, "2"},    // the tenth token is seen
        {"/t:1 a b c d e f g h i /t:2", 't', 7, 1, "1"},  // the eleventh is not
        {"a b c d e f g h i j /t:45", 't', 7, 0, "old"},
        // Nothing is cut by the length of the text or of a token.
        {"                                     /t:5", 't', 7, 1, "5"},
        {"/e:l /f:f /f:e /f:b /f:c /h:q /w:10 /t:120", 't', 7, 3, "120"},
    };
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "text \"" << row.text << "\" letter " << row.letter);
        char field[16];
        std::memset(field, 'Q', sizeof field);
        std::memcpy(field, "old", 4);
        char before[sizeof field];
        std::memcpy(before, field, sizeof field);
        EXPECT_EQ(row.length, OptionValue(row.text, row.letter, field, row.fieldSize));
        EXPECT_STREQ(row.value, field);
        EXPECT_EQ(0, std::memcmp(field + row.fieldSize, before + row.fieldSize, sizeof field - row.fieldSize))
            << "written past the field";
    }
    EXPECT_EQ(0u, OptionValue(nullptr, 't', nullptr, 0));
}

}  // namespace
