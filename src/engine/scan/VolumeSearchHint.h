#pragma once

// Whether the FAT and NTFS searches at the start of a range (RangeVolumeFinder) could
// find a volume there, worked out from the sectors a database scan reads anyway. Most
// disks that are carved hold no volume, and the searches would otherwise read the range's
// first megabytes again after the scan, only to find nothing.

#include "fs/fat/FatCharacters.h"
#include "platform/ByteReader.h"

#include <cstdint>
#include <vector>

namespace vantrel {

class VolumeSearchHint {
public:
    // Sectors [start, start + count) of the window are to be looked at.
    void Reset(std::uint64_t start, std::uint64_t count, std::uint32_t sectorSize);
    // Sectors from window LBA lba, handed over in order; a run may overlap the one
    // before. A run that leaves a gap leaves the hint incomplete.
    void Look(std::uint64_t lba, Bytes sectors);

    // Whether a search could find such a volume: true unless every sector was looked at
    // and none is one the search would look further at.
    bool MayFindFat() const { return !Complete() || fat_; }
    bool MayFindNtfs() const { return !Complete() || ntfs_; }

private:
    bool Complete() const { return !gap_ && sectorSize_ != 0 && next_ >= end_; }

    FatCharacters chars_;
    std::uint32_t sectorSize_ = 0;
    std::uint64_t next_ = 0; // the first sector not looked at
    std::uint64_t end_ = 0;
    bool gap_ = false;
    bool fat_ = false;
    bool ntfs_ = false;
    std::vector<std::uint64_t> marks_;
};

} // namespace vantrel
