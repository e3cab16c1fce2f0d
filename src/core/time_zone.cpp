// Local time and UTC through a time zone's yearly rules.
#include "time_zone.h"

#include "time_of_day.h"

namespace {
constexpr long long MillisPerMinute = 60 * 1000;
constexpr int DaysPerWeek = 7;
constexpr int LastWeek = 5;

long long FloorDiv(long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

int DayOf(long long moment) { return static_cast<int>(FloorDiv(moment, MillisPerDay)); }

// The Gregorian year of a day number (days counted from 1970-01-01).
int YearOf(int dayNumber)
{
    long long z = dayNumber + 719468LL;  // days from 0000-03-01
    long long era = FloorDiv(z, 146097);
    long long dayOfEra = z - era * 146097;
    long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    // March-based years: January and February belong to the next one.
    return static_cast<int>(yearOfEra + era * 400 + (dayOfYear >= 306 ? 1 : 0));
}

// The UTC moment of a switch in `year`; `offset` is the bias of the part of
// the year that the switch ends.
long long SwitchMoment(const ZoneSwitch& at, int year, int offset)
{
    const int first = DayNumber(year, at.month, 1);
    const int next = at.month == 12 ? DayNumber(year + 1, 1, 1) : DayNumber(year, at.month + 1, 1);
    int day = first + (at.weekday - Weekday(first) + DaysPerWeek) % DaysPerWeek;
    day += (at.week < 1 ? 0 : at.week > LastWeek ? LastWeek - 1 : at.week - 1) * DaysPerWeek;
    while (day >= next) day -= DaysPerWeek;  // week 5: the last one
    return static_cast<long long>(day) * MillisPerDay + at.millisOfDay + offset * MillisPerMinute;
}

bool HasDaylightSaving(const ZoneRules& zone) { return zone.toStandard.month != 0 && zone.toDaylight.month != 0; }

long long StandardOffset(const ZoneRules& zone) { return (zone.bias + zone.standardBias) * MillisPerMinute; }
long long DaylightOffset(const ZoneRules& zone) { return (zone.bias + zone.daylightBias) * MillisPerMinute; }

// Both switches of the year in which `utc` lies.
void Switches(const ZoneRules& zone, long long utc, long long* toDaylight, long long* toStandard)
{
    const int year = YearOf(DayOf(utc - StandardOffset(zone)));
    *toDaylight = SwitchMoment(zone.toDaylight, year, zone.bias + zone.standardBias);
    *toStandard = SwitchMoment(zone.toStandard, year, zone.bias + zone.daylightBias);
}

bool IsDaylight(const ZoneRules& zone, long long utc)
{
    if (!HasDaylightSaving(zone)) return false;
    long long toDaylight, toStandard;
    Switches(zone, utc, &toDaylight, &toStandard);
    // South of the equator daylight saving spans the new year.
    if (toDaylight < toStandard) return utc >= toDaylight && utc < toStandard;
    return utc >= toDaylight || utc < toStandard;
}
}  // namespace

int Weekday(int dayNumber) { return static_cast<int>((dayNumber % DaysPerWeek + DaysPerWeek + 4) % DaysPerWeek); }

long long LocalFromUtc(const ZoneRules& zone, long long utc)
{
    return utc - (IsDaylight(zone, utc) ? DaylightOffset(zone) : StandardOffset(zone));
}

long long UtcWhenClockShows(const ZoneRules& zone, long long local, long long from)
{
    const long long asStandard = local + StandardOffset(zone);
    if (!HasDaylightSaving(zone)) return asStandard;
    const long long asDaylight = local + DaylightOffset(zone);
    const long long early = asStandard < asDaylight ? asStandard : asDaylight;
    const long long late = asStandard < asDaylight ? asDaylight : asStandard;
    const bool lateShows = LocalFromUtc(zone, late) == local;
    if (LocalFromUtc(zone, early) == local && (early >= from || !lateShows)) return early;
    if (lateShows) return late;
    // Jumped over: the clock passes the time at the switch between the two.
    long long toDaylight, toStandard;
    Switches(zone, early, &toDaylight, &toStandard);
    if (toDaylight > early && toDaylight <= late) return toDaylight;
    if (toStandard > early && toStandard <= late) return toStandard;
    return late;
}
