#include "fs/ntfs/NtfsIndexBlock.h"

namespace vantrel {

bool IsIndexBlock(Bytes block) {
    const ByteReader r(block);
    return r.Has(0, kIndexBlockMinimumSize) && r.U32(0) == kIndxMagic;
}

bool ParseIndexBlock(std::span<std::uint8_t> block, IndexBlockHeader* header, Bytes* entries,
                     FixupResult* fixups) {
    const Bytes view(block.data(), block.size());
    if (!IsIndexBlock(view))
        return false;
    IndexBlockHeader h;
    if (!ParseMultiSectorHeader(view, &h.multiSector) ||
        !ApplyFixups(block, h.multiSector.usaOffset, h.multiSector.usaCount, fixups))
        return false;
    const ByteReader r(view);
    h.logSequence = r.U64(8);
    h.vcn = r.U64(16);
    if (!ParseIndexHeader(view, kIndexBlockHeaderSize, &h.header))
        return false;
    const std::uint64_t start = kIndexBlockHeaderSize + std::uint64_t{h.header.entriesOffset};
    if (start > view.size())
        return false;
    *header = h;
    *entries = view.subspan(static_cast<std::size_t>(start));
    return true;
}

} // namespace vantrel
