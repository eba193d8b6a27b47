#pragma once

// READ DISC INFORMATION and READ TRACK INFORMATION: the last resort for the size of an
// optical medium whose READ CAPACITY reports nothing.

#include "device/ScsiRequest.h"
#include "platform/ByteReader.h"

namespace vantrel {

inline constexpr std::uint32_t kDiscInformationLength = 36;
inline constexpr std::uint32_t kTrackInformationLength = 28;

// 0x51, zeros, allocation length 36 in bytes 7-8, control at byte 9.
void BuildReadDiscInformation(ScsiRequest& request, std::uint8_t control);
// 0x52, address type 0 and address 0 in bytes 1-6, allocation length 28 in bytes 7-8,
// control at byte 9.
void BuildReadTrackInformation(ScsiRequest& request, std::uint8_t control);

// The 32-bit field at bytes 12-15 of the track information, taken as the last LBA; 0 when
// fewer than 16 bytes are given.
std::uint32_t TrackInformationLastLba(Bytes data);

} // namespace vantrel
