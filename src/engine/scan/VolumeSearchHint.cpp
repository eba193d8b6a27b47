#include "engine/scan/VolumeSearchHint.h"

#include "engine/scan/FatSectorMarks.h"
#include "engine/scan/NtfsSectorMarks.h"

#include <algorithm>

namespace vantrel {

void VolumeSearchHint::Reset(std::uint64_t start, std::uint64_t count, std::uint32_t sectorSize) {
    chars_ = FatCharacters{}; // the code page of this scan
    sectorSize_ = sectorSize;
    next_ = start;
    end_ = start + count;
    gap_ = false;
    fat_ = false;
    ntfs_ = false;
    marks_.clear();
}

void VolumeSearchHint::Look(std::uint64_t lba, Bytes sectors) {
    if (gap_ || sectorSize_ == 0 || next_ >= end_)
        return;
    if (lba > next_) {
        gap_ = true;
        return;
    }
    const std::uint64_t have = sectors.size() / sectorSize_;
    if (lba + have <= next_)
        return;
    const std::uint64_t skip = next_ - lba;
    const auto count = static_cast<std::size_t>(std::min(have, end_ - lba) - skip);
    const Bytes fresh =
        sectors.subspan(static_cast<std::size_t>(skip) * sectorSize_, count * sectorSize_);
    marks_.resize(count);
    MarkFatSectors(fresh, sectorSize_, chars_, marks_);
    for (std::size_t i = 0; i < count && !fat_; ++i)
        fat_ = FatSearchLooksAt(marks_[i], fresh.subspan(i * sectorSize_, sectorSize_));
    MarkNtfsSectors(fresh, sectorSize_, marks_);
    for (std::size_t i = 0; i < count && !ntfs_; ++i)
        ntfs_ = NtfsSearchLooksAt(marks_[i], fresh.subspan(i * sectorSize_, sectorSize_));
    next_ += count;
}

} // namespace vantrel
