#include "engine/progress/RemainingTime.h"

#include <bit>
#include <chrono>
#include <cstdio>

namespace vantrel {

namespace {
// GCC and clang both provide it; __extension__ keeps -Wpedantic quiet.
__extension__ typedef unsigned __int128 Uint128;
} // namespace

SecondsClock SystemSecondsClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
}

std::string ClockText(std::int64_t seconds) {
    const std::uint64_t n = seconds > 0 ? static_cast<std::uint64_t>(seconds) : 0;
    char text[48];
    std::snprintf(text, sizeof text, "%02llu:%02u:%02u", static_cast<unsigned long long>(n / 3600),
                  static_cast<unsigned>((n / 60) % 60), static_cast<unsigned>(n % 60));
    return text;
}

std::uint32_t ScaleShift(std::uint64_t total) {
    const auto zeros = static_cast<std::uint32_t>(std::countl_zero(total));
    return zeros >= 32 ? 0 : 32 - zeros;
}

std::uint32_t EstimateSeconds(std::uint64_t elapsed, std::uint64_t total, std::uint32_t shift,
                              std::uint64_t position) {
    if (position == 0 || shift > 32)
        return 0;
    // 128-bit product: elapsed × total can pass 2^64 on long runs over large totals.
    const Uint128 product = (static_cast<Uint128>(elapsed) << shift) * (total >> shift);
    const Uint128 quotient = product / position;
    return quotient > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(quotient);
}

RemainingTimeEstimate::RemainingTimeEstimate(SecondsClock clock) : clock_(std::move(clock)) {}

void RemainingTimeEstimate::Start(std::uint64_t total) {
    total_ = total;
    start_ = clock_();
    lastPosition_ = 0;
    duration_ = kUnknownDuration;
    shift_ = ScaleShift(total);
}

bool RemainingTimeEstimate::Update(std::uint64_t position) {
    const std::int64_t now = clock_();
    if (now == lastUpdate_)
        return false;
    lastPosition_ = position;
    lastUpdate_ = now;
    const std::uint64_t elapsed = now > start_ ? static_cast<std::uint64_t>(now - start_) : 0;
    const std::uint32_t estimate = EstimateSeconds(elapsed, total_, shift_, position);
    if (estimate != 0)
        duration_ = duration_ < estimate ? duration_ + 1 : estimate;
    return true;
}

std::string RemainingTimeEstimate::ProgressText(std::uint64_t position, bool detail) const {
    std::string text = std::to_string(position) + " / " + std::to_string(total_);
    if (detail) {
        text += " 経過時間" + ClockText(ElapsedSeconds());
        // Before the first estimate the duration is a placeholder, not 596523 hours.
        const bool known = duration_ != kUnknownDuration;
        text += " 予想時間" + (known ? ClockText(duration_) : std::string("--:--:--"));
        text += " 残り時間" + (known ? ClockText(RemainingSeconds()) : std::string("--:--:--"));
    }
    return text;
}

} // namespace vantrel
