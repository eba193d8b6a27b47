#include "fs/ntfs/NtfsFixups.h"

#include <algorithm>
#include <vector>

namespace vantrel {

bool ParseMultiSectorHeader(Bytes block, MultiSectorHeader* out) {
    const ByteReader r(block);
    if (!r.Has(0, 8))
        return false;
    out->magic = r.U32(0);
    out->usaOffset = r.U16(4);
    out->usaCount = r.U16(6);
    return true;
}

bool ApplyFixups(std::span<std::uint8_t> block, std::uint16_t usaOffset, std::uint16_t usaCount,
                 FixupResult* result) {
    FixupResult counts;
    const ByteReader r(block.data(), block.size());
    const std::size_t arrayBytes = 2u * static_cast<std::size_t>(usaCount);
    if (usaCount == 0 || !r.Has(usaOffset, arrayBytes)) {
        if (result)
            *result = counts;
        return false;
    }
    const std::uint16_t usn = r.U16(usaOffset);
    const std::size_t strides =
        std::min<std::size_t>(usaCount - 1u, block.size() / kUpdateSequenceStride);
    // Take every saved word before restoring any: in hostile input the array may itself
    // cross a stride end.
    std::vector<std::uint16_t> saved(strides);
    for (std::size_t j = 0; j < strides; ++j)
        saved[j] = r.U16(usaOffset + 2 + 2 * j);
    for (std::size_t j = 0; j < strides; ++j) {
        const std::size_t end = (j + 1) * kUpdateSequenceStride - 2;
        if (r.U16(end) != usn) {
            ++counts.mismatched;
            continue;
        }
        PutLe(block, end, saved[j], 2);
        ++counts.applied;
    }
    if (result)
        *result = counts;
    return true;
}

} // namespace vantrel
