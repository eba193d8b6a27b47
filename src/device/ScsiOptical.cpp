#include "device/ScsiOptical.h"

namespace vantrel {

void BuildReadDiscInformation(ScsiRequest& request, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x51;
    PutBe(request.cdb, 7, kDiscInformationLength, 2);
    request.cdb[9] = control;
    request.cdbLength = 10;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = kDiscInformationLength;
}

void BuildReadTrackInformation(ScsiRequest& request, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x52;
    PutBe(request.cdb, 7, kTrackInformationLength, 2);
    request.cdb[9] = control;
    request.cdbLength = 10;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = kTrackInformationLength;
}

std::uint32_t TrackInformationLastLba(Bytes data) {
    const ByteReader reader(data);
    if (!reader.Has(12, 4))
        return 0;
    return reader.Be32(12); // 12-15
}

} // namespace vantrel
