#pragma once

// INQUIRY and TEST UNIT READY: the identity and readiness questions.

#include "device/DiskDevice.h"
#include "device/ScsiRequest.h"
#include "platform/ByteReader.h"

namespace vantrel {

inline constexpr std::uint32_t kInquiryLength = 36;

// 0x12, 0, 0, 0, 36, control; 6 bytes, data in, 36 bytes.
void BuildInquiry(ScsiRequest& request, std::uint8_t control);
// 0x00, 0, 0, 0, 0, control; 6 bytes, no data.
void BuildTestUnitReady(ScsiRequest& request, std::uint8_t control);

// Standard INQUIRY data. False when fewer than 36 bytes are given or all 36 are zero
// (a transport that answers without a device leaves the buffer untouched).
[[nodiscard]] bool ParseInquiry(Bytes data, DeviceIdentity& identity);

} // namespace vantrel
