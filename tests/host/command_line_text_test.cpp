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

struct SplitRow {
    const char* text;
    int count;
    const char* tokens[TokenSlotCount];
};

TEST(SplitTokens, SpacesSeparateFirstTenKept)
{
    const SplitRow rows[] = {
        {"", 0, {}},
        {"   ", 0, {}},
        {"/x:r /f:e /t:600 /w:60 /n", 5, {"/x:r", "/f:e", "/t:600", "/w:60", "/n"}},
        {"  /a   /b  ", 2, {"/a", "/b"}},
        {"/t:5\t/w:2", 1, {"/t:5\t/w:2"}},           // a tab does not separate
        {"/t:123456789012345", 1, {"/t:123456"}},      // a 15-character token keeps 9
        {"a b c d e f g h i j k", 10, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
        // 60 characters: only the first 39 are cut into tokens.
        {"aaaaaaaaa bbbbbbbbb ccccccccc ddddddddd eeeeeeeee fffffffff", 4,
         {"aaaaaaaaa", "bbbbbbbbb", "ccccccccc", "ddddddddd"}},
        {"123456789012345678901234567890123456789XYZ", 1, {"123456789"}},
        {"                                     /t:5", 1, {"/t"}},  // 37 blanks: "/t:5" is cut to "/t"
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "text \"" << row.text << "\"");
        char slots[TokenSlotCount][TokenSlotSize];
        std::memset(slots, 'Q', sizeof slots);
        EXPECT_EQ(row.count, SplitTokens(row.text, slots));
        for (size_t i = 0; i < TokenSlotCount; ++i) {
            const char* expected = row.tokens[i] ? row.tokens[i] : "";
            EXPECT_STREQ(expected, slots[i]) << "slot " << i;
        }
    }
}

struct PickRow {
    const char* text;
    const char* at;
    const char* hotkey;
    const char* timer;
    const char* warn;
};

TEST(PickOptionTokens, LastOfTheFirstTenTokens)
{
    const PickRow rows[] = {
        {"/x:r /f:e /t:600 /w:60 /n", "", "", "/t:600", "/w:60"},
        {"/t:10 /t:20", "", "", "/t:20", ""},
        {"/t:5/w:3", "", "", "/t:5/w:3", "/t:5/w:3"},   // one token in two buffers
        {"/h:q /a:120000", "/a:120000", "/h:q", "", ""},
        {"/t:1 a b c d e f g h /t:2", "", "", "/t:2", ""},    // the tenth token is seen
        {"/t:1 a b c d e f g h i /t:2", "", "", "/t:1", ""},  // the eleventh is not
    };
    for (const PickRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "text \"" << row.text << "\"");
        char at[TokenBufferSize] = "old", hotkey[TokenBufferSize] = "old";
        char timer[TokenBufferSize] = "old", warn[TokenBufferSize] = "old";
        CollectOptionTokens(row.text, at, hotkey, timer, warn);
        EXPECT_STREQ(row.at, at);
        EXPECT_STREQ(row.hotkey, hotkey);
        EXPECT_STREQ(row.timer, timer);
        EXPECT_STREQ(row.warn, warn);
    }
}

TEST(PickOptionTokens, EleventhTokenValueIsNotTaken)
{
    const char* text = "a b c d e f g h i j /t:45";
    EXPECT_TRUE(HasOption(text, "/t"));  // the option still counts
    char at[TokenBufferSize], hotkey[TokenBufferSize], timer[TokenBufferSize], warn[TokenBufferSize];
    CollectOptionTokens(text, at, hotkey, timer, warn);
    EXPECT_STREQ("", timer);
    char value[7] = "30";
    EXPECT_FALSE(ExtractOptionValue(timer, 't', value, sizeof value));
    EXPECT_STREQ("30", value);
}

struct ValueRow {
    const char* token;
    char letter;
    size_t fieldSize;
    bool found;
    const char* value;  // the field afterwards; it starts as "old"
};

TEST(ExtractOptionValue, SkipThenRunUpToAStop)
{
    const ValueRow rows[] = {
        {"/t:0", 't', 7, true, "0"},
        {"/t:abc", 't', 7, true, "abc"},
        {"/t:600", 't', 7, true, "600"},
        {"/t:1234567", 't', 7, true, "123456"},     // cut to six characters
        {"/t", 't', 7, false, "old"},
        {"/t:", 't', 7, false, "old"},
        {"", 't', 7, false, "old"},
        {"/t:5/w:3", 't', 7, true, "5"},
        {"/t:5/w:3", 'w', 7, true, "t"},            // 't' is no stop for letter w
        {"/w:60", 'w', 7, true, "60"},
        {"/h:h", 'h', 2, false, "old"},             // h itself is skipped: no value
        {"/h:1", 'h', 2, true, "1"},
        {"/h:q", 'h', 2, true, "q"},
        {"/h:qz", 'h', 2, true, "q"},               // HotKey holds one letter
        {"/a:120000", 'a', 7, true, "120000"},
        {"/a:12:30", 'a', 7, true, "12"},
        {"x/t:9", 't', 7, true, "x"},
        {"//::tt42", 't', 7, true, "42"},
    };
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "token \"" << row.token << "\" letter " << row.letter);
        char field[16];
        std::memset(field, 'Q', sizeof field);
        std::memcpy(field, "old", 4);
        char before[sizeof field];
        std::memcpy(before, field, sizeof field);
        EXPECT_EQ(row.found, ExtractOptionValue(row.token, row.letter, field, row.fieldSize));
        EXPECT_STREQ(row.value, field);
        EXPECT_EQ(0, std::memcmp(field + row.fieldSize, before + row.fieldSize, sizeof field - row.fieldSize))
            << "written past the field";
    }
}

TEST(CommandLineText, WorkedExample)
{
    const char* text = "/x:r /f:e /t:600 /w:60 /n";
    EXPECT_EQ(25u, std::strlen(text));
    EXPECT_TRUE(HasOption(text, "/x:r"));
    EXPECT_FALSE(HasOption(text, "/e:s"));
    EXPECT_TRUE(HasOption(text, "/n"));
    EXPECT_FALSE(HasOption(text, "/z"));
    char at[TokenBufferSize], hotkey[TokenBufferSize], timer[TokenBufferSize], warn[TokenBufferSize];
    CollectOptionTokens(text, at, hotkey, timer, warn);
    char timerValue[7] = "30", warnValue[7] = "10", atValue[7] = "230000";
    EXPECT_TRUE(ExtractOptionValue(timer, 't', timerValue, sizeof timerValue));
    EXPECT_TRUE(ExtractOptionValue(warn, 'w', warnValue, sizeof warnValue));
    EXPECT_FALSE(ExtractOptionValue(at, 'a', atValue, sizeof atValue));
    EXPECT_STREQ("600", timerValue);
    EXPECT_STREQ("60", warnValue);
    EXPECT_STREQ("230000", atValue);
}

}  // namespace
