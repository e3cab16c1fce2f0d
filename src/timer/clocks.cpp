// Reading the local clock, UTC and the time zone at once.
#include "timer/clocks.h"

#include "core/time_of_day.h"
#include "system/system_actions.h"

namespace {
constexpr int MillisPerSecond = 1000;
constexpr long long MillisPerMinute = 60 * MillisPerSecond;
// Local time and UTC are read one after the other: this far apart they still
// tell the same moment.
constexpr long long ReadingsApartMs = 2 * MillisPerSecond;

int MillisOfDay(const SYSTEMTIME& t) { return ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * MillisPerSecond + t.wMilliseconds; }

long long Moment(const SYSTEMTIME& t)
{
    return static_cast<long long>(DayNumber(t.wYear, t.wMonth, t.wDay)) * MillisPerDay + MillisOfDay(t);
}

ZoneSwitch SwitchFromSystem(const SYSTEMTIME& at) { return {at.wMonth, at.wDayOfWeek, at.wDay, MillisOfDay(at)}; }

long long Distance(long long a, long long b) { return a < b ? b - a : a - b; }
}  // namespace

ZoneRules ZoneFromSystem(const TIME_ZONE_INFORMATION& info, long long utc, long long local)
{
    ZoneRules zone = {static_cast<int>(info.Bias), static_cast<int>(info.StandardBias),
                      static_cast<int>(info.DaylightBias), SwitchFromSystem(info.StandardDate),
                      SwitchFromSystem(info.DaylightDate)};
    if (Distance(LocalFromUtc(zone, utc), local) <= ReadingsApartMs) return zone;
    const long long minutes = (utc - local + (utc >= local ? 1 : -1) * MillisPerMinute / 2) / MillisPerMinute;
    return {static_cast<int>(minutes), 0, 0, {}, {}};
}

Clocks ReadClocks()
{
    Clocks now;  // every field is set below
    SYSTEMTIME t;
    SysGetLocalTime(&t);
    now.today = DayNumber(t.wYear, t.wMonth, t.wDay);
    now.millisOfDay = MillisOfDay(t);
    now.local = static_cast<long long>(now.today) * MillisPerDay + now.millisOfDay;
    SYSTEMTIME u;
    SysGetSystemTime(&u);
    now.utc = Moment(u);
    TIME_ZONE_INFORMATION info = {};
    if (SysGetTimeZoneInformation(&info) == TIME_ZONE_ID_INVALID) info = {};
    now.zone = ZoneFromSystem(info, now.utc, now.local);
    now.tick = SysGetTickCount();
    return now;
}
