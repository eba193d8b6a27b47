#include "fs/ntfs/NtfsAttribute.h"

#include <algorithm>

namespace vantrel {

std::uint64_t NtfsAttribute::CompressionUnitClusters() const {
    const std::uint16_t unit = header.compressionUnit;
    return unit >= 1 && unit <= 8 ? 1ull << unit : 16;
}

bool LoadAttribute(Bytes attribute, std::uint64_t bytesPerCluster, NtfsAttribute* out) {
    NtfsAttribute a;
    if (bytesPerCluster == 0 || !ParseAttributeHeader(attribute, &a.header))
        return false;
    a.name = AttributeName(attribute, a.header);
    if (a.IsResident()) {
        Bytes value;
        if (!ResidentValue(attribute, a.header, &value))
            return false;
        a.value.assign(value.begin(), value.end());
        a.size = value.size();
        *out = std::move(a);
        return true;
    }
    const std::uint16_t runListOffset = a.header.runListOffset;
    if (runListOffset == 0 || runListOffset >= attribute.size())
        return false;
    const std::uint64_t dataSize = a.header.dataSize & 0x0000FFFFFFFFFFFFull;
    const std::uint64_t neededClusters =
        dataSize / bytesPerCluster + (dataSize % bytesPerCluster ? 1 : 0);
    // dataSize 0 needs no runs at all. Compressed data is decoded whole (limit 0), and so
    // is a later piece of an attribute split over records: only the first piece carries
    // the sizes.
    const bool whole = a.header.IsCompressed() || a.header.startVcn != 0;
    if (dataSize != 0 || whole)
        a.runs = DecodeRunList(attribute.subspan(runListOffset), whole ? 0 : neededClusters);
    const std::uint64_t clusters = RunListClusters(a.runs);
    // clusters is at most 2^48, bytesPerCluster at most 2^24 on any volume we open, so the
    // product stays inside 64 bits; larger cluster sizes are clipped the same way.
    const std::uint64_t covered =
        clusters > (~0ull / bytesPerCluster) ? ~0ull : clusters * bytesPerCluster;
    a.size = std::min(dataSize, covered);
    *out = std::move(a);
    return true;
}

} // namespace vantrel
