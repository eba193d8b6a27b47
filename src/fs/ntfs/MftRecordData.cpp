// Reading an attribute's data: resident values, runs (sparse ones as zeros) and LZNT1
// compression units.

#include "fs/ntfs/Lznt1.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>

namespace vantrel {

namespace {
// NTFS compresses only volumes with clusters up to 4 KiB (64 KiB units); anything much
// larger is damage and must not decide the size of an allocation.
constexpr std::uint64_t kMaxUnitBytes = 1u << 20;
} // namespace

bool MftRecord::ReadAttributeData(const NtfsAttribute& attribute, std::uint64_t offset,
                                  std::size_t length, std::uint8_t* buffer) {
    if (volume_ == nullptr || offset > attribute.size || length > attribute.size - offset)
        return false;
    if (length == 0)
        return true;
    if (buffer == nullptr)
        return false;
    const std::span<std::uint8_t> out(buffer, length);
    if (attribute.IsResident()) {
        if (attribute.value.size() < offset + length)
            return false;
        std::copy_n(attribute.value.begin() + static_cast<std::ptrdiff_t>(offset), length,
                    out.begin());
        return true;
    }
    if (attribute.IsCompressed())
        return ReadCompressed(attribute, offset, out);
    return volume_->ReadRunData(attribute.runs, offset, out);
}

bool MftRecord::ReadCompressed(const NtfsAttribute& attribute, std::uint64_t offset,
                               std::span<std::uint8_t> out) {
    const std::uint64_t unitBytes =
        attribute.CompressionUnitClusters() * volume_->BytesPerCluster();
    if (unitBytes > kMaxUnitBytes)
        return false;
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t position = offset + done;
        const std::uint64_t unit = position / unitBytes;
        const std::size_t inUnit = static_cast<std::size_t>(position % unitBytes);
        if (!LoadUnit(attribute, unit))
            return false;
        const std::size_t take =
            std::min<std::size_t>(unitData_.size() - inUnit, out.size() - done);
        std::copy_n(unitData_.begin() + static_cast<std::ptrdiff_t>(inUnit), take,
                    out.begin() + static_cast<std::ptrdiff_t>(done));
        done += take;
    }
    return true;
}

// A unit whose clusters are all stored is kept as it is; one that ends in sparse clusters
// (or past the runs) holds LZNT1 data in its stored clusters; an all-sparse unit is zeros.
bool MftRecord::LoadUnit(const NtfsAttribute& attribute, std::uint64_t unit) {
    // The cache only serves this record's own attributes: an address alone could be that
    // of a copy, or of a new attribute where an old one lived.
    const bool owned = std::any_of(attributes_.begin(), attributes_.end(),
                                   [&](const NtfsAttribute& a) { return &a == &attribute; });
    if (owned && unitAttribute_ == &attribute && unitIndex_ == unit && !unitData_.empty())
        return true;
    unitAttribute_ = nullptr;
    const std::uint64_t clusters = attribute.CompressionUnitClusters();
    const std::uint64_t bpc = volume_->BytesPerCluster();
    const std::uint64_t first = unit * clusters;
    const std::uint64_t end = first + clusters;
    std::uint64_t stored = 0;
    std::uint64_t covered = 0;
    bool hole = false;
    for (const NtfsRun& run : attribute.runs) {
        const std::uint64_t from = std::max(first, run.vcn);
        const std::uint64_t to = std::min(end, run.vcn + run.clusters);
        if (from >= to)
            continue;
        covered += to - from;
        if (run.sparse)
            hole = true;
        else if (!hole)
            stored += to - from;
    }
    hole = hole || covered < clusters;
    unitData_.assign(static_cast<std::size_t>(clusters * bpc), 0);
    if (stored != 0 && !hole) {
        if (!volume_->ReadRunData(attribute.runs, first * bpc, unitData_))
            return false;
    } else if (stored != 0) {
        std::vector<std::uint8_t> packed(static_cast<std::size_t>(stored * bpc));
        if (!volume_->ReadRunData(attribute.runs, first * bpc, packed) ||
            !DecompressLznt1(packed, unitData_)) {
            unitData_.clear();
            return false;
        }
    }
    unitAttribute_ = owned ? &attribute : nullptr;
    unitIndex_ = unit;
    return true;
}

} // namespace vantrel
