#include "fs/ntfs/NtfsAttributeHeader.h"

namespace vantrel {

bool ParseAttributeHeader(Bytes attribute, AttributeHeader* out) {
    const ByteReader r(attribute);
    if (!r.Has(0, kAttributeHeaderSize))
        return false;
    AttributeHeader h;
    h.type = r.U32(0);
    h.length = r.U32(4);
    h.nonResident = r.U8(8);
    h.nameLength = r.U8(9);
    h.nameOffset = r.U16(10);
    h.flags = r.U16(12);
    h.attributeId = r.U16(14);
    if (h.nonResident == 0) {
        if (!r.Has(0, kResidentHeaderSize))
            return false;
        h.valueLength = r.U32(16);
        h.valueOffset = r.U16(20);
        h.indexedFlag = r.U8(22);
    } else {
        if (!r.Has(0, kNonResidentHeaderSize))
            return false;
        h.startVcn = r.U64(16);
        h.lastVcn = r.U64(24);
        h.runListOffset = r.U16(32);
        h.compressionUnit = r.U16(34);
        h.allocatedSize = r.U64(40);
        h.dataSize = r.U64(48);
        h.initializedSize = r.U64(56);
    }
    *out = h;
    return true;
}

bool ResidentValue(Bytes attribute, const AttributeHeader& header, Bytes* value) {
    const ByteReader r(attribute);
    if (header.nonResident != 0 || !r.Has(header.valueOffset, header.valueLength))
        return false;
    *value = attribute.subspan(header.valueOffset, header.valueLength);
    return true;
}

std::u16string AttributeName(Bytes attribute, const AttributeHeader& header) {
    const ByteReader r(attribute);
    const std::size_t bytes = 2u * header.nameLength;
    if (header.nameLength == 0 || !r.Has(header.nameOffset, bytes))
        return {};
    std::u16string name(header.nameLength, u'\0');
    for (std::size_t i = 0; i < header.nameLength; ++i)
        name[i] = static_cast<char16_t>(r.U16(header.nameOffset + 2 * i));
    return name;
}

std::vector<Bytes> SplitAttributes(Bytes record, std::size_t attributeOffset) {
    std::vector<Bytes> attributes;
    const ByteReader r(record);
    std::size_t offset = attributeOffset;
    while (offset < record.size() && record.size() - offset > 3) {
        if (r.U32(offset) == kAttrEnd)
            break;
        if (!r.Has(offset, kAttributeHeaderSize))
            break;
        const std::uint32_t length = r.U32(offset + 4);
        if (length < kAttributeHeaderSize || !r.Has(offset, length))
            break;
        attributes.push_back(record.subspan(offset, length));
        offset += length;
    }
    return attributes;
}

} // namespace vantrel
