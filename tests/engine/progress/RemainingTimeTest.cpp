#include "engine/progress/RemainingTime.h"

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

struct FakeClock {
    std::int64_t now = 1000;
    SecondsClock Clock() {
        return [this] { return now; };
    }
};

} // namespace

TEST(RemainingTime, ScaleShiftKeepsTheTotalWithin32Bits) {
    EXPECT_EQ(ScaleShift(0), 0u);
    EXPECT_EQ(ScaleShift(0xFFFFFFFFull), 0u);
    EXPECT_EQ(ScaleShift(0x100000000ull), 1u);
    EXPECT_EQ(ScaleShift(1ull << 40), 9u);
    EXPECT_EQ(ScaleShift(~0ull), 32u);
}

TEST(RemainingTime, EstimateIsElapsedTimesTotalOverPosition) {
    EXPECT_EQ(EstimateSeconds(10, 1000, 0, 100), 100u);
    EXPECT_EQ(EstimateSeconds(10, 1000, 0, 0), 0u); // no position, no estimate
    // Scaled totals lose their low bits, as the shift intends.
    EXPECT_EQ(EstimateSeconds(10, (1ull << 40) + 511, 9, 1ull << 39), 20u);
    // Elapsed × total past 2^64 (a long run over a huge total) is not wrapped.
    EXPECT_EQ(EstimateSeconds(100000000, 1ull << 40, 9, 1ull << 39), 200000000u);
    // An estimate beyond 32 bits saturates instead of keeping its low bits.
    EXPECT_EQ(EstimateSeconds(5, 1ull << 31, 0, 1), 0xFFFFFFFFu);
}

TEST(RemainingTime, ShownDurationFallsAtOnceAndRisesOneSecondPerSecond) {
    FakeClock fake;
    RemainingTimeEstimate estimate(fake.Clock());
    estimate.Start(1000);
    EXPECT_EQ(estimate.EstimatedDuration(), RemainingTimeEstimate::kUnknownDuration);
    EXPECT_EQ(estimate.ProgressText(0, true),
              "0 / 1000 経過時間00:00:00 予想時間--:--:-- 残り時間--:--:--");
    fake.now += 10;
    EXPECT_TRUE(estimate.Update(100));
    EXPECT_EQ(estimate.EstimatedDuration(), 100u);
    // A second update in the same second changes nothing.
    EXPECT_FALSE(estimate.Update(900));
    EXPECT_EQ(estimate.EstimatedDuration(), 100u);
    EXPECT_EQ(estimate.LastPosition(), 100u);
    // The estimate jumps to about 160: the shown duration climbs by one a second.
    for (auto [position, shown] : {std::pair{68u, 101u}, {75u, 102u}, {81u, 103u}}) {
        ++fake.now;
        EXPECT_TRUE(estimate.Update(position));
        EXPECT_EQ(estimate.EstimatedDuration(), shown);
    }
    // It falls to 60 at once.
    ++fake.now;
    EXPECT_TRUE(estimate.Update(233));
    EXPECT_EQ(estimate.EstimatedDuration(), 60u);
    // Position 0 gives no estimate: the shown duration stays.
    ++fake.now;
    EXPECT_TRUE(estimate.Update(0));
    EXPECT_EQ(estimate.EstimatedDuration(), 60u);
    EXPECT_EQ(estimate.ElapsedSeconds(), 15);
    EXPECT_EQ(estimate.RemainingSeconds(), 45);
    // A new run starts afresh.
    estimate.Start(50);
    EXPECT_EQ(estimate.EstimatedDuration(), RemainingTimeEstimate::kUnknownDuration);
    EXPECT_EQ(estimate.Total(), 50u);
}

TEST(RemainingTime, ClockAndProgressTexts) {
    EXPECT_EQ(ClockText(0), "00:00:00");
    EXPECT_EQ(ClockText(3661), "01:01:01");
    EXPECT_EQ(ClockText(100 * 3600 + 59), "100:00:59");
    EXPECT_EQ(ClockText(-5), "00:00:00"); // an overrun estimate
    EXPECT_EQ(ClockText(0xFFFFFFFFll), "1193046:28:15");

    FakeClock fake;
    RemainingTimeEstimate estimate(fake.Clock());
    estimate.Start(100);
    fake.now += 10;
    estimate.Update(5);
    EXPECT_EQ(estimate.ProgressText(5, false), "5 / 100");
    EXPECT_EQ(estimate.ProgressText(5, true),
              "5 / 100 経過時間00:00:10 予想時間00:03:20 残り時間00:03:10");
    fake.now += 500; // the run outlasts its estimate
    estimate.Update(99);
    EXPECT_EQ(estimate.EstimatedDuration(), 201u);
    EXPECT_EQ(estimate.ProgressText(99, true),
              "99 / 100 経過時間00:08:30 予想時間00:03:21 残り時間00:00:00");
}
