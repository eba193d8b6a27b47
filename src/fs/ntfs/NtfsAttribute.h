#pragma once

// One loaded attribute of an MFT record: its header, and either its resident value or its
// decoded runs with the size that the runs really cover.

#include "fs/ntfs/NtfsAttributeHeader.h"
#include "fs/ntfs/NtfsRunList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

inline constexpr std::uint64_t kSparseLba = ~0ull;

// A stretch of window sectors holding consecutive data; lba kSparseLba reads as zeros.
struct NtfsExtent {
    std::uint64_t lba = 0;
    std::uint64_t sectors = 0;

    bool IsSparse() const { return lba == kSparseLba; }
};

struct NtfsAttribute {
    AttributeHeader header;
    std::u16string name;
    std::vector<std::uint8_t> value; // resident form
    std::vector<NtfsRun> runs;       // non-resident form, in clusters
    std::vector<NtfsExtent> extents; // the runs in window sectors, filled by MftRecord::Load
    std::uint64_t size = 0;          // bytes readable through ReadAttributeData

    bool IsResident() const { return header.nonResident == 0; }
    bool IsCompressed() const { return !IsResident() && header.IsCompressed(); }
    // Clusters per compression unit: 2^compressionUnit, 16 when the field is unusable.
    std::uint64_t CompressionUnitClusters() const;
};

// Loads one attribute from its bytes (as split from a record). Resident: the value must
// lie inside the attribute. Non-resident: runListOffset must be non-zero and inside the
// attribute; runs are decoded until they cover dataSize (low 48 bits), or all of them for
// compressed data (whose units may end in sparse runs) and for pieces that start past VCN
// 0; when they cover less, the size shrinks to what they cover. Runs count from VCN 0 of
// the piece. False when the attribute cannot be loaded.
[[nodiscard]] bool LoadAttribute(Bytes attribute, std::uint64_t bytesPerCluster,
                                 NtfsAttribute* out);

} // namespace vantrel
