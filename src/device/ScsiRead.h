#pragma once

// READ(10) and READ(16). READ(16) is used only when the LBA does not fit in 32 bits.

#include "device/ScsiRequest.h"

namespace vantrel {

// 0x28, 0, LBA (32) in bytes 2-5, 0, block count (16) in bytes 7-8, control.
void BuildRead10(ScsiRequest& request, std::uint32_t lba, std::uint16_t blocks,
                 std::uint32_t dataLength, std::uint8_t control);
// 0x88, 0, LBA (64) in bytes 2-9, block count (32) in bytes 10-13, 0, control.
void BuildRead16(ScsiRequest& request, std::uint64_t lba, std::uint32_t blocks,
                 std::uint32_t dataLength, std::uint8_t control);

inline bool NeedsRead16(std::uint64_t lba) {
    return (lba >> 32) != 0;
}

} // namespace vantrel
