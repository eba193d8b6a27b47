#include "fs/ntfs/NtfsRunList.h"

#include <limits>

namespace vantrel {

namespace {
// Above this a cluster count cannot describe a real volume; larger values are damage and
// would overflow the sector arithmetic further on.
constexpr std::uint64_t kMaxClusters = 1ull << 48;
} // namespace

bool DecodeRun(Bytes runList, std::size_t offset, DecodedRun* out) {
    const ByteReader r(runList);
    if (!r.Has(offset, 1))
        return false;
    const std::uint8_t header = r.U8(offset);
    if (header == 0)
        return false;
    const std::size_t lengthSize = header & 0x0F;
    const std::size_t offsetSize = header >> 4;
    if (lengthSize > 8 || offsetSize > 8 || !r.Has(offset + 1, lengthSize + offsetSize))
        return false;
    DecodedRun run;
    run.size = 1 + lengthSize + offsetSize;
    run.length = lengthSize ? r.Le(offset + 1, lengthSize) : 0;
    run.sparse = offsetSize == 0;
    if (!run.sparse) {
        std::uint64_t raw = r.Le(offset + 1 + lengthSize, offsetSize);
        // Sign-extend from the top bit of the last byte.
        if (offsetSize < 8 && (raw >> (8 * offsetSize - 1)) & 1)
            raw |= ~0ull << (8 * offsetSize);
        run.delta = static_cast<std::int64_t>(raw);
    }
    *out = run;
    return true;
}

std::vector<NtfsRun> DecodeRunList(Bytes runList, std::uint64_t clusterLimit) {
    std::vector<NtfsRun> runs;
    std::uint64_t vcn = 0;
    std::int64_t lcn = 0;
    std::size_t offset = 0;
    DecodedRun run;
    while ((clusterLimit == 0 || vcn < clusterLimit) && DecodeRun(runList, offset, &run)) {
        offset += run.size;
        if (run.length > kMaxClusters || vcn + run.length > kMaxClusters)
            break;
        if (!run.sparse) {
            const bool overflow =
                run.delta > 0 ? lcn > std::numeric_limits<std::int64_t>::max() - run.delta : false;
            if (overflow || lcn + run.delta < 0 ||
                static_cast<std::uint64_t>(lcn + run.delta) > kMaxClusters)
                break;
            lcn += run.delta;
        }
        if (run.length == 0)
            continue;
        runs.push_back({vcn, run.length, run.sparse ? 0 : lcn, run.sparse});
        vcn += run.length;
    }
    return runs;
}

std::uint64_t RunListClusters(const std::vector<NtfsRun>& runs) {
    return runs.empty() ? 0 : runs.back().vcn + runs.back().clusters;
}

} // namespace vantrel
