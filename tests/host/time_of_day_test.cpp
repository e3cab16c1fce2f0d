// The time-of-day exit: hhmmss text to fields, validity and the delay from now.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "core/time_of_day.h"

namespace {

struct AtRow {
    const char* atValue;
    int nowH, nowM, nowS;
    bool valid;
    int hour, minute, second;
    int millis;  // only checked when valid
};

TEST(ParseAtValue, DocumentedExamples)
{
    const AtRow rows[] = {
        {"230000", 22, 0, 0, true, 23, 0, 0, 3600000},
        {"230000", 23, 30, 0, true, 23, 0, 0, 84600000},      // passed today: wraps to tomorrow
        {"123456", 12, 34, 56, true, 12, 34, 56, 0},          // equal time stays 0
        {"000500", 0, 1, 0, true, 0, 5, 0, 240000},  {"240000", 23, 0, 0, true, 24, 0, 0, 3600000},
        {"245959", 0, 0, 0, true, 24, 59, 59, 3599000},
        {"250000", 12, 0, 0, false, -7, -7, -7},  {"126000", 12, 0, 0, false, -7, -7, -7},
        {"235960", 12, 0, 0, false, -7, -7, -7},  {"500", 12, 0, 0, false, -7, -7, -7},
        {"2300", 12, 0, 0, false, -7, -7, -7},    {"", 12, 0, 0, false, -7, -7, -7},
        {"abc", 12, 0, 0, false, -7, -7, -7},     {"-99999", 12, 0, 0, false, -7, -7, -7},
        {"235900", 12, 0, 0, true, 23, 59, 0, 43140000},
        {"010000", 0, 0, 0, true, 1, 0, 0, 3600000},
    };
    for (const AtRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "AtValue \"" << row.atValue << "\" at " << row.nowH << ":"
                                        << row.nowM << ":" << row.nowS);
        TimeOfDay time = {-7, -7, -7};
        bool valid = ParseTimeOfDay(row.atValue, &time);
        const int h = time.hour, m = time.minute, s = time.second;
        EXPECT_EQ(row.valid, valid);
        EXPECT_EQ(row.hour, h);
        EXPECT_EQ(row.minute, m);
        EXPECT_EQ(row.second, s);
        if (row.valid) {
            EXPECT_EQ(row.millis, MillisUntilTimeOfDay(h, m, s, row.nowH, row.nowM, row.nowS));
        }
    }
}

// The 32-bit result computed with unsigned wrap-around, independently of the
// code under test.
int Reference32(int h, int m, int s, int nh, int nm, int ns)
{
    if (h == 24) h = 0;
    uint32_t target = static_cast<uint32_t>(h) * 3600u + static_cast<uint32_t>(m) * 60u + static_cast<uint32_t>(s);
    uint32_t now = static_cast<uint32_t>(nh) * 3600u + static_cast<uint32_t>(nm) * 60u + static_cast<uint32_t>(ns);
    int64_t diff = static_cast<int64_t>(static_cast<int32_t>((target - now) * 1000u));
    if (diff < 0) diff += 86400000;
    return static_cast<int>(diff);
}

TEST(MillisUntilTimeOfDay, OutOfRangeInputsWrapLike32Bits)
{
    const int v[] = {INT_MIN, -1, 0, 1, 59, 24, 3600, INT_MAX};
    for (int h : v)
        for (int m : v)
            for (int nh : v) {
                EXPECT_EQ(Reference32(h, m, 7, nh, 3, 2), MillisUntilTimeOfDay(h, m, 7, nh, 3, 2))
                    << h << ":" << m << ":7 from " << nh << ":3:2";
            }
}

TEST(DayNumber, ConsecutiveDatesHaveConsecutiveNumbers)
{
    EXPECT_EQ(0, DayNumber(1970, 1, 1));
    EXPECT_EQ(-1, DayNumber(1969, 12, 31));
    EXPECT_EQ(-134774, DayNumber(1601, 1, 1));  // the FILETIME origin
    EXPECT_EQ(DayNumber(2024, 2, 28) + 1, DayNumber(2024, 2, 29));
    EXPECT_EQ(DayNumber(2024, 2, 29) + 1, DayNumber(2024, 3, 1));
    EXPECT_EQ(DayNumber(2100, 2, 28) + 1, DayNumber(2100, 3, 1));  // no leap day
    EXPECT_EQ(DayNumber(2000, 2, 28) + 2, DayNumber(2000, 3, 1));  // a leap day
    EXPECT_EQ(DayNumber(2026, 12, 31) + 1, DayNumber(2027, 1, 1));
    EXPECT_EQ(2932896, DayNumber(9999, 12, 31));
}

// The moment the clock next shows a time, counted from the midnight of day 0;
// now is day 10 here.
TEST(NextTimeOfDay, FirstMomentTheClockShowsTheTime)
{
    constexpr long long Day = 86400000, Base = 10 * Day;
    auto ms = [](int h, int m, int s, int millis) { return ((h * 60 + m) * 60 + s) * 1000 + millis; };
    struct Row {
        int now;  // ms of day 10
        int h, m, s;
        bool nowCounts;
        long long due;
    };
    const Row rows[] = {
        {ms(0, 1, 0, 0), 24, 5, 0, true, Base + ms(0, 5, 0, 0)},
        {ms(23, 0, 0, 0), 24, 5, 0, true, Base + Day + ms(0, 5, 0, 0)},
        {ms(23, 0, 0, 0), 0, 5, 0, true, Base + Day + ms(0, 5, 0, 0)},
        {ms(12, 0, 0, 500), 12, 0, 0, true, Base + ms(12, 0, 0, 0)},         // now, to the second
        {ms(12, 0, 0, 500), 12, 0, 0, false, Base + Day + ms(12, 0, 0, 0)},  // strictly after now
        {ms(12, 0, 0, 0), 12, 0, 0, false, Base + Day + ms(12, 0, 0, 0)},
        {ms(12, 0, 1, 0), 12, 0, 0, true, Base + Day + ms(12, 0, 0, 0)},
        {ms(23, 59, 59, 999), 24, 0, 0, true, Base + Day},
        {0, 24, 0, 0, true, Base},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.due, NextTimeOfDay(10, row.now, row.h, row.m, row.s, row.nowCounts))
            << row.h << ":" << row.m << ":" << row.s << " from " << row.now << " ms into the day";
    }
}

}  // namespace
