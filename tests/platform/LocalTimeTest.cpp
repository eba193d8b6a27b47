#include "platform/LocalTime.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace vantrel;

namespace {

// Sets TZ for one test and puts the previous value back. POSIX zone strings need no
// time-zone database on the machine.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneGuard() {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> old_;
};

CalendarTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    CalendarTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    return t;
}

} // namespace

TEST(LocalTime, LocalTimeFollowsTz) {
    std::int64_t seconds = 0;
    {
        ZoneGuard zone("JST-9");
        ASSERT_TRUE(LocalToEpoch(At(2019, 8, 14, 9, 0, 0), &seconds));
        EXPECT_EQ(seconds, 1565740800); // 2019-08-14 00:00:00 UTC
        EXPECT_EQ(LocalUtcOffset(seconds), 9 * 3600);
        CalendarTime back;
        ASSERT_TRUE(EpochToLocal(seconds, &back));
        EXPECT_EQ(back.year, 2019);
        EXPECT_EQ(back.hour, 9);
        EXPECT_EQ(back.dayOfWeek, 3); // a Wednesday
    }
    {
        ZoneGuard zone("UTC0");
        ASSERT_TRUE(LocalToEpoch(At(2019, 8, 14, 9, 0, 0), &seconds));
        EXPECT_EQ(seconds, 1565773200);
        EXPECT_EQ(LocalUtcOffset(seconds), 0);
    }
    {
        // Summer and winter offsets of a zone with daylight saving time.
        ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
        ASSERT_TRUE(LocalToEpoch(At(2019, 7, 1, 12), &seconds));
        EXPECT_EQ(seconds, 1561975200);
        ASSERT_TRUE(LocalToEpoch(At(2019, 1, 1, 12), &seconds));
        EXPECT_EQ(seconds, 1546340400);
        // 02:30 on the spring-forward day does not exist; it still converts to a time
        // within the hour instead of being lost.
        ASSERT_TRUE(LocalToEpoch(At(2019, 3, 31, 2, 30), &seconds));
        EXPECT_NEAR(static_cast<double>(seconds), 1553995800.0, 3600.0);
    }
}

TEST(LocalTime, OneSecondBeforeTheEpochIsATimeNotAFailure) {
    // mktime's -1 doubles as its error value; a real -1 must not be taken for one.
    ZoneGuard zone("JST-9");
    std::int64_t seconds = 0;
    ASSERT_TRUE(LocalToEpoch(At(1970, 1, 1, 8, 59, 59), &seconds));
    EXPECT_EQ(seconds, -1);
    ASSERT_TRUE(UtcToEpoch(At(1969, 12, 31, 23, 59, 59), &seconds));
    EXPECT_EQ(seconds, -1);
}

TEST(LocalTime, DatesPast2038AndBefore1970Are64Bit) {
    ZoneGuard zone("UTC0");
    std::int64_t seconds = 0;
    ASSERT_TRUE(LocalToEpoch(At(2107, 12, 31, 23, 59, 58), &seconds)); // last FAT time
    EXPECT_EQ(seconds, 4354819198);
    ASSERT_TRUE(UtcToEpoch(At(2038, 1, 19, 3, 14, 8), &seconds));
    EXPECT_EQ(seconds, 2147483648);
    ASSERT_TRUE(UtcToEpoch(At(1601, 1, 1), &seconds)); // NTFS's epoch
    EXPECT_EQ(seconds, -11644473600);

    CalendarTime t;
    ASSERT_TRUE(EpochToUtc(4354819198, &t));
    EXPECT_EQ(t.year, 2107);
    EXPECT_EQ(t.second, 58);
    ASSERT_TRUE(EpochToLocal(-11644473600, &t));
    EXPECT_EQ(t.year, 1601);
    EXPECT_EQ(t.month, 1);
}

TEST(LocalTime, InvalidFieldsAreRefused) {
    ZoneGuard zone("UTC0");
    std::int64_t seconds = 12345;
    EXPECT_FALSE(LocalToEpoch(At(2019, 13, 1), &seconds));
    EXPECT_FALSE(LocalToEpoch(At(2019, 0, 1), &seconds));
    EXPECT_FALSE(LocalToEpoch(At(2019, 2, 29), &seconds)); // not a leap year
    EXPECT_FALSE(LocalToEpoch(At(1900, 2, 29), &seconds)); // century rule
    EXPECT_FALSE(LocalToEpoch(At(2019, 4, 31), &seconds));
    EXPECT_FALSE(LocalToEpoch(At(2019, 4, 0), &seconds));
    EXPECT_FALSE(LocalToEpoch(At(2019, 4, 1, 24), &seconds));
    EXPECT_FALSE(LocalToEpoch(At(2019, 4, 1, 0, 60), &seconds));
    EXPECT_FALSE(UtcToEpoch(At(2019, 4, 1, 0, 0, 60), &seconds));
    EXPECT_FALSE(UtcToEpoch(At(2147483647, 1, 1), &seconds)); // tm_year would overflow
    EXPECT_EQ(seconds, 12345);
    EXPECT_TRUE(LocalToEpoch(At(2000, 2, 29), &seconds)); // 400-year rule
    EXPECT_TRUE(LocalToEpoch(At(2019, 4, 1), nullptr));   // outputs may be null

    CalendarTime t;
    EXPECT_FALSE(EpochToLocal(INT64_MAX, &t)); // beyond any representable year
    EXPECT_FALSE(EpochToUtc(INT64_MIN, &t));
}
