#include "device/ScsiInquiry.h"

#include <algorithm>

namespace vantrel {

void BuildInquiry(ScsiRequest& request, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x12;
    request.cdb[4] = kInquiryLength; // allocation length
    request.cdb[5] = control;
    request.cdbLength = 6;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = kInquiryLength;
}

void BuildTestUnitReady(ScsiRequest& request, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x00;
    request.cdb[5] = control;
    request.cdbLength = 6;
    request.flags = kScsiFlagsNoData;
    request.dataLength = 0;
}

namespace {

template <std::size_t N>
void CopyField(std::array<char, N>& field, const ByteReader& reader, std::size_t offset) {
    for (std::size_t i = 0; i + 1 < N; ++i)
        field[i] = static_cast<char>(reader.U8(offset + i));
    field[N - 1] = '\0';
}

} // namespace

bool ParseInquiry(Bytes data, DeviceIdentity& identity) {
    const ByteReader reader(data);
    if (!reader.Has(0, kInquiryLength))
        return false;
    const Bytes answer = reader.Slice(0, kInquiryLength);
    if (std::all_of(answer.begin(), answer.end(), [](std::uint8_t b) { return b == 0; }))
        return false;
    // 0: peripheral qualifier (bits 5-7) and device type (bits 0-4)
    identity.peripheralType = static_cast<std::uint8_t>(reader.U8(0) & 0x1F);
    // 1: bit 7 = removable medium
    identity.removable = (reader.U8(1) & 0x80) ? 1 : 0;
    CopyField(identity.vendor, reader, 8);    // 8-15: vendor identification
    CopyField(identity.product, reader, 16);  // 16-31: product identification
    CopyField(identity.revision, reader, 32); // 32-35: product revision level
    return true;
}

} // namespace vantrel
