// A time zone's own rules, as the system gives them: the bias between local
// time and UTC and the two yearly switches of daylight saving. From them the
// moment at which the local clock first shows a time is known in UTC, so that
// one timer can wait for it across a switch that no message announces.
#ifndef DORVA_CORE_TIME_ZONE_H
#define DORVA_CORE_TIME_ZONE_H

// A yearly switch in the system's day-in-month form: the `week`th `weekday`
// (0 Sunday) of `month`, week 5 being the last one, at `millisOfDay` of the
// local time that ends there (standard time for the switch to daylight
// saving, daylight time for the switch back).
struct ZoneSwitch {
    int month;  // 1 to 12; 0 in either switch: the zone keeps standard time
    int weekday;
    int week;
    int millisOfDay;
};

// Minutes, as the system counts them: UTC = local time + bias + the bias of
// the part of the year.
struct ZoneRules {
    int bias;
    int standardBias;
    int daylightBias;
    ZoneSwitch toStandard;
    ZoneSwitch toDaylight;
};

// Moments are milliseconds from 1970-01-01 00:00, the local ones on the local
// calendar (the day numbers of time_of_day.h).

// The local time that the clock shows at the UTC moment `utc`.
long long LocalFromUtc(const ZoneRules& zone, long long utc);

// The UTC moment at which the local clock first shows `local`, counted from
// `from`. A time the clock jumps over (the night summer time starts) is
// reached at the jump; a time the clock shows twice (the night it ends) the
// first time, or the second when the first lies before `from`.
long long UtcWhenClockShows(const ZoneRules& zone, long long local, long long from);

// The day of the week of a day number, 0 Sunday to 6 Saturday.
int Weekday(int dayNumber);

#endif
