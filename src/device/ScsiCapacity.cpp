#include "device/ScsiCapacity.h"

namespace vantrel {

void BuildReadCapacity10(ScsiRequest& request, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x25;
    request.cdb[9] = control;
    request.cdbLength = 10;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = kReadCapacity10Length;
}

void BuildReadCapacity16(ScsiRequest& request, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x9E;
    request.cdb[1] = 0x10;                            // service action: READ CAPACITY(16)
    PutBe(request.cdb, 10, kReadCapacity16Length, 4); // allocation length
    request.cdb[15] = control;
    request.cdbLength = 16;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = kReadCapacity16Length;
}

bool ParseReadCapacity10(Bytes data, ScsiCapacity& capacity) {
    const ByteReader reader(data);
    if (!reader.Has(0, 8))
        return false;
    capacity.lastLba = reader.Be32(0);   // 0-3: returned logical block address
    capacity.blockSize = reader.Be32(4); // 4-7: block length in bytes
    return true;
}

bool ParseReadCapacity16(Bytes data, ScsiCapacity& capacity) {
    const ByteReader reader(data);
    if (!reader.Has(0, 12))
        return false;
    capacity.lastLba = reader.Be64(0);   // 0-7: returned logical block address
    capacity.blockSize = reader.Be32(8); // 8-11: block length in bytes
    return true;
}

} // namespace vantrel
