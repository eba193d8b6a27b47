#pragma once

// Remaining-time estimate of a scan: from the total and the position reached it
// estimates the whole run's duration, and shows an estimate that falls at once but rises
// by at most one second per second, so the shown time does not jump up and down with
// every slow patch of disk.

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// Seconds since 1970; injectable so that tests run on a fake clock.
using SecondsClock = std::function<std::int64_t()>;
SecondsClock SystemSecondsClock();

// "%02u:%02u:%02u" of hours (not limited to 24), minutes and seconds. A negative count
// (an estimate already overrun) shows as "00:00:00".
std::string ClockText(std::int64_t seconds);

// 32 minus the leading zero bits of `total` (capped at 32): totals below 2^32 give 0.
// Scaling both factors by it keeps elapsed × total within 64 bits.
std::uint32_t ScaleShift(std::uint64_t total);

// Whole-run duration estimate ((elapsed << shift) × (total >> shift)) ÷ position, in
// seconds; 0 when position is 0 (no estimate). Saturates at 0xFFFFFFFF instead of
// wrapping, so a tiny position early in a run never shows as a small estimate.
std::uint32_t EstimateSeconds(std::uint64_t elapsed, std::uint64_t total, std::uint32_t shift,
                              std::uint64_t position);

class RemainingTimeEstimate {
public:
    // Before the first estimate the duration is the largest positive 32-bit value.
    static constexpr std::uint32_t kUnknownDuration = 2147483647u;

    explicit RemainingTimeEstimate(SecondsClock clock = SystemSecondsClock());

    // A new run over `total` (the range length − 1).
    void Start(std::uint64_t total);
    // A progress report; the estimate moves at most once per clock second. Returns true
    // when it was recomputed.
    bool Update(std::uint64_t position);

    std::uint64_t Total() const { return total_; }
    std::uint32_t Shift() const { return shift_; }
    std::uint64_t LastPosition() const { return lastPosition_; }
    // Duration of the whole run as shown.
    std::uint32_t EstimatedDuration() const { return duration_; }
    std::int64_t ElapsedSeconds() const { return lastUpdate_ - start_; }
    // Negative once the run has outlasted its estimate.
    std::int64_t RemainingSeconds() const {
        return start_ + static_cast<std::int64_t>(duration_) - lastUpdate_;
    }

    // "P / T"; in detail mode followed by " 経過時間hh:mm:ss 予想時間hh:mm:ss
    // 残り時間hh:mm:ss".
    std::string ProgressText(std::uint64_t position, bool detail) const;

private:
    SecondsClock clock_;
    std::uint64_t total_ = 0;
    std::int64_t start_ = 0;
    std::int64_t lastUpdate_ = 0;
    std::uint64_t lastPosition_ = 0;
    std::uint32_t shift_ = 0;
    std::uint32_t duration_ = kUnknownDuration;
};

} // namespace vantrel
