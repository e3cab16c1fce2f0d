// Time-of-day arithmetic of the timed exit: hhmmss number to hour, minute and
// second, and the delay from now until that time.
#ifndef DORVA_CORE_TIME_OF_DAY_H
#define DORVA_CORE_TIME_OF_DAY_H

constexpr int MillisPerDay = 86400000;

// A time of day as the clock shows it; hour 24 is the midnight that ends the
// day, which the clock shows as 00.
struct TimeOfDay {
    int hour, minute, second;
};

// A time of day is exactly six digits hhmmss: hours 00 to 24, minutes and
// seconds 00 to 59. Anything else ("2300", "12", "abc", "", a sign, a blank,
// a seventh character) is no time: false, and `time` is left as it was.
bool ParseTimeOfDay(const char* text, TimeOfDay* time);

// Milliseconds from the time now (hour, minute, second) until the clock next
// shows the given time: hour 24 is hour 00 (000500 at 00:01 is 4 minutes
// away, not a day and 4 minutes); the difference is taken in signed 32-bit
// arithmetic, and when it is negative the time has passed today and one day
// is added. A time equal to now gives zero. Inputs outside a clock's range
// are computed with the same 32-bit wrap-around, without undefined behaviour.
int MillisUntilTimeOfDay(int hour, int minute, int second, int nowHour, int nowMinute, int nowSecond);

// The number of the day `year`-`month`-`day` of the Gregorian calendar,
// counted from 1970-01-01 (day 0), for years 1 to 30827: consecutive dates
// have consecutive numbers.
int DayNumber(int year, int month, int day);

// The moment at which the clock next shows the valid time hour:minute:second
// (hour 24 is hour 00), in milliseconds counted from the midnight that
// begins day 0, when the clock now shows day `today` at `millisOfDay` past
// midnight. With `nowCounts`, a time equal to now to the second is now's own
// second (the result may then lie up to 999 ms before now); otherwise the
// result lies strictly after now.
long long NextTimeOfDay(int today, int millisOfDay, int hour, int minute, int second, bool nowCounts);

// The weekdays a time of day is limited to: bit 0 Monday to bit 6 Sunday, as
// ISO numbers the days 1 to 7; no bit is every day, without repeating.
constexpr int MaxWeekdayDigits = 7;
constexpr int WeekdaysTextSize = MaxWeekdayDigits + 1;
// Digits 1 to 7, in any order and repeated or not ("12345" for the working
// days); false, with `days` as it was, for any other character. The empty
// text is no weekday.
bool ParseWeekdays(const char* text, int* days);
// The digits of `days` in order, "" for none; cut to outSize - 1.
void FormatWeekdays(int days, char* out, unsigned outSize);
// Whether the day with that number is one of `days`.
bool IsChosenWeekday(int days, int dayNumber);

#endif
