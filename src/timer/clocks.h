// The clocks of the timed exit, read together: the local date and time that
// the user sees, UTC, the time zone's rules that join them, and the tick
// count that timers wait on.
#ifndef DORVA_TIMER_CLOCKS_H
#define DORVA_TIMER_CLOCKS_H

#include <windows.h>

#include "core/time_zone.h"

struct Clocks {
    int today;          // the local date's day number
    int millisOfDay;    // the local time of day
    long long local;    // both in ms from 1970-01-01 on the local calendar
    long long utc;      // the same moment in UTC
    ZoneRules zone;
    DWORD tick;
};

Clocks ReadClocks();

// The system's rules in the zone's terms. A zone whose rules do not give the
// local time the system shows (rules the system does not say, or keeps for
// another year) is taken as a fixed bias, `utc` - `local`, until the clock
// shows the difference change.
ZoneRules ZoneFromSystem(const TIME_ZONE_INFORMATION& info, long long utc, long long local);

#endif
