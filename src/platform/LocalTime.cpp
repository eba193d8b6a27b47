#include "platform/LocalTime.h"

#include <ctime>
#include <mutex>

namespace vantrel {

namespace {

// Far beyond any disk's dates, and small enough that tm_year cannot overflow.
constexpr int kMinYear = -1000000;
constexpr int kMaxYear = 1000000;

bool FieldsValid(const CalendarTime& t) {
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < kMinYear || t.year > kMaxYear || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return false;
    if (t.day > kDays[t.month - 1])
        return false;
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    return !(t.month == 2 && t.day == 29 && !leap);
}

std::tm ToTm(const CalendarTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    // mktime and timegm set tm_wday only on success; -1 is also a valid result, so this
    // is the only reliable failure signal.
    tm.tm_wday = -1;
    return tm;
}

void FromTm(const std::tm& tm, CalendarTime* out) {
    out->year = tm.tm_year + 1900;
    out->month = tm.tm_mon + 1;
    out->day = tm.tm_mday;
    out->hour = tm.tm_hour;
    out->minute = tm.tm_min;
    out->second = tm.tm_sec;
    out->millisecond = 0;
    out->dayOfWeek = tm.tm_wday;
}

// The zone is read once per run: tzset (and mktime, which calls it) looks at the zone
// file again on every call, which made listings of many files spend most of their time
// there. Tests that change TZ call tzset themselves.
void LoadZoneOnce() {
    static std::once_flag once;
    std::call_once(once, [] { ::tzset(); });
}

bool OffsetAt(std::time_t value, long* offset) {
    std::tm tm{};
    if (!::localtime_r(&value, &tm))
        return false;
    *offset = tm.tm_gmtoff;
    return true;
}

} // namespace

bool LocalToEpoch(const CalendarTime& local, std::int64_t* seconds) {
    if (!FieldsValid(local))
        return false;
    LoadZoneOnce();
    // The fields read as UTC, then moved by the zone's offset at that moment. The offset
    // is taken again at the corrected moment, so that a time near a daylight-saving change
    // gets the offset in force then; a skipped local time lands within the hour.
    std::tm tm = ToTm(local);
    tm.tm_isdst = 0;
    const std::time_t asUtc = ::timegm(&tm);
    long first = 0;
    long second = 0;
    if (tm.tm_wday < 0 || !OffsetAt(asUtc, &first) || !OffsetAt(asUtc - first, &second))
        return false;
    if (seconds)
        *seconds = static_cast<std::int64_t>(asUtc) - second;
    return true;
}

bool UtcToEpoch(const CalendarTime& utc, std::int64_t* seconds) {
    if (!FieldsValid(utc))
        return false;
    std::tm tm = ToTm(utc);
    tm.tm_isdst = 0;
    const std::time_t value = ::timegm(&tm);
    if (tm.tm_wday < 0)
        return false;
    if (seconds)
        *seconds = static_cast<std::int64_t>(value);
    return true;
}

bool EpochToLocal(std::int64_t seconds, CalendarTime* local) {
    return EpochToLocal(seconds, local, nullptr);
}

bool EpochToLocal(std::int64_t seconds, CalendarTime* local, long* utcOffset) {
    LoadZoneOnce();
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::localtime_r(&value, &tm))
        return false;
    if (local)
        FromTm(tm, local);
    if (utcOffset)
        *utcOffset = tm.tm_gmtoff;
    return true;
}

bool EpochToUtc(std::int64_t seconds, CalendarTime* utc) {
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::gmtime_r(&value, &tm))
        return false;
    if (utc)
        FromTm(tm, utc);
    return true;
}

long LocalUtcOffset(std::int64_t seconds) {
    LoadZoneOnce();
    long offset = 0;
    return OffsetAt(static_cast<std::time_t>(seconds), &offset) ? offset : 0;
}

} // namespace vantrel
