#include "fs/ntfs/NtfsAttributeList.h"

namespace vantrel {

std::vector<AttributeListEntry> ParseAttributeList(Bytes value) {
    std::vector<AttributeListEntry> entries;
    const ByteReader r(value);
    std::size_t offset = 0;
    while (r.Has(offset, kAttributeListEntryMinimum)) {
        AttributeListEntry e;
        e.type = r.U32(offset + 0);
        e.length = r.U16(offset + 4);
        e.nameLength = r.U8(offset + 6);
        e.nameOffset = r.U8(offset + 7);
        e.startVcn = r.U64(offset + 8);
        e.recordReference = r.U64(offset + 16);
        e.attributeId = r.U16(offset + 24);
        if (e.length < kAttributeListEntryMinimum || !r.Has(offset, e.length))
            break;
        const std::size_t nameBytes = 2u * e.nameLength;
        if (e.nameOffset + nameBytes > e.length)
            break;
        e.name.resize(e.nameLength);
        for (std::size_t i = 0; i < e.nameLength; ++i)
            e.name[i] = static_cast<char16_t>(r.U16(offset + e.nameOffset + 2 * i));
        offset += e.length;
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace vantrel
