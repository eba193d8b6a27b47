#include "device/ScsiRequest.h"

#include "platform/ByteReader.h"

namespace vantrel {

std::uint8_t SenseKey(const ScsiRequest& request) {
    const std::size_t length =
        request.senseLength < request.sense.size() ? request.senseLength : request.sense.size();
    const ByteReader sense(request.sense.data(), length);
    const std::uint8_t responseCode = sense.U8(0) & 0x7F;
    if (responseCode == 0x70 || responseCode == 0x71)
        return sense.U8(2) & 0x0F; // fixed format: byte 2 bits 0-3
    if (responseCode == 0x72 || responseCode == 0x73)
        return sense.U8(1) & 0x0F; // descriptor format: byte 1 bits 0-3
    return 0;
}

} // namespace vantrel
