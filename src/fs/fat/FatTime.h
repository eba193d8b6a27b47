#pragma once

// FAT dates and times (local time, 2-second resolution, years from 1980) as 64-bit
// seconds since 1970-01-01 UTC. A date or time that is no calendar time (day 0, month
// 13, hour 25...), which old or damaged volumes often hold, becomes kUnknownFatTime
// instead of making the entry unusable.

#include "fs/fat/FatDirEntry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace vantrel {

inline constexpr std::int64_t kUnknownFatTime = std::numeric_limits<std::int64_t>::min();

// Date bits: day 0-4, month 5-8, year - 1980 9-15. Time bits: seconds / 2 0-4, minutes
// 5-10, hours 11-15. Read as local time.
std::int64_t FatDateTimeToEpoch(std::uint16_t date, std::uint16_t time);

struct FatEntryTimes {
    std::int64_t createTime = kUnknownFatTime;
    std::int64_t modifyTime = kUnknownFatTime; // the write date and time
    std::int64_t accessTime = kUnknownFatTime; // the access date at 00:00:00
};

FatEntryTimes EntryTimes(const FatDirEntry& entry);

// The same conversions for many entries, remembering the pairs met last: a folder or a
// scan holds few distinct dates and times, and each conversion asks the C library for
// the zone's offset twice. Not for sharing between threads; made afresh per listing, so
// that a zone changed in between is seen.
class FatTimeConverter {
public:
    std::int64_t ToEpoch(std::uint16_t date, std::uint16_t time);
    FatEntryTimes EntryTimes(const FatDirEntry& entry);

private:
    static constexpr std::size_t kSlots = 32;
    // Bit 32 set: the slot holds the conversion of (bits 16-31 date, bits 0-15 time).
    std::array<std::uint64_t, kSlots> keys_{};
    std::array<std::int64_t, kSlots> values_{};
};

} // namespace vantrel
