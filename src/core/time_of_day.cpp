// Turning an hhmmss setting into the delay and the moment of the exit.
#include "time_of_day.h"

namespace {
constexpr int MidnightHour = 24;
constexpr int TimeOfDayDigits = 6;
constexpr int MillisPerSecond = 1000;
constexpr int DaysTo1970 = 719469;  // from 0000-03-01, counted as day 1

// Low 32 bits of a 64-bit number as a signed 32-bit number, the result the
// same sum would give in 32-bit arithmetic that wraps.
int Wrap32(long long value)
{
    unsigned long long bits = static_cast<unsigned long long>(value) & 0xFFFFFFFFull;
    if (bits <= 0x7FFFFFFFull) return static_cast<int>(bits);
    return static_cast<int>(static_cast<long long>(bits) - 0x100000000ll);
}

}  // namespace

bool ParseTimeOfDay(const char* text, TimeOfDay* time)
{
    if (text == nullptr) return false;
    int digits[TimeOfDayDigits];
    for (int i = 0; i < TimeOfDayDigits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        digits[i] = text[i] - '0';
    }
    if (text[TimeOfDayDigits] != '\0') return false;
    TimeOfDay read = {digits[0] * 10 + digits[1], digits[2] * 10 + digits[3], digits[4] * 10 + digits[5]};
    if (read.hour > MidnightHour || read.minute > 59 || read.second > 59) return false;
    *time = read;
    return true;
}

int MillisUntilTimeOfDay(int hour, int minute, int second, int nowHour, int nowMinute, int nowSecond)
{
    if (hour == MidnightHour) hour = 0;
    long long target = static_cast<long long>(hour) * 3600 + static_cast<long long>(minute) * 60 + second;
    long long now = static_cast<long long>(nowHour) * 3600 + static_cast<long long>(nowMinute) * 60 + nowSecond;
    int millis = Wrap32((target - now) * 1000);
    // A negative number plus one day cannot overflow.
    if (millis < 0) millis += MillisPerDay;
    return millis;
}

int DayNumber(int year, int month, int day)
{
    // Years counted from March, so that the leap day ends a year.
    if (month <= 2) {
        --year;
        month += 12;
    }
    return 365 * year + year / 4 - year / 100 + year / 400 + (153 * (month - 3) + 2) / 5 + day - DaysTo1970;
}

long long NextTimeOfDay(int today, int millisOfDay, int hour, int minute, int second, bool nowCounts)
{
    int target = ((hour % MidnightHour) * 3600 + minute * 60 + second) * MillisPerSecond;
    int reached = nowCounts ? millisOfDay - millisOfDay % MillisPerSecond : millisOfDay + 1;
    int day = target < reached ? today + 1 : today;
    return static_cast<long long>(day) * MillisPerDay + target;
}

bool ParseWeekdays(const char* text, int* days)
{
    if (text == nullptr) return false;
    int chosen = 0;
    for (; *text != '\0'; ++text) {
        if (*text < '1' || *text > '0' + MaxWeekdayDigits) return false;
        chosen |= 1 << (*text - '1');
    }
    *days = chosen;
    return true;
}

void FormatWeekdays(int days, char* out, unsigned outSize)
{
    if (outSize == 0) return;
    unsigned used = 0;
    for (int day = 0; day < MaxWeekdayDigits && used + 1 < outSize; ++day) {
        if (days & (1 << day)) out[used++] = static_cast<char>('1' + day);
    }
    out[used] = '\0';
}

bool IsChosenWeekday(int days, int dayNumber)
{
    // Day 0, 1970-01-01, was a Thursday: the fourth day of an ISO week.
    constexpr int ThursdayIndex = 3;
    const int index = (dayNumber % MaxWeekdayDigits + MaxWeekdayDigits + ThursdayIndex) % MaxWeekdayDigits;
    return (days >> index & 1) != 0;
}
