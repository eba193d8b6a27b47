#pragma once

// The update sequence ("fixups") of multi-sector structures: MFT records ("FILE") and
// index blocks ("INDX"). The last word of every 512-byte stride is stored in an array in
// the header and replaced on disk by the update sequence number, so a torn write shows
// as a mismatch. The stride is 512 bytes whatever the sector size (a 2048-byte record
// on a 2048-byte-sector volume carries five words, not two).

#include "platform/ByteReader.h"

#include <cstdint>
#include <span>

namespace vantrel {

inline constexpr std::size_t kUpdateSequenceStride = 512;

// The 8-byte header shared by "FILE" and "INDX" blocks.
struct MultiSectorHeader {
    std::uint32_t magic = 0;
    std::uint16_t usaOffset = 0;
    std::uint16_t usaCount = 0; // the sequence number plus one word per stride
};

[[nodiscard]] bool ParseMultiSectorHeader(Bytes block, MultiSectorHeader* out);

struct FixupResult {
    std::uint32_t applied = 0;    // strides whose end word matched and was restored
    std::uint32_t mismatched = 0; // strides left as read (torn write or damage)
};

// Restores the stride end words in place. Strides beyond the block are ignored. False
// when the array itself does not fit in the block; mismatches are not failures.
[[nodiscard]] bool ApplyFixups(std::span<std::uint8_t> block, std::uint16_t usaOffset,
                               std::uint16_t usaCount, FixupResult* result = nullptr);

} // namespace vantrel
