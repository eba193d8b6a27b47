#include "device/ScsiRead.h"

#include "platform/ByteReader.h"

namespace vantrel {

void BuildRead10(ScsiRequest& request, std::uint32_t lba, std::uint16_t blocks,
                 std::uint32_t dataLength, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x28;
    PutBe(request.cdb, 2, lba, 4);
    PutBe(request.cdb, 7, blocks, 2);
    request.cdb[9] = control;
    request.cdbLength = 10;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = dataLength;
}

void BuildRead16(ScsiRequest& request, std::uint64_t lba, std::uint32_t blocks,
                 std::uint32_t dataLength, std::uint8_t control) {
    request.cdb.fill(0);
    request.cdb[0] = 0x88;
    PutBe(request.cdb, 2, lba, 8);
    PutBe(request.cdb, 10, blocks, 4);
    request.cdb[15] = control;
    request.cdbLength = 16;
    request.flags = kScsiFlagsDataIn;
    request.dataLength = dataLength;
}

} // namespace vantrel
