// The moment the local clock first shows a time, in zones east and west of
// UTC, north and south, on both switch days.
#include <gtest/gtest.h>

#include "core/time_of_day.h"
#include "core/time_zone.h"

namespace {
constexpr int Hour = 3600000;
constexpr ZoneRules Berlin = {-60, 0, -60, {10, 0, 5, 3 * Hour}, {3, 0, 5, 2 * Hour}};
constexpr ZoneRules NewYork = {300, 0, -60, {11, 0, 1, 2 * Hour}, {3, 0, 2, 2 * Hour}};
constexpr ZoneRules Sydney = {-600, 0, -60, {4, 0, 1, 3 * Hour}, {10, 0, 1, 2 * Hour}};
constexpr ZoneRules Tokyo = {-540, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}};

long long At(int y, int mo, int d, int h, int mi) { return DayNumber(y, mo, d) * 86400000LL + (h * 60 + mi) * 60000LL; }

TEST(TimeZone, FirstShowingInUtc)
{
    struct Row {
        const ZoneRules* zone;
        long long local, utc;
        long long from;
    } rows[] = {
        {&Berlin, At(2027, 3, 28, 1, 59), At(2027, 3, 28, 0, 59)},
        {&Berlin, At(2027, 3, 28, 2, 30), At(2027, 3, 28, 1, 0)},   // jumped over: at the jump
        {&Berlin, At(2027, 3, 28, 3, 0) + 20000, At(2027, 3, 28, 1, 0) + 20000},
        {&Berlin, At(2027, 7, 1, 12, 0), At(2027, 7, 1, 10, 0)},
        {&Berlin, At(2027, 10, 31, 2, 30), At(2027, 10, 31, 0, 30)},  // shown twice: the first
        {&Berlin, At(2027, 10, 31, 3, 0), At(2027, 10, 31, 2, 0)},
        {&Berlin, At(2027, 10, 31, 2, 30), At(2027, 10, 31, 1, 30), At(2027, 10, 31, 1, 0)},  // the second
        {&Berlin, At(2027, 12, 31, 23, 30), At(2027, 12, 31, 22, 30)},
        {&NewYork, At(2027, 3, 14, 2, 30), At(2027, 3, 14, 7, 0)},
        {&NewYork, At(2027, 11, 7, 1, 30), At(2027, 11, 7, 5, 30)},
        {&NewYork, At(2028, 1, 1, 0, 0), At(2028, 1, 1, 5, 0)},
        {&Sydney, At(2027, 1, 15, 12, 0), At(2027, 1, 15, 1, 0)},
        {&Sydney, At(2027, 10, 3, 2, 30), At(2027, 10, 2, 16, 0)},
        {&Sydney, At(2027, 4, 4, 2, 30), At(2027, 4, 3, 15, 30)},
        {&Tokyo, At(2027, 3, 28, 12, 0), At(2027, 3, 28, 3, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "zone bias " << row.zone->bias << ", local " << row.local);
        EXPECT_EQ(UtcWhenClockShows(*row.zone, row.local, row.from), row.utc);
        // The clock then shows the time, or one past the jump.
        EXPECT_GE(LocalFromUtc(*row.zone, row.utc), row.local);
        if (!row.from) EXPECT_LT(LocalFromUtc(*row.zone, row.utc - 1000), row.local);
    }
    EXPECT_EQ(Weekday(DayNumber(2027, 3, 28)), 0);
}
}  // namespace
