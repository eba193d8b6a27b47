#include "fs/ntfs/NtfsMftSelfRecord.h"

#include "fs/ntfs/NtfsAttributeHeader.h"
#include "fs/ntfs/NtfsFileName.h"
#include "fs/ntfs/NtfsRecordHeader.h"
#include "platform/CodePage.h"

namespace vantrel {

bool IsMftSelfRecord(Bytes record) {
    if (!IsMftRecord(record))
        return false;
    const std::uint16_t attributeOffset = ByteReader(record).U16(20);
    for (const Bytes piece : SplitAttributes(record, attributeOffset)) {
        AttributeHeader header;
        if (!ParseAttributeHeader(piece, &header) || header.type != kAttrFileName ||
            header.nonResident != 0)
            continue;
        Bytes value;
        FileNameValue name;
        if (!ResidentValue(piece, header, &value) || !ParseFileNameValue(value, &name))
            return false;
        if (EncodeAnsi(name.name) == "$MFT")
            return true;
    }
    return false;
}

} // namespace vantrel
