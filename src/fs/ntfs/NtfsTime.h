#pragma once

// NTFS times count 100-ns units since 1601-01-01 UTC. They are kept as 64-bit seconds
// since 1970 (32 bits end in 2038); a value that is not a time (0 = never set, or the
// top bit set, which no valid stamp has) converts to "unknown" and nothing is dropped.

#include <cstdint>
#include <optional>

namespace vantrel {

inline constexpr std::int64_t kNtfsEpochOffsetSeconds = 11644473600;

std::optional<std::int64_t> NtfsTimeToEpoch(std::uint64_t ntfsTime);

} // namespace vantrel
