#include "fs/ntfs/NtfsIndexEntry.h"

namespace vantrel {

bool ParseIndexHeader(Bytes data, std::size_t offset, IndexHeader* out) {
    const ByteReader r(data);
    if (!r.Has(offset, kIndexHeaderSize))
        return false;
    out->entriesOffset = r.U32(offset + 0);
    out->indexLength = r.U32(offset + 4);
    out->allocatedSize = r.U32(offset + 8);
    out->flags = r.U8(offset + 12);
    return true;
}

bool ParseIndexRoot(Bytes value, IndexRootHeader* out) {
    const ByteReader r(value);
    if (!r.Has(0, kIndexRootHeaderSize + kIndexHeaderSize))
        return false;
    out->indexedType = r.U32(0);
    out->collationRule = r.U32(4);
    out->indexBlockSize = r.U32(8);
    out->clustersPerIndexBlock = r.U8(12);
    return ParseIndexHeader(value, kIndexRootHeaderSize, &out->header);
}

bool ParseIndexEntry(Bytes entries, std::size_t offset, IndexEntry* out) {
    const ByteReader r(entries);
    if (!r.Has(offset, kIndexEntryHeaderSize))
        return false;
    IndexEntry e;
    e.fileReference = r.U64(offset + 0);
    e.entryLength = r.U16(offset + 8);
    e.keyLength = r.U16(offset + 10);
    e.flags = r.U16(offset + 12);
    if (e.entryLength < kIndexEntryHeaderSize || !r.Has(offset, e.entryLength))
        return false;
    const Bytes entry = entries.subspan(offset, e.entryLength);
    const std::size_t keyEnd = kIndexEntryHeaderSize + e.keyLength;
    if (keyEnd > entry.size())
        return false;
    if (e.HasSubNode()) {
        // The VCN takes the entry's last 8 bytes, after the key.
        if (entry.size() < keyEnd + 8)
            return false;
        e.subNodeVcn = ByteReader(entry).U64(entry.size() - 8);
    }
    if (!e.IsLast())
        e.key = entry.subspan(kIndexEntryHeaderSize, e.keyLength);
    *out = e;
    return true;
}

std::vector<IndexEntry> SplitIndexEntries(Bytes entries) {
    std::vector<IndexEntry> list;
    std::size_t offset = 0;
    IndexEntry entry;
    while (ParseIndexEntry(entries, offset, &entry)) {
        list.push_back(entry);
        if (entry.IsLast())
            break;
        offset += entry.entryLength;
    }
    return list;
}

} // namespace vantrel
