#pragma once

// READ CAPACITY(10) and (16): the last LBA and the block size of the medium.

#include "device/ScsiRequest.h"
#include "platform/ByteReader.h"

namespace vantrel {

inline constexpr std::uint32_t kReadCapacity10Length = 8;
inline constexpr std::uint32_t kReadCapacity16Length = 32;
// READ CAPACITY(10)'s answer when the last LBA does not fit in 32 bits.
inline constexpr std::uint64_t kCapacity10Overflow = 0xFFFFFFFFu;

// 0x25, zeros, control at byte 9; 10 bytes, data in, 8 bytes.
void BuildReadCapacity10(ScsiRequest& request, std::uint8_t control);
// 0x9E, service action 0x10, allocation length 32 in bytes 10-13, control at byte 15.
void BuildReadCapacity16(ScsiRequest& request, std::uint8_t control);

struct ScsiCapacity {
    std::uint64_t lastLba = 0;
    std::uint32_t blockSize = 0;
};

// Bytes 0-3 last LBA, 4-7 block size. False when fewer than 8 bytes are given.
[[nodiscard]] bool ParseReadCapacity10(Bytes data, ScsiCapacity& capacity);
// Bytes 0-7 last LBA, 8-11 block size. False when fewer than 12 bytes are given.
[[nodiscard]] bool ParseReadCapacity16(Bytes data, ScsiCapacity& capacity);

} // namespace vantrel
