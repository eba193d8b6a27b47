#pragma once

// Run lists of non-resident attributes: a sequence of (length, LCN delta) pairs packed in
// variable widths. A run without an offset field is sparse; deltas are signed, so a run
// may lie before the previous one.

#include "platform/ByteReader.h"

#include <cstdint>
#include <vector>

namespace vantrel {

struct DecodedRun {
    std::size_t size = 0;     // bytes taken by the run, header byte included
    std::uint64_t length = 0; // clusters
    std::int64_t delta = 0;   // LCN change; 0 and meaningless for a sparse run
    bool sparse = false;
};

// One run at offset. False at the end marker (header byte 0), when a field width is above
// 8, or when the run does not fit in the list.
[[nodiscard]] bool DecodeRun(Bytes runList, std::size_t offset, DecodedRun* out);

struct NtfsRun {
    std::uint64_t vcn = 0;      // first virtual cluster of the run
    std::uint64_t clusters = 0; // non-zero
    std::int64_t lcn = 0;       // first logical cluster; unused when sparse
    bool sparse = false;
};

// Decodes runs from the start of runList until the end marker, a run that does not fit,
// an LCN that would fall before cluster 0 or overflow, or until the runs cover
// clusterLimit clusters (the run that reaches it is kept; 0 = no limit).
std::vector<NtfsRun> DecodeRunList(Bytes runList, std::uint64_t clusterLimit);

// Clusters covered by a decoded list (sparse runs included).
std::uint64_t RunListClusters(const std::vector<NtfsRun>& runs);

} // namespace vantrel
