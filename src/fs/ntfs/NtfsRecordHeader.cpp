#include "fs/ntfs/NtfsRecordHeader.h"

namespace vantrel {

bool IsMftRecord(Bytes record) {
    const ByteReader r(record);
    return r.Has(0, kMftRecordHeaderSize) && r.U32(0) == kFileMagic;
}

bool ParseMftRecordHeader(Bytes record, MftRecordHeader* out) {
    if (!IsMftRecord(record))
        return false;
    const ByteReader r(record);
    MftRecordHeader h;
    h.magic = r.U32(0);
    h.usaOffset = r.U16(4);
    h.usaCount = r.U16(6);
    h.logSequence = r.U64(8);
    h.sequenceNumber = r.U16(16);
    h.linkCount = r.U16(18);
    h.attributeOffset = r.U16(20);
    h.flags = r.U16(22);
    h.bytesInUse = r.U32(24);
    h.bytesAllocated = r.U32(28);
    h.baseRecord = r.U64(32);
    h.nextAttributeId = r.U16(40);
    h.reserved = r.U16(42);
    h.recordNumber = r.U32(44);
    *out = h;
    return true;
}

} // namespace vantrel
