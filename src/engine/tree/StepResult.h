#pragma once

// The value every step operation (analysis, search, detection, reconstruction) returns:
// 0 = failed and over, all ones = complete, anything else = the position reached, and
// the caller calls the step again.

#include <cstdint>

namespace vantrel {

using StepResult = std::uint64_t;

inline constexpr StepResult kStepFailed = 0;
inline constexpr StepResult kStepComplete = ~StepResult{0};

} // namespace vantrel
