#include "MemoryDisk.h"

#include <cstring>

namespace vantrel::testing {

MemoryDisk::MemoryDisk(std::vector<std::uint8_t> bytes, std::uint32_t sectorSize)
    : bytes_(std::move(bytes)), sectorBytes_(sectorSize) {
    bytes_.resize((bytes_.size() + sectorSize - 1) / sectorSize * sectorSize);
}

MemoryDisk::MemoryDisk(std::uint64_t sectorCount, std::uint32_t sectorSize)
    : bytes_(sectorCount * sectorSize), sectorBytes_(sectorSize) {}

bool MemoryDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    ++capacityCalls_;
    const std::uint64_t sectors = bytes_.size() / sectorBytes_;
    lastLba_ = 0;
    sectorSize_ = sectorBytes_;
    if (sectors == 0)
        return false;
    lastLba_ = sectors - 1;
    if (lastLba)
        *lastLba = lastLba_;
    if (sectorSize)
        *sectorSize = sectorSize_;
    return true;
}

bool MemoryDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                             std::uint32_t bufferSize) {
    const std::uint64_t sectors = bytes_.size() / sectorBytes_;
    const std::uint64_t bytes = static_cast<std::uint64_t>(count) * sectorBytes_;
    if (!buffer || lba > sectors || count > sectors - lba || bufferSize < bytes)
        return false;
    ++readCalls_;
    std::memcpy(buffer, bytes_.data() + lba * sectorBytes_, bytes);
    return true;
}

bool FaultyDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    const bool ok = inner_.GetCapacity(&lastLba_, &sectorSize_);
    if (ok && lastLba)
        *lastLba = lastLba_;
    if (ok && sectorSize)
        *sectorSize = sectorSize_;
    return ok;
}

bool FaultyDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                             std::uint32_t bufferSize) {
    ++readCalls_;
    auto it = bad_.lower_bound(lba);
    if (it != bad_.end() && *it - lba < count) {
        ++failedReads_;
        return false;
    }
    return inner_.ReadSectors(lba, count, buffer, bufferSize);
}

} // namespace vantrel::testing
