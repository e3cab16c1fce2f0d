// Time-of-day arithmetic of the timed exit: hhmmss number to hour, minute and
// second, and the delay from now until that time.
#ifndef DORVA_CORE_TIME_OF_DAY_H
#define DORVA_CORE_TIME_OF_DAY_H

constexpr int MillisPerDay = 86400000;

// Splits the hhmmss number (the decimal value of AtValue). A number below
// 10000 (signed; this covers the empty text, "500", "0500" and negatives) is
// first moved into hour 24 by adding 240000, so 000500 means 24:05:00, the
// next day's 00:05:00. The three fields are written in every case. Returns
// true when the time is valid: hour at most 24, minute and second at most 59,
// each compared as unsigned, so a negative field is invalid. Any int is safe.
bool SplitTimeOfDay(int atNumber, int* hour, int* minute, int* second);

// Milliseconds from the time now (hour, minute, second) to the given time:
// the difference in signed 32-bit arithmetic; when it is negative the time
// has passed today and one day is added. Zero stays zero. Inputs outside a
// clock's range are computed with the same 32-bit wrap-around, without
// undefined behaviour.
int MillisUntilTimeOfDay(int hour, int minute, int second, int nowHour, int nowMinute, int nowSecond);

#endif
