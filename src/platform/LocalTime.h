#pragma once

// Calendar time <-> seconds since 1970, 64-bit, in the local time zone (TZ respected)
// or in UTC.

#include <cstdint>

namespace vantrel {

struct CalendarTime {
    int year = 1970; // full year
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 0; // 0 = Sunday; filled by the conversions from seconds
};

// False when a field is out of range (month 13, 31 February, hour 24...) or the result
// does not fit. A local time skipped by a daylight-saving change still converts (to the
// moment the C library picks), so such a file keeps a time instead of losing it.
bool LocalToEpoch(const CalendarTime& local, std::int64_t* seconds);
bool UtcToEpoch(const CalendarTime& utc, std::int64_t* seconds);
bool EpochToLocal(std::int64_t seconds, CalendarTime* local);
bool EpochToUtc(std::int64_t seconds, CalendarTime* utc);
// Offset of local time from UTC at that moment, in seconds (east positive).
long LocalUtcOffset(std::int64_t seconds);
// EpochToLocal and LocalUtcOffset at once (one look at the zone rather than two).
bool EpochToLocal(std::int64_t seconds, CalendarTime* local, long* utcOffset);

} // namespace vantrel
