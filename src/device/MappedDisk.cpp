#include "device/MappedDisk.h"

namespace vantrel {

CMappedDisk::CMappedDisk(CDiskDevice& inner, RescueMap map) : inner_(inner), map_(std::move(map)) {}

CMappedDisk::CMappedDisk(std::unique_ptr<CDiskDevice> inner, RescueMap map)
    : owned_(std::move(inner)), inner_(*owned_), map_(std::move(map)) {}

std::uint64_t CMappedDisk::UnreadSectorsIn(std::uint64_t lba, std::uint64_t count) const {
    return map_.UnreadSectorsIn(lba, count, inner_.SectorSize());
}

bool CMappedDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    std::uint64_t last = 0;
    std::uint32_t size = 512;
    if (!inner_.GetCapacity(&last, &size))
        return false;
    lastLba_ = last;
    sectorSize_ = size;
    if (lastLba)
        *lastLba = last;
    if (sectorSize)
        *sectorSize = size;
    return true;
}

bool CMappedDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                              std::uint32_t bufferSize) {
    if (UnreadSectorsIn(lba, count) != 0)
        return false;
    return inner_.ReadSectors(lba, count, buffer, bufferSize);
}

std::uint64_t UnreadSectorsOnDevice(CDiskDevice* device, std::uint64_t lba, std::uint64_t count) {
    const auto* mapped = dynamic_cast<const CMappedDisk*>(device);
    return mapped ? mapped->UnreadSectorsIn(lba, count) : 0;
}

} // namespace vantrel
