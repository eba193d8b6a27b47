#pragma once

// One SCSI command as the two SCSI transports consume it. The address is ignored by the
// pass-through transport, which addresses the device it opened.

#include <array>
#include <cstdint>

namespace vantrel {

// Direction and notification bits of flags.
inline constexpr std::uint8_t kScsiDataIn = 0x08;
inline constexpr std::uint8_t kScsiDataOut = 0x10;
inline constexpr std::uint8_t kScsiNotify = 0x40;
inline constexpr std::uint8_t kScsiFlagsDataIn = kScsiNotify | kScsiDataIn; // 0x48
inline constexpr std::uint8_t kScsiFlagsNoData = kScsiNotify;               // 0x40

inline constexpr std::uint8_t kScsiSenseLength = 18;
inline constexpr std::uint8_t kScsiAddressUnset = 255;

// SCSI status CHECK CONDITION and the sense key that a reset or a medium change leaves
// pending for the next command.
inline constexpr std::uint8_t kScsiStatusCheckCondition = 0x02;
inline constexpr std::uint8_t kSenseKeyUnitAttention = 0x06;

struct ScsiRequest {
    std::uint8_t hostAdapter = kScsiAddressUnset;
    std::uint8_t target = kScsiAddressUnset;
    std::uint8_t lun = kScsiAddressUnset;
    std::uint8_t flags = 0;
    std::uint8_t cdbLength = 0; // 6, 10 or 16
    std::array<std::uint8_t, 16> cdb{};
    std::uint32_t dataLength = 0;
    std::uint8_t* data = nullptr;
    std::uint8_t targetStatus = 0; // out
    std::uint8_t senseLength = kScsiSenseLength;
    std::array<std::uint8_t, kScsiSenseLength> sense{}; // out
    // Out: bytes the target did not transfer (0 when the transport cannot tell). A read
    // that came back short has not filled the caller's buffer.
    std::uint32_t residual = 0;
};

// The sense key of fixed-format (0x70/0x71) or descriptor-format (0x72/0x73) sense data;
// 0 when there is none.
std::uint8_t SenseKey(const ScsiRequest& request);

} // namespace vantrel
