#include "fs/ntfs/NtfsTime.h"

namespace vantrel {

std::optional<std::int64_t> NtfsTimeToEpoch(std::uint64_t ntfsTime) {
    if (ntfsTime == 0 || (ntfsTime >> 63) != 0)
        return std::nullopt;
    return static_cast<std::int64_t>(ntfsTime / 10000000u) - kNtfsEpochOffsetSeconds;
}

} // namespace vantrel
