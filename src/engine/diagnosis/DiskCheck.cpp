#include "engine/diagnosis/DiskCheck.h"

#include <algorithm>
#include <chrono>

namespace vantrel {

DiskCheck::DiskCheck(DiskCheckOptions options) : options_(std::move(options)) {}

std::uint64_t DiskCheck::Now() const {
    if (options_.clock)
        return options_.clock();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(now).count());
}

bool DiskCheck::SetUp(CDiskWindow* window, std::uint64_t start, std::uint64_t length) {
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window || !window->GetCapacity(&lastLba, &sectorSize) || sectorSize == 0)
        return false;
    const std::uint64_t sectors = lastLba + 1;
    if (lastLba == ~std::uint64_t{0} || start >= sectors)
        return false;
    if (length == ~std::uint64_t{0})
        length = sectors - start;
    if (length == 0 || length > sectors - start)
        return false;
    window_ = window;
    start_ = start;
    length_ = length;
    windowSectors_ = sectors;
    sectorSize_ = sectorSize;
    blockSectors_ = std::max<std::uint32_t>(1, options_.blockBytes / sectorSize);
    position_ = 0;
    elapsed_ = 0;
    bad_.Clear();
    blocks_.assign(static_cast<std::size_t>((length + blockSectors_ - 1) / blockSectors_),
                   BlockStatus::Unread);
    buffer_.assign(static_cast<std::size_t>(blockSectors_) * sectorSize, 0);
    return true;
}

bool DiskCheck::Step() {
    if (!window_ || Complete())
        return false;
    const auto count =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(blockSectors_, length_ - position_));
    const std::uint64_t lba = start_ + position_;
    const std::size_t badBefore = bad_.Size();
    const std::uint64_t began = Now();
    // A failed block is read again sector by sector, so one bad sector costs one block.
    const bool ok = ReadSectorsChecked(*window_, lba, count, buffer_.data(),
                                       static_cast<std::uint32_t>(buffer_.size()), bad_);
    const std::uint64_t took = Now() - began;
    elapsed_ += took;
    BlockStatus status = BlockStatus::Fine;
    if (bad_.Size() != badBefore)
        status = BlockStatus::Unreadable;
    else if (!ok || took > options_.slowMicroseconds)
        status = BlockStatus::Slow; // a block that read only sector by sector is not sound

    blocks_[static_cast<std::size_t>(position_ / blockSectors_)] = status;
    position_ += count;
    return true;
}

std::uint64_t DiskCheck::CountBlocks(BlockStatus status) const {
    return static_cast<std::uint64_t>(std::count(blocks_.begin(), blocks_.end(), status));
}

std::uint64_t DiskCheck::BytesPerSecond() const {
    if (elapsed_ == 0)
        return 0;
    // Multiplying first would overflow past 18 TB read; this keeps the result exact enough.
    const long double bytes = static_cast<long double>(position_) * sectorSize_;
    return static_cast<std::uint64_t>(bytes * 1'000'000.0L / static_cast<long double>(elapsed_));
}

} // namespace vantrel
