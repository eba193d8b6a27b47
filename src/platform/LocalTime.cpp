#include "platform/LocalTime.h"

#include <ctime>

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

} // namespace

bool LocalToEpoch(const CalendarTime& local, std::int64_t* seconds) {
    if (!FieldsValid(local))
        return false;
    std::tm tm = ToTm(local);
    const std::time_t value = std::mktime(&tm);
    if (tm.tm_wday < 0)
        return false;
    if (seconds)
        *seconds = static_cast<std::int64_t>(value);
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
    // localtime_r need not look at TZ again after its first call; mktime does, and the two
    // must agree.
    ::tzset();
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::localtime_r(&value, &tm))
        return false;
    if (local)
        FromTm(tm, local);
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
    ::tzset();
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!::localtime_r(&value, &tm))
        return 0;
    return tm.tm_gmtoff;
}

} // namespace vantrel
