// Time-of-day arithmetic of the timed exit: hhmmss number to hour, minute and
// second, and the delay from now until that time.
#ifndef DORVA_CORE_TIME_OF_DAY_H
#define DORVA_CORE_TIME_OF_DAY_H

constexpr int MillisPerDay = 86400000;

// Splits the hhmmss number (the decimal value of AtValue). A number below
// 10000 (signed; this covers the empty text, "500", "0500" and negatives) is
// first moved into hour 24 by adding 240000, so 000500 gives 24:05:00, which
// the clock shows as 00:05:00. The three fields are written in every case. Returns
// true when the time is valid: hour at most 24, minute and second at most 59,
// each compared as unsigned, so a negative field is invalid. Any int is safe.
bool SplitTimeOfDay(int atNumber, int* hour, int* minute, int* second);

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

#endif
